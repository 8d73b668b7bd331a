#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "decode/CommonCommand.h"
#include "decode/DecodedCommand.h"

namespace qvset {

// The common receipt-printer commands (the ESC/GS/FS/DLE set most receipt printers speak) that other
// programs send to a QV6 printer: point-of-sale and ticketing software, receipt encoders. The decoder
// frames each by its own length rule, so that the bytes inside an image, a barcode or a QR code are
// never read as commands, and names it; none of them is one of the QV6's own settings, so each is an
// Unknown entry to the state, with the field "command" naming it. Where a command of this set and one
// of the QV6's own share their opening bytes (ESC B, ESC j, ESC J, ESC *, GS ( F), the QV6's own is
// decoded instead and is not in this table.

// Every row, each opening once; an opening that begins another is listed after it.
std::span<const CommonCommand> CommonCommands();

// The row whose opening `rest` starts with (the longest), or nullptr.
const CommonCommand* FindCommonCommand(std::span<const std::uint8_t> rest);

// Whether `rest`, all that is left of a document, is the first bytes of some row's opening.
bool EndsInsideCommonOpening(std::span<const std::uint8_t> rest);

// Whether a byte is the first byte of some row's opening.
bool OpensCommonCommand(std::uint8_t byte);

// One command framed at the start of `rest` (the document from there on, or at least `mostBytes` of it).
// The entry holds the whole command, or, for a command longer than `mostBytes`, its first `mostBytes`
// bytes (the entry's field "continued" is true and `dataLeft` says how many bytes follow); a command
// the document cuts off is truncated with the bytes that are there; a command whose parameters no
// reference gives (GS V 07, GS k 20) holds only the bytes read to tell so and has the field "note".
// `imagesLeft`: the NV images of an FS q that follow the entry, each framed with FrameNvImage.
struct FramedCommand {
    DecodedCommand entry;
    std::uint64_t dataLeft = 0;
    std::size_t imagesLeft = 0;
};
FramedCommand FrameCommonCommand(const CommonCommand& row, std::span<const std::uint8_t> rest,
                                 std::size_t mostBytes);

// The next image of an FS q whose first bytes were framed before: `number` of `count`.
FramedCommand FrameNvImage(std::span<const std::uint8_t> rest, std::size_t number, std::size_t count,
                           std::size_t mostBytes);

// Whether an entry is a common receipt-printer command (or a piece of one), and its name ("GS v 0").
bool IsCommonCommand(const DecodedCommand& entry);
std::string CommonCommandName(const DecodedCommand& entry);

// The field names of common commands that the picture reads.
inline constexpr std::string_view kCommandField = "command";
inline constexpr std::string_view kDataOffsetField = "dataOffset";
inline constexpr std::string_view kDataLengthField = "dataLength";

}  // namespace qvset
