#include "decode/CommonCommands.h"

#include <algorithm>
#include <array>
#include <vector>

#include "decode/CommonCommandWords.h"
#include "printer/HexCodec.h"

namespace qvset {
namespace {

using Span = std::span<const std::uint8_t>;
using R = LengthRule;
using E = CommandEffect;

// GS V m [n]: 0, 1, 48, 49 cut at once; 65, 66 feed n and cut; 97, 98 feed n, cut and go back;
// 103, 104 cut at the n-th cutting position.
constexpr std::array<FunctionLength, 10> kCutFunctions{
    {{0, 0}, {1, 0}, {48, 0}, {49, 0}, {65, 1}, {66, 1}, {97, 1}, {98, 1}, {103, 1}, {104, 1}}};
// DLE EOT n [a]: 1 to 4 the status bytes, 7 and 8 with a.
constexpr std::array<FunctionLength, 6> kStatusFunctions{{{1, 0}, {2, 0}, {3, 0}, {4, 0}, {7, 1}, {8, 1}}};
// DLE DC4 fn: 1 m t drawer pulse, 2 1 8 power-off, 7 m status, 8 and seven fixed bytes clear the buffers.
constexpr std::array<FunctionLength, 4> kRealTimeFunctions{{{1, 2}, {2, 2}, {7, 1}, {8, 7}}};

// The table. Openings are written byte by byte in hex; a row whose opening begins a longer one's
// (GS ( and GS ( k) is found only when the longer does not match.
const CommonCommand kCommonCommands[] = {
    // ESC
    {"\x1b\x0c", "ESC FF", R::Fixed, 0, E::Print, "print the page (page mode)"},
    {"\x1b\x20", "ESC SP", R::Fixed, 1, E::Format, "right-side character spacing # dots", DescribeNumber},
    {"\x1b\x21", "ESC !", R::Fixed, 1, E::Format, "print mode", DescribePrintMode},
    {"\x1b\x24", "ESC $", R::Fixed, 2, E::Format, "absolute print position # dots", DescribeWord},
    {"\x1b\x25", "ESC %", R::Fixed, 1, E::Format, "user-defined characters", DescribeOnOff},
    {"\x1b\x26", "ESC &", R::UserCharacters, 0, E::Format, "define user-defined characters"},
    {"\x1b\x28\x41", "ESC ( A", R::Counted16, 0, E::Device, "beeper", DescribeCounted},
    {"\x1b\x28", "ESC (", R::Counted16, 1, E::Device, "extended command", DescribeCounted},
    {"\x1b\x2d", "ESC -", R::Fixed, 1, E::Format, "underline", DescribeUnderline},
    {"\x1b\x32", "ESC 2", R::Fixed, 0, E::Format, "default line spacing"},
    {"\x1b\x33", "ESC 3", R::Fixed, 1, E::Format, "line spacing # dots", DescribeNumber},
    {"\x1b\x34", "ESC 4", R::Fixed, 1, E::Format, "italic", DescribeOnOff},
    {"\x1b\x3c", "ESC <", R::Fixed, 0, E::Device, "return the print head home"},
    {"\x1b\x3d", "ESC =", R::Fixed, 1, E::Device, "select peripheral device #", DescribeNumber},
    {"\x1b\x3f", "ESC ?", R::Fixed, 1, E::Format, "cancel user-defined character #", DescribeNumber},
    {"\x1b\x40", "ESC @", R::Fixed, 0, E::Format, "initialise the printer"},
    {"\x1b\x44", "ESC D", R::TabStops, 0, E::Format, "horizontal tab positions"},
    {"\x1b\x45", "ESC E", R::Fixed, 1, E::Format, "bold", DescribeOnOff},
    {"\x1b\x47", "ESC G", R::Fixed, 1, E::Format, "double-strike", DescribeOnOff},
    {"\x1b\x4c", "ESC L", R::Fixed, 0, E::Format, "page mode"},
    {"\x1b\x4d", "ESC M", R::Fixed, 1, E::Format, "character font", DescribeFont},
    {"\x1b\x52", "ESC R", R::Fixed, 1, E::Format, "international character set #", DescribeNumber},
    {"\x1b\x53", "ESC S", R::Fixed, 0, E::Format, "standard mode"},
    {"\x1b\x54", "ESC T", R::Fixed, 1, E::Format, "print direction # in page mode", DescribeNumber},
    {"\x1b\x55", "ESC U", R::Fixed, 1, E::Format, "unidirectional printing", DescribeOnOff},
    {"\x1b\x56", "ESC V", R::Fixed, 1, E::Format, "90° rotation mode #", DescribeNumber},
    {"\x1b\x57", "ESC W", R::Fixed, 8, E::Format, "print area in page mode"},
    {"\x1b\x5c", "ESC \\", R::Fixed, 2, E::Format, "relative print position"},
    {"\x1b\x61", "ESC a", R::Fixed, 1, E::Format, "justification", DescribeAlignment},
    {"\x1b\x63", "ESC c", R::Fixed, 2, E::Device, "paper sensors and panel buttons", DescribeSensors},
    {"\x1b\x64", "ESC d", R::Fixed, 1, E::Paper, "print and feed # lines", DescribeNumber},
    {"\x1b\x65", "ESC e", R::Fixed, 1, E::Paper, "print and feed back # lines", DescribeNumber},
    {"\x1b\x69", "ESC i", R::Fixed, 0, E::Paper, "partial cut (one point left uncut)"},
    {"\x1b\x6d", "ESC m", R::Fixed, 0, E::Paper, "partial cut (three points left uncut)"},
    {"\x1b\x70", "ESC p", R::Fixed, 3, E::Device, "cash drawer pulse", DescribePulse},
    {"\x1b\x72", "ESC r", R::Fixed, 1, E::Format, "print colour #", DescribeNumber},
    {"\x1b\x74", "ESC t", R::Fixed, 1, E::Format, "character code table", DescribeCodeTable},
    {"\x1b\x75", "ESC u", R::Fixed, 1, E::Device, "transmit peripheral device status"},
    {"\x1b\x76", "ESC v", R::Fixed, 0, E::Device, "transmit paper sensor status"},
    {"\x1b\x7b", "ESC {", R::Fixed, 1, E::Format, "upside-down printing", DescribeOnOff},
    // GS
    {"\x1d\x21", "GS !", R::Fixed, 1, E::Format, "character size", DescribeCharacterSize},
    {"\x1d\x24", "GS $", R::Fixed, 2, E::Format, "absolute vertical position # dots (page mode)",
     DescribeWord},
    {"\x1d\x28\x41", "GS ( A", R::Counted16, 0, E::Device, "test print", DescribeCounted},
    {"\x1d\x28\x43", "GS ( C", R::Counted16, 0, E::Device, "edit the user memory", DescribeCounted},
    {"\x1d\x28\x44", "GS ( D", R::Counted16, 0, E::Device, "real-time commands on or off", DescribeCounted},
    {"\x1d\x28\x45", "GS ( E", R::Counted16, 0, E::Device, "user setup commands", DescribeCounted},
    {"\x1d\x28\x48", "GS ( H", R::Counted16, 0, E::Device, "response or status request", DescribeCounted},
    {"\x1d\x28\x4b", "GS ( K", R::Counted16, 0, E::Format, "print control", DescribeCounted},
    {"\x1d\x28\x4c", "GS ( L", R::Counted16, 0, E::Print, "graphics", DescribeGraphics},
    {"\x1d\x28\x4d", "GS ( M", R::Counted16, 0, E::Device, "customise the printer", DescribeCounted},
    {"\x1d\x28\x4e", "GS ( N", R::Counted16, 0, E::Format, "character style", DescribeCounted},
    {"\x1d\x28\x50", "GS ( P", R::Counted16, 0, E::Format, "page mode control", DescribeCounted},
    {"\x1d\x28\x51", "GS ( Q", R::Counted16, 0, E::Print, "draw lines and boxes", DescribeCounted},
    {"\x1d\x28\x6b", "GS ( k", R::Counted16, 0, E::Print, "two-dimensional symbol", DescribeSymbol},
    {"\x1d\x28", "GS (", R::Counted16, 1, E::Device, "extended command", DescribeCounted},
    {"\x1d\x2a", "GS *", R::DownloadedImage, 0, E::Format, "define the downloaded bit image"},
    {"\x1d\x2f", "GS /", R::Fixed, 1, E::Print, "print the downloaded bit image, mode #", DescribeNumber},
    {"\x1d\x38\x4c", "GS 8 L", R::Counted32, 0, E::Print, "graphics", DescribeGraphics},
    {"\x1d\x3a", "GS :", R::Fixed, 0, E::Device, "start or end a macro definition"},
    {"\x1d\x42", "GS B", R::Fixed, 1, E::Format, "reverse (white on black)", DescribeOnOff},
    {"\x1d\x48", "GS H", R::Fixed, 1, E::Format, "barcode text", DescribeTextPosition},
    {"\x1d\x49", "GS I", R::Fixed, 1, E::Device, "transmit printer ID #", DescribeNumber},
    {"\x1d\x4c", "GS L", R::Fixed, 2, E::Format, "left margin # dots", DescribeWord},
    {"\x1d\x50", "GS P", R::Fixed, 2, E::Format, "motion units"},
    {"\x1d\x54", "GS T", R::Fixed, 1, E::Format, "print position to the line's start"},
    {"\x1d\x56", "GS V", R::ByFunction, 0, E::Paper, "cut", DescribeCut, kCutFunctions},
    {"\x1d\x57", "GS W", R::Fixed, 2, E::Format, "print area width # dots", DescribeWord},
    {"\x1d\x5c", "GS \\", R::Fixed, 2, E::Format, "relative vertical position (page mode)"},
    {"\x1d\x5e", "GS ^", R::Fixed, 3, E::Device, "execute a macro"},
    {"\x1d\x61", "GS a", R::Fixed, 1, E::Device, "automatic status back #", DescribeNumber},
    {"\x1d\x62", "GS b", R::Fixed, 1, E::Format, "smoothing", DescribeOnOff},
    {"\x1d\x66", "GS f", R::Fixed, 1, E::Format, "barcode text font", DescribeFont},
    {"\x1d\x67", "GS g", R::Fixed, 4, E::Device, "maintenance counter"},
    {"\x1d\x68", "GS h", R::Fixed, 1, E::Format, "barcode height # dots", DescribeNumber},
    {"\x1d\x6b", "GS k", R::Barcode, 0, E::Print, "barcode", DescribeBarcode},
    {"\x1d\x72", "GS r", R::Fixed, 1, E::Device, "transmit status #", DescribeNumber},
    {"\x1d\x76\x30", "GS v 0", R::Raster, 0, E::Print, "raster image", DescribeRaster},
    {"\x1d\x77", "GS w", R::Fixed, 1, E::Format, "barcode module width # dots", DescribeNumber},
    // FS: the Chinese character commands
    {"\x1c\x21", "FS !", R::Fixed, 1, E::Format, "Chinese character print mode #", DescribeNumber},
    {"\x1c\x26", "FS &", R::Fixed, 0, E::Format, "Chinese character mode on"},
    {"\x1c\x28", "FS (", R::Counted16, 1, E::Format, "extended Chinese character command", DescribeCounted},
    {"\x1c\x2d", "FS -", R::Fixed, 1, E::Format, "Chinese character underline", DescribeUnderline},
    {"\x1c\x2e", "FS .", R::Fixed, 0, E::Format, "Chinese character mode off"},
    {"\x1c\x32", "FS 2", R::Fixed, 74, E::Format, "define a user Chinese character"},
    {"\x1c\x3f", "FS ?", R::Fixed, 2, E::Format, "cancel a user Chinese character"},
    {"\x1c\x43", "FS C", R::Fixed, 1, E::Format, "Chinese character code system #", DescribeNumber},
    {"\x1c\x53", "FS S", R::Fixed, 2, E::Format, "Chinese character spacing"},
    {"\x1c\x57", "FS W", R::Fixed, 1, E::Format, "Chinese characters quadruple size", DescribeOnOff},
    {"\x1c\x70", "FS p", R::Fixed, 2, E::Print, "print an NV bit image"},
    {"\x1c\x71", "FS q", R::NvImages, 0, E::Format, "define the NV bit images"},
    // DLE: real-time commands
    {"\x10\x04", "DLE EOT", R::ByFunction, 0, E::Device, "transmit real-time status", DescribeStatus,
     kStatusFunctions},
    {"\x10\x05", "DLE ENQ", R::Fixed, 1, E::Device, "real-time request #", DescribeNumber},
    {"\x10\x14", "DLE DC4", R::ByFunction, 0, E::Device, "real-time command", DescribeRealTime,
     kRealTimeFunctions},
    // single bytes
    {"\x09", "HT", R::Fixed, 0, E::Format, "horizontal tab"},
    {"\x18", "CAN", R::Fixed, 0, E::Format, "cancel the page's data (page mode)"},
};

constexpr std::size_t kLength16 = 2;
constexpr std::size_t kLength32 = 4;
constexpr std::size_t kRasterHead = 5;  // m xL xH yL yH
constexpr std::size_t kMostBarcodeData = 255;
constexpr std::size_t kMostTabStops = 32;
constexpr std::uint8_t kNul = 0x00;
constexpr std::size_t kNvImageHead = 4;  // xL xH yL yH
constexpr std::size_t kMostNvImageWidth = 1023;
constexpr std::size_t kMostNvImageHeight = 288;

// The rows by their first byte, longest opening first.
const std::vector<const CommonCommand*>& RowsStartingWith(std::uint8_t first) {
    static const auto index = [] {
        std::array<std::vector<const CommonCommand*>, 256> rows;
        for (const CommonCommand& row : kCommonCommands)
            rows[static_cast<std::uint8_t>(row.opening[0])].push_back(&row);
        for (auto& list : rows) {
            std::stable_sort(list.begin(), list.end(), [](const CommonCommand* a, const CommonCommand* b) {
                return a->opening.size() > b->opening.size();
            });
        }
        return rows;
    }();
    return index[first];
}

bool Opens(Span rest, std::string_view opening) {
    if (rest.size() < opening.size()) return false;
    for (std::size_t i = 0; i < opening.size(); ++i) {
        if (rest[i] != static_cast<std::uint8_t>(opening[i])) return false;
    }
    return true;
}

std::string Hex(Span bytes) {
    std::string text;
    for (std::uint8_t byte : bytes) {
        if (!text.empty()) text.push_back(' ');
        text += HexPair(byte);
    }
    return text;
}

// How far a command reaches, measured from its first bytes.
struct Measure {
    enum class State {
        Short,    // the document ends before the bytes that give the length
        Refused,  // parameters no reference gives: `head` bytes are read, `note` says why
        Known,    // `total` bytes long
    };
    State state = State::Known;
    std::size_t head = 0;
    std::uint64_t total = 0;
    std::string note;
    std::size_t dataOffset = 0;  // where the data (if any) begins
    std::size_t imagesLeft = 0;  // NV images not in `total`
};

Measure Short() {
    Measure m;
    m.state = Measure::State::Short;
    return m;
}

Measure Refuse(std::size_t head, std::string note) {
    Measure m;
    m.state = Measure::State::Refused;
    m.head = head;
    m.note = std::move(note);
    return m;
}

Measure Known(std::uint64_t total, std::size_t dataOffset = 0) {
    Measure m;
    m.total = total;
    m.dataOffset = dataOffset;
    return m;
}

bool IsRasterMode(std::uint8_t m) {
    return m <= 3 || (m >= 48 && m <= 51);
}

// The bytes of one NV image of FS q starting at `at`, or 0 when its size is none a reference gives.
std::uint64_t NvImageBytes(Span rest, std::size_t at) {
    const std::size_t width = LittleEndianWord(rest, at);
    const std::size_t height = LittleEndianWord(rest, at + 2);
    if (width == 0 || height == 0 || width > kMostNvImageWidth || height > kMostNvImageHeight) return 0;
    return kNvImageHead + std::uint64_t{width} * height * 8;
}

// NV images from `at` on, as many as an entry of `mostBytes` holds whole (at least the first, whole or
// not); `count` images are left.
Measure MeasureNvImages(Span rest, std::size_t at, std::size_t count, std::size_t mostBytes) {
    std::uint64_t end = at;
    std::size_t taken = 0;
    while (taken < count) {
        if (taken > 0 && end + kNvImageHead > mostBytes) break;
        if (rest.size() < end + kNvImageHead) {
            if (taken == 0) return Short();
            break;  // the images so far are cut off by the document
        }
        const std::uint64_t bytes = NvImageBytes(rest, static_cast<std::size_t>(end));
        if (bytes == 0) {
            if (taken > 0) break;  // framed on its own, and refused there
            return Refuse(static_cast<std::size_t>(end) + kNvImageHead,
                          "FS q image of " +
                              std::to_string(LittleEndianWord(rest, static_cast<std::size_t>(end))) + " × " +
                              std::to_string(LittleEndianWord(rest, static_cast<std::size_t>(end) + 2)) +
                              " bytes, more or fewer than an NV image has");
        }
        if (taken > 0 && end + bytes > mostBytes) break;
        end += bytes;
        ++taken;
    }
    Measure m = Known(end, at);
    m.imagesLeft = count - taken;
    return m;
}

Measure MeasureCommand(const CommonCommand& row, Span rest, std::size_t mostBytes) {
    const std::size_t o = row.opening.size();
    switch (row.rule) {
        case R::Fixed:
            return Known(o + row.parameters);
        case R::ByFunction: {
            if (rest.size() < o + 1) return Short();
            const std::uint8_t function = rest[o];
            for (const FunctionLength& f : row.functions) {
                if (f.function == function) return Known(o + 1 + f.more);
            }
            return Refuse(o + 1, std::string(row.name) + " " + HexPair(function) + " is no function of it");
        }
        case R::Counted16: {
            const std::size_t head = o + row.parameters + kLength16;
            if (rest.size() < head) return Short();
            return Known(head + LittleEndianWord(rest, head - kLength16), head);
        }
        case R::Counted32: {
            const std::size_t head = o + kLength32;
            if (rest.size() < head) return Short();
            const std::uint64_t count =
                LittleEndianWord(rest, o) + (std::uint64_t{LittleEndianWord(rest, o + 2)} << 16);
            return Known(head + count, head);
        }
        case R::Raster: {
            const std::size_t head = o + kRasterHead;
            if (rest.size() < head) return Short();
            const std::uint8_t mode = rest[o];
            const std::uint64_t bytes =
                std::uint64_t{LittleEndianWord(rest, o + 1)} * LittleEndianWord(rest, o + 3);
            if (!IsRasterMode(mode))
                return Refuse(head, std::string(row.name) + " with the mode " + HexPair(mode));
            if (bytes == 0) return Refuse(head, std::string(row.name) + " of no bytes");
            return Known(head + bytes, head);
        }
        case R::Barcode: {
            if (rest.size() < o + 1) return Short();
            const std::uint8_t m = rest[o];
            if (BarcodeSymbology(m).empty()) {
                return Refuse(o + 1, std::string(row.name) + " " + HexPair(m) + " is no barcode system");
            }
            if (m >= 65) {
                if (rest.size() < o + 2) return Short();
                return Known(o + 2 + rest[o + 1], o + 2);
            }
            // Characters up to NUL; a byte that is no barcode character ends the command there.
            for (std::size_t i = o + 1; i < rest.size() && i <= o + 1 + kMostBarcodeData; ++i) {
                if (rest[i] == kNul) return Known(i + 1, o + 1);
                if (rest[i] < 0x20 || rest[i] > 0x7E) {
                    return Refuse(i, std::string(row.name) + " " + HexPair(m) +
                                         " data broken off by the byte " + HexPair(rest[i]) +
                                         ", no barcode character");
                }
            }
            if (rest.size() <= o + 1 + kMostBarcodeData) return Short();
            return Refuse(o + 1 + kMostBarcodeData, std::string(row.name) + " " + HexPair(m) +
                                                        " data without NUL within 255 characters");
        }
        case R::TabStops: {
            // Ascending positions up to NUL; a position not above the one before ends the command there.
            std::uint8_t last = 0;
            for (std::size_t i = o; i < rest.size(); ++i) {
                if (rest[i] == kNul) return Known(i + 1);
                if (rest[i] <= last || i - o == kMostTabStops) return Known(i);
                last = rest[i];
            }
            return Short();
        }
        case R::UserCharacters: {
            const std::size_t head = o + 3;
            if (rest.size() < head) return Short();
            const std::uint8_t height = rest[o];
            const std::uint8_t first = rest[o + 1];
            const std::uint8_t last = rest[o + 2];
            if (height < 1 || height > 3 || first < 0x20 || last > 0x7E || first > last) {
                return Refuse(head, "ESC & for the characters " + HexPair(first) + " to " + HexPair(last) +
                                        ", " + std::to_string(height) + " bytes high");
            }
            std::size_t at = head;
            for (int c = first; c <= last; ++c) {
                if (rest.size() < at + 1) return Short();
                at += 1 + std::size_t{height} * rest[at];
            }
            return Known(at, head);
        }
        case R::DownloadedImage: {
            const std::size_t head = o + 2;
            if (rest.size() < head) return Short();
            const std::size_t bytes = std::size_t{rest[o]} * rest[o + 1] * 8;
            if (bytes == 0) return Refuse(head, std::string(row.name) + " of no bytes");
            return Known(head + bytes, head);
        }
        case R::NvImages: {
            if (rest.size() < o + 1) return Short();
            if (rest[o] == 0) return Refuse(o + 1, "FS q of no images");
            return MeasureNvImages(rest, o + 1, rest[o], mostBytes);
        }
    }
    return Known(o);
}

DecodedCommand NewEntry(Span bytes, std::string mnemonic, std::string meaning) {
    DecodedCommand entry;
    entry.kind = CommandKind::Unknown;
    entry.bytes.assign(bytes.begin(), bytes.end());
    entry.mnemonic = std::move(mnemonic);
    entry.meaning = std::move(meaning);
    return entry;
}

std::string_view EffectWord(CommandEffect effect) {
    switch (effect) {
        case E::Format:
            return "format";
        case E::Print:
            return "print";
        case E::Paper:
            return "paper";
        case E::Device:
            return "device";
    }
    return "device";
}

void AddCommandFields(DecodedCommand& entry, const CommonCommand& row, std::string_view name) {
    entry.fields.push_back({std::string(kCommandField), std::string(name)});
    entry.fields.push_back({"effect", std::string(EffectWord(row.effect))});
}

// The name of a command as the listing shows it: the generic rows take their function letter.
std::string NameOf(const CommonCommand& row, Span rest) {
    std::string name(row.name);
    if (row.rule == R::Counted16 && row.parameters == 1 && rest.size() > row.opening.size()) {
        const std::uint8_t letter = rest[row.opening.size()];
        name += letter > 0x20 && letter < 0x7F ? " " + std::string(1, static_cast<char>(letter))
                                               : " " + HexPair(letter);
    }
    return name;
}

// The parameter bytes the mnemonic shows after the name: the function of a counted or by-function
// command, the few parameters of a fixed one, the mode of an image or a barcode.
std::string Mnemonic(const CommonCommand& row, const std::string& name, Span command) {
    const std::size_t o = row.opening.size();
    std::size_t from = o;
    std::size_t count = 0;
    switch (row.rule) {
        case R::Fixed:
            count = row.parameters <= 3 ? row.parameters : 0;
            break;
        case R::ByFunction:
            count = command.size() - o;
            break;
        case R::Counted16:
            from = o + row.parameters + kLength16;
            count = row.describe == DescribeSymbol || row.describe == DescribeGraphics ? 2 : 0;
            break;
        case R::Counted32:
            from = o + kLength32;
            count = 2;
            break;
        case R::Raster:
        case R::Barcode:
            count = 1;
            break;
        default:
            break;
    }
    const Span shown =
        command.size() > from ? command.subspan(from, std::min(count, command.size() - from)) : Span{};
    return shown.empty() ? name : name + " " + Hex(shown);
}

}  // namespace

std::span<const CommonCommand> CommonCommands() {
    return kCommonCommands;
}

const CommonCommand* FindCommonCommand(Span rest) {
    if (rest.empty()) return nullptr;
    for (const CommonCommand* row : RowsStartingWith(rest[0])) {
        if (Opens(rest, row->opening)) return row;
    }
    return nullptr;
}

bool EndsInsideCommonOpening(Span rest) {
    if (rest.empty()) return false;
    for (const CommonCommand* row : RowsStartingWith(rest[0])) {
        if (rest.size() < row->opening.size() && Opens(rest, row->opening.substr(0, rest.size())))
            return true;
    }
    return false;
}

bool OpensCommonCommand(std::uint8_t byte) {
    return !RowsStartingWith(byte).empty();
}

FramedCommand FrameCommonCommand(const CommonCommand& row, Span rest, std::size_t mostBytes) {
    const std::string name = NameOf(row, rest);
    const Measure measure = MeasureCommand(row, rest, mostBytes);
    FramedCommand framed;
    if (measure.state == Measure::State::Refused) {
        const Span command = rest.first(std::min(measure.head, rest.size()));
        framed.entry = NewEntry(command, Mnemonic(row, name, command), "unknown: " + measure.note);
        AddCommandFields(framed.entry, row, name);
        framed.entry.fields.push_back({"note", measure.note});
        return framed;
    }
    const bool whole = measure.state == Measure::State::Known && measure.total <= rest.size();
    const bool longer = measure.state == Measure::State::Known && measure.total > mostBytes;
    if (whole && !longer) {
        const Span command = rest.first(static_cast<std::size_t>(measure.total));
        DecodedCommand entry = NewEntry(command, Mnemonic(row, name, command), "");
        AddCommandFields(entry, row, name);
        std::string meaning =
            row.describe != nullptr ? row.describe(row, command, entry) : std::string(row.meaning);
        if (measure.dataOffset > 0) {
            entry.fields.push_back(
                {std::string(kDataOffsetField), static_cast<std::int64_t>(measure.dataOffset)});
            entry.fields.push_back({std::string(kDataLengthField),
                                    static_cast<std::int64_t>(command.size() - measure.dataOffset)});
        }
        if (measure.imagesLeft > 0) {
            meaning += "; " + std::to_string(measure.imagesLeft) + " more images follow";
            framed.imagesLeft = measure.imagesLeft;
        }
        entry.meaning = std::move(meaning);
        framed.entry = std::move(entry);
        return framed;
    }
    // Longer than an entry holds, or cut off by the end of the document: the bytes that are there (a
    // long command's first `mostBytes`), its data never read as commands.
    const std::size_t kept = std::min(rest.size(), mostBytes);
    const Span command = rest.first(kept);
    const bool cut =
        measure.state == Measure::State::Short || kept < std::min<std::uint64_t>(measure.total, mostBytes);
    std::string meaning = std::string(row.meaning);
    const auto hash = meaning.find('#');
    if (hash != std::string::npos) meaning.replace(hash, 1, "n");
    meaning = name + " (" + meaning + ")";
    if (cut) {
        meaning += ", cut off by the end of the document after " + std::to_string(kept) +
                   (kept == 1 ? " byte" : " bytes");
        if (measure.state == Measure::State::Known) meaning += " of " + std::to_string(measure.total);
    } else {
        meaning += ", " + std::to_string(measure.total) + " bytes: its first " + std::to_string(kept) +
                   " here, the rest in the entries that follow";
        framed.dataLeft = measure.total - kept;
        framed.imagesLeft = measure.imagesLeft;
    }
    framed.entry = NewEntry(command, Mnemonic(row, name, command), std::move(meaning));
    framed.entry.truncated = cut;
    AddCommandFields(framed.entry, row, name);
    if (cut) {
        framed.entry.fields.push_back({"needed", measure.state == Measure::State::Known
                                                     ? static_cast<std::int64_t>(measure.total)
                                                     : 0});
    } else {
        framed.entry.fields.push_back({"continued", true});
    }
    return framed;
}

FramedCommand FrameNvImage(Span rest, std::size_t number, std::size_t count, std::size_t mostBytes) {
    static const CommonCommand& row =
        *FindCommonCommand(Span(reinterpret_cast<const std::uint8_t*>("\x1c\x71"), 2));
    const std::string name = std::string(row.name) + " image";
    const std::string what = name + " " + std::to_string(number) + " of " + std::to_string(count);
    FramedCommand framed;
    const Measure measure = MeasureNvImages(rest, 0, 1, mostBytes);
    if (measure.state == Measure::State::Refused) {
        framed.entry =
            NewEntry(rest.first(std::min(measure.head, rest.size())), name, "unknown: " + measure.note);
        AddCommandFields(framed.entry, row, name);
        framed.entry.fields.push_back({"note", measure.note});
        return framed;
    }
    if (measure.state == Measure::State::Short ||
        rest.size() < std::min<std::uint64_t>(measure.total, mostBytes)) {
        framed.entry = NewEntry(rest, name,
                                what + ", cut off by the end of the document after " +
                                    std::to_string(rest.size()) + (rest.size() == 1 ? " byte" : " bytes"));
        framed.entry.truncated = true;
        AddCommandFields(framed.entry, row, name);
        return framed;
    }
    const std::size_t kept = static_cast<std::size_t>(std::min<std::uint64_t>(measure.total, mostBytes));
    framed.entry = NewEntry(rest.first(kept), name,
                            what + ", " + std::to_string(LittleEndianWord(rest, 0) * 8) + " × " +
                                std::to_string(LittleEndianWord(rest, 2) * 8) + " dots");
    AddCommandFields(framed.entry, row, name);
    if (kept < measure.total) {
        framed.dataLeft = measure.total - kept;
        framed.entry.fields.push_back({"continued", true});
    }
    framed.imagesLeft = count - number;
    return framed;
}

bool IsCommonCommand(const DecodedCommand& entry) {
    return entry.Text(kCommandField).has_value();
}

std::string CommonCommandName(const DecodedCommand& entry) {
    return entry.Text(kCommandField).value_or("");
}

}  // namespace qvset
