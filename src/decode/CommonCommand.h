#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "decode/DecodedCommand.h"

namespace qvset {

// The number n1 + 256 n2 of the two bytes at `at`, as the common commands write their counts.
inline std::size_t LittleEndianWord(std::span<const std::uint8_t> bytes, std::size_t at) {
    return bytes[at] + 256u * bytes[at + 1];
}

// One row of the table of common receipt-printer commands (decode/CommonCommands.h) and the types it is
// made of, apart from the table so that the describers of its rows (decode/CommonCommandWords.h) and
// the table that names them do not include each other.

// How the length of a command follows from its bytes after the opening.
enum class LengthRule {
    Fixed,            // `parameters` bytes
    ByFunction,       // a function byte, then as many more bytes as the row's `functions` give it
    Counted16,        // `parameters` bytes (a function letter), then pL pH and that many bytes
    Counted32,        // p1 p2 p3 p4 and that many bytes
    Raster,           // m xL xH yL yH and (xL + 256 xH) × (yL + 256 yH) bytes
    Barcode,          // m, then characters up to NUL (m 0 to 6) or n and n characters (m 65 to 79)
    TabStops,         // up to 32 ascending positions and NUL
    UserCharacters,   // y c1 c2, then for each character c1 to c2: x and y × x bytes
    DownloadedImage,  // x y and x × y × 8 bytes
    NvImages,         // n, then n images, each xL xH yL yH and (xL + 256 xH) × (yL + 256 yH) × 8 bytes
};

// What a command does, as the virtual printer's picture sees it.
enum class CommandEffect {
    Format,  // changes how what follows is printed (size, alignment, code table, barcode settings)
    Print,   // prints something (an image, a barcode, a symbol)
    Paper,   // moves or cuts the paper
    Device,  // anything else: a drawer pulse, a status request, a beep, a stored setting
};

// A function byte of a ByFunction command and the bytes that follow it.
struct FunctionLength {
    std::uint8_t function;
    std::uint8_t more;
};

struct CommonCommand;
// The meaning in words of a whole command of a row, adding the fields it reads to `entry`.
using CommonDescriber = std::string (*)(const CommonCommand& row, std::span<const std::uint8_t> command,
                                        DecodedCommand& entry);

// One row of the table.
struct CommonCommand {
    std::string_view opening;  // the command's first bytes
    std::string_view name;     // "GS v 0"
    LengthRule rule;
    std::size_t parameters;  // Fixed: the parameter count; Counted16: the bytes before pL pH
    CommandEffect effect;
    std::string_view meaning;  // in plain words: "print a raster image"; '#' stands for the value of n
    CommonDescriber describe = nullptr;           // nullptr: `meaning` as it is
    std::span<const FunctionLength> functions{};  // ByFunction: its functions
};

}  // namespace qvset
