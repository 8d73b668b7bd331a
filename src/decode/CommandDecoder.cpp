#include "decode/CommandDecoder.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstring>
#include <optional>
#include <string_view>

#include "console/TestPrints.h"
#include "decode/BitImageSummary.h"
#include "decode/CommonCommands.h"
#include "decode/DecodeWords.h"
#include "printer/AnsiText.h"
#include "printer/HexCodec.h"
#include "settings/FlagCommands.h"
#include "ticket/TicketGeometry.h"
#include "tuning/ParameterCommands.h"

namespace qvset {
namespace {

using Span = std::span<const std::uint8_t>;

constexpr std::uint8_t kEsc = 0x1B;
constexpr std::uint8_t kGs = 0x1D;
constexpr std::uint8_t kFs = 0x1C;

// What the decoder carries from one entry of a document to the next.
struct DecodeContext {
    // A common receipt-printer command was framed earlier: the document comes from another program.
    bool commonSeen = false;
    // The n of the last ESC t n, until ESC @ or FS & (the text after it is in that code table).
    std::optional<std::uint8_t> codeTable;
    // A framed command longer than one entry: its name, where it began, its bytes still to come, and
    // the FS q images after it.
    std::string pendingName;
    std::size_t pendingOffset = 0;
    std::uint64_t pendingTotal = 0;
    std::uint64_t dataLeft = 0;
    std::size_t imagesLeft = 0;
    std::size_t imageCount = 0;

    bool Pending() const { return dataLeft > 0 || imagesLeft > 0; }
};

Bytes FromHex(std::string_view hex) {
    return DecodeHex(hex).value();
}

Bytes FirstBytes(Span bytes, std::size_t count) {
    return Bytes(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(std::min(count, bytes.size())));
}

// The opening bytes of every command, cut from what its builder writes, and the shapes the decoder
// reads the rest by. Built once.
struct Openings {
    Bytes flag;                          // ESC 'B' (then n)
    Bytes geometry;                      // GS ( F (then pL pH fn m nL nH)
    std::size_t geometryParameters = 0;  // pL pH of the geometry command: 4
    Bytes table;                         // ESC ':' 'E' (then the count, little endian, and the body)
    Bytes factoryTable;
    Bytes storeOrTest;  // ESC ':' NUL NUL (then 'R' or 'P')
    Bytes save;
    Bytes selfTest;
    Bytes modeValue;  // ESC 01 '@' (then the signature, mode code, value, flag)
    std::size_t modeValueLength = 0;
    Bytes bitImage;     // ESC '*' (then m nL nH and the columns)
    Bytes feedForward;  // ESC 'J' (then n)
    Bytes feedBack;     // ESC 'j' (then n)
    std::uint8_t lineFeed = 0;
    std::uint8_t formFeed = 0;
    std::uint8_t carriageReturn = 0;
    std::array<bool, 256> opensCommon{};  // the first bytes of the common commands' openings
};

constexpr std::size_t kLengthBytes = 2;  // pL pH and the parameter table's count

const Openings& TheOpenings() {
    static const Openings openings = [] {
        Openings o;
        const Bytes flag = FromHex(BuildFlagCommand(kItemBlackMark, kCodeFirst));
        o.flag = FirstBytes(flag, flag.size() - 1);
        const Bytes geometry = FromHex(BuildGeometryCommand(kFnTicketLength, "0").value());
        const std::size_t geometryOpening = 3;
        o.geometry = FirstBytes(geometry, geometryOpening);
        o.geometryParameters = geometry[geometryOpening] + 256u * geometry[geometryOpening + 1];
        o.factoryTable = FromHex(FactoryParameterTable());
        o.table = FirstBytes(o.factoryTable, 3);
        o.save = SaveCommand();
        o.selfTest = Bytes(kSelfTestCommand.begin(), kSelfTestCommand.end());
        o.storeOrTest = FirstBytes(o.save, o.save.size() - 1);
        const Bytes modeValue = BuildModeValueCommand(ModeCode(TuningMode::HighSpeed), 0, kStoreFlag);
        o.modeValue = FirstBytes(modeValue, modeValue.size() - kCommandSignature.size() - 3);
        o.modeValueLength = modeValue.size();
        o.bitImage = FirstBytes(FromHex(BuildPinTestLine(1)), 2);
        o.feedForward = FirstBytes(kFeedForwardCommand, kFeedForwardCommand.size() - 1);
        o.feedBack = FirstBytes(kFeedBackCommand, kFeedBackCommand.size() - 1);
        o.lineFeed = FromHex(kLineFeedHex)[0];
        o.formFeed = FromHex(kFormFeedHex)[0];
        o.carriageReturn = kCarriageReturn;
        for (std::size_t byte = 0; byte < o.opensCommon.size(); ++byte)
            o.opensCommon[byte] = OpensCommonCommand(static_cast<std::uint8_t>(byte));
        return o;
    }();
    return openings;
}

// A command's bytes as they are usually written: ESC B 02, GS ( F, ESC : NUL NUL R.
std::string Spell(Span bytes) {
    std::string text;
    for (std::uint8_t byte : bytes) {
        if (!text.empty()) text.push_back(' ');
        switch (byte) {
            case 0x00:
                text += "NUL";
                break;
            case kEsc:
                text += "ESC";
                break;
            case kGs:
                text += "GS";
                break;
            default:
                if (byte > 0x20 && byte < 0x7F) {
                    text.push_back(static_cast<char>(byte));
                } else {
                    text += HexPair(byte);
                }
        }
    }
    return text;
}

bool StartsWith(Span rest, const Bytes& opening) {
    return rest.size() >= opening.size() && std::equal(opening.begin(), opening.end(), rest.begin());
}

// The document ends inside `opening`.
bool EndsInside(Span rest, const Bytes& opening) {
    return rest.size() < opening.size() && std::equal(rest.begin(), rest.end(), opening.begin());
}

bool Same(Span bytes, const Bytes& expected) {
    return bytes.size() == expected.size() && std::equal(bytes.begin(), bytes.end(), expected.begin());
}

DecodedCommand Entry(CommandKind kind, Span bytes, std::string mnemonic, std::string meaning) {
    DecodedCommand entry;
    entry.kind = kind;
    entry.bytes.assign(bytes.begin(), bytes.end());
    entry.mnemonic = std::move(mnemonic);
    entry.meaning = std::move(meaning);
    return entry;
}

// A command the document cut off: the bytes that are there, and how many the command needs (0 when
// that is not known yet).
DecodedCommand CutOff(CommandKind kind, Span rest, std::string_view name, std::size_t needed) {
    std::string meaning = std::string(name) + ", cut off by the end of the document after " +
                          std::to_string(rest.size()) + (rest.size() == 1 ? " byte" : " bytes");
    if (needed > 0) meaning += " of " + std::to_string(needed);
    DecodedCommand entry = Entry(kind, rest, Spell(rest), std::move(meaning));
    entry.truncated = true;
    AddNumber(entry, "needed", static_cast<std::int64_t>(needed));
    return entry;
}

// A command whose opening is known but whose parameters no builder writes: unknown bytes with a note.
DecodedCommand Refused(Span bytes, std::string note) {
    DecodedCommand entry = Entry(CommandKind::Unknown, bytes, Spell(bytes), "unknown: " + note);
    AddText(entry, "note", std::move(note));
    return entry;
}

DecodedCommand DecodeFlag(Span rest, const Openings& o) {
    const std::size_t length = o.flag.size() + 1;
    if (rest.size() < length) return CutOff(CommandKind::Flag, rest, "ESC B", length);
    const Span command = rest.first(length);
    const std::uint8_t n = command[o.flag.size()];
    const auto table = SwitchChoices();
    const auto row = std::find_if(table.begin(), table.end(), [n](const auto& r) { return r.n == n; });
    if (row == table.end()) return Refused(command, "ESC B " + HexPair(n) + " sets no switch");
    DecodedCommand entry = Entry(CommandKind::Flag, command, Spell(command),
                                 DescribeChoice(*row) + " (" + std::string(ItemCaption(row->item)) + ": " +
                                     std::string(row->choiceText) + ", item " + std::to_string(row->item) +
                                     ", code " + std::to_string(row->code) + ")");
    AddNumber(entry, "n", n);
    AddNumber(entry, "item", row->item);
    AddNumber(entry, "code", row->code);
    AddText(entry, "switch", std::string(SwitchWord(row->item)));
    AddText(entry, "choice", std::string(row->choiceWord));
    return entry;
}

// The geometry item a function byte sets, and whether it is the format-set encoding.
struct GeometryFunction {
    std::uint8_t fn;
    int item;
    bool formatSet;
};
constexpr std::array<GeometryFunction, 6> kGeometryFunctions{{
    {kFnFormatStart, kItemStartOffset, true},
    {kFnFormatBlackMark, kItemBlackMarkOffset, true},
    {kFnFormatLength, kItemTicketLength, true},
    {kFnTicketLength, kItemTicketLength, false},
    {kFnStartOffset, kItemStartOffset, false},
    {kFnBlackMarkOffset, kItemBlackMarkOffset, false},
}};

DecodedCommand DecodeGeometry(Span rest, const Openings& o) {
    const std::size_t head = o.geometry.size() + kLengthBytes;
    if (rest.size() < head) return CutOff(CommandKind::Geometry, rest, "GS ( F", 0);
    const std::size_t parameters = rest[o.geometry.size()] + 256u * rest[o.geometry.size() + 1];
    const std::size_t length = head + parameters;
    const bool shaped = parameters == o.geometryParameters;
    // A count the geometry command never has, running past the end of the document, owns nothing
    // after its head: the bytes that follow are decoded as what they are.
    if (rest.size() < length && !shaped) {
        return Refused(rest.first(head), "GS ( F with " + std::to_string(parameters) +
                                             " parameter bytes, past the end of the document; the geometry "
                                             "command has " +
                                             std::to_string(o.geometryParameters));
    }
    if (rest.size() < length) return CutOff(CommandKind::Geometry, rest, "GS ( F", length);
    const Span command = rest.first(length);
    if (!shaped) {
        return Refused(command, "GS ( F with " + std::to_string(parameters) +
                                    " parameter bytes; the geometry command has " +
                                    std::to_string(o.geometryParameters));
    }
    const std::uint8_t fn = command[head];
    const std::uint8_t mode = command[head + 1];
    const std::uint8_t low = command[head + 2];
    const std::uint8_t high = command[head + 3];
    const auto function = std::find_if(kGeometryFunctions.begin(), kGeometryFunctions.end(),
                                       [fn](const auto& f) { return f.fn == fn; });
    if (function == kGeometryFunctions.end()) {
        return Refused(command, "GS ( F function " + HexPair(fn) + " sets no ticket distance");
    }
    const bool styled = fn == kFnFormatStart;
    if (mode > (styled ? 1 : 0)) {
        return Refused(command, "GS ( F function " + HexPair(fn) + " with the mode byte " + HexPair(mode));
    }
    // The item encoding sends a non-zero low byte one higher, and a low byte of 255 carries into the
    // high byte: nL 00 with nH above 0 is also the count just below.
    std::int64_t count = 256 * high + low;
    const std::int32_t unit = function->formatSet ? kFormatSetUnit : kItemUnit;
    std::string extra;
    if (!function->formatSet) {
        count = 256 * high + (low == 0 ? 0 : low - 1);
        if (low == 1) extra = "; nL 01 is never sent, read as 00";
        if (low == 0 && high > 0) {
            extra = "; also what " + FormatMillimetres((count - 1) * unit) + " to " +
                    FormatMillimetres(count * unit - 1) + " mm are sent as";
        }
    }
    const std::string encoding = function->formatSet ? "format set" : "item";
    std::string meaning = std::string(DistanceName(function->item)) + " " + FormatMillimetres(count * unit) +
                          " to " + FormatMillimetres((count + 1) * unit - 1) + " mm";
    if (styled) meaning += ", black-mark style " + std::to_string(mode == 1 ? 1 : 2);
    meaning += " (" + encoding + " encoding, count " + std::to_string(count) + " of 0." +
               std::to_string(unit) + " mm" + extra + ")";
    DecodedCommand entry =
        Entry(CommandKind::Geometry, command, Spell(rest.first(o.geometry.size())) + " " + HexPair(fn),
              std::move(meaning));
    AddNumber(entry, "function", fn);
    AddNumber(entry, "mode", mode);
    AddNumber(entry, "item", function->item);
    AddText(entry, "distance", std::string(DistanceWord(function->item)));
    AddText(entry, "encoding", encoding);
    AddNumber(entry, "count", count);
    AddNumber(entry, "unit", unit);
    if (styled) AddNumber(entry, "style", mode == 1 ? 1 : 2);
    return entry;
}

DecodedCommand DecodeTable(Span rest, const Openings& o) {
    const std::size_t head = o.table.size() + kLengthBytes;
    if (rest.size() < head) return CutOff(CommandKind::ParameterTable, rest, "ESC : E", 0);
    const std::size_t count = rest[o.table.size()] + 256u * rest[o.table.size() + 1];
    const std::size_t length = head + count;
    // So does a table of another size than the QV6's.
    const std::size_t factoryCount = o.factoryTable.size() - head;
    if (rest.size() < length && count != factoryCount) {
        return Refused(rest.first(head),
                       "ESC : E of " + std::to_string(count) +
                           " bytes, past the end of the document; the parameter table has " +
                           std::to_string(factoryCount));
    }
    if (rest.size() < length) return CutOff(CommandKind::ParameterTable, rest, "ESC : E", length);
    const Span command = rest.first(length);
    const Span body = command.subspan(head);
    const bool factory = Same(command, o.factoryTable);
    std::string meaning = "parameter table, " + std::to_string(count) + " bytes";
    std::string rows;
    std::size_t rowCount = 0;
    std::int64_t word = -1;
    if (body.size() >= 2) {
        word = body[0] + 256 * body[1];
        char text[16];
        std::snprintf(text, sizeof text, "0x%04X", static_cast<unsigned>(word));
        meaning += ": word " + std::string(text);
        for (std::size_t i = 2; i < body.size(); i += 2) {
            if (!rows.empty()) rows.push_back(' ');
            rows += HexPair(body[i]);
            if (i + 1 < body.size()) rows += HexPair(body[i + 1]);
            ++rowCount;
        }
        meaning += " and " + std::to_string(rowCount) + (rowCount == 1 ? " row " : " rows ") + rows;
    }
    meaning += factory ? " (the factory table)" : " (not the factory table)";
    DecodedCommand entry = Entry(CommandKind::ParameterTable, command, Spell(o.table), std::move(meaning));
    AddNumber(entry, "count", static_cast<std::int64_t>(count));
    AddNumber(entry, "word", word);
    AddNumber(entry, "rowCount", static_cast<std::int64_t>(rowCount));
    AddText(entry, "rows", rows);
    entry.fields.push_back({"factory", factory});
    return entry;
}

DecodedCommand DecodeStoreOrTest(Span rest, const Openings& o) {
    const std::size_t length = o.save.size();
    if (rest.size() < length)
        return CutOff(CommandKind::Unknown, rest, "ESC : NUL NUL (save or self-test)", length);
    const Span command = rest.first(length);
    if (Same(command, o.save)) {
        return Entry(CommandKind::Save, command, Spell(command), "save the printer's parameters");
    }
    if (Same(command, o.selfTest))
        return Entry(CommandKind::SelfTest, command, Spell(command), "print the self-test");
    return Refused(command, Spell(command) + " is neither the save nor the self-test command");
}

const TuningMode* ModeOfCode(std::uint8_t code) {
    for (const TuningMode& mode : kTuningModes) {
        if (ModeCode(mode) == code) return &mode;
    }
    return nullptr;
}

DecodedCommand DecodeModeValue(Span rest, const Openings& o) {
    const std::size_t length = o.modeValueLength;
    if (rest.size() < length) return CutOff(CommandKind::ModeValue, rest, "mode value command", length);
    const Span command = rest.first(length);
    const Span signature = command.subspan(o.modeValue.size(), kCommandSignature.size());
    const std::uint8_t code = command[length - 3];
    const std::uint8_t value = command[length - 2];
    const std::uint8_t flag = command[length - 1];
    const std::string signatureText(signature.begin(), signature.end());
    if (signatureText != kCommandSignature) {
        return Refused(command, "mode value command with the signature " + Spell(signature) + ", not " +
                                    std::string(kCommandSignature));
    }
    const TuningMode* mode = ModeOfCode(code);
    if (mode == nullptr) return Refused(command, "mode value command for the unknown mode " + HexPair(code));
    if (flag != kStoreFlag && flag != kTestFlag) {
        return Refused(command, "mode value command with the flag " + HexPair(flag));
    }
    const bool store = flag == kStoreFlag;
    DecodedCommand entry =
        Entry(CommandKind::ModeValue, command, Spell(rest.first(o.modeValue.size())) + " " + signatureText,
              std::string(ModeName(*mode)) + " (" + std::string(ModeCaption(*mode)) + ") value " +
                  std::to_string(value) + (store ? ", store" : ", test print"));
    AddNumber(entry, "mode", code);
    AddText(entry, "modeWord", std::string(ModeWord(*mode)));
    AddNumber(entry, "value", value);
    AddNumber(entry, "flag", flag);
    AddText(entry, "purpose", store ? "store" : "test");
    return entry;
}

// Column bytes of the bit-image modes: 8-dot single and double density, 24-dot single and double.
std::size_t BytesPerColumn(std::uint8_t mode) {
    switch (mode) {
        case 0x00:
        case 0x01:
            return 1;
        case 0x20:
        case 0x21:
            return 3;
        default:
            return 0;
    }
}

DecodedCommand DecodeBitImage(Span rest, const Openings& o) {
    const std::size_t head = o.bitImage.size() + 1 + kLengthBytes;
    if (rest.size() < head) return CutOff(CommandKind::BitImage, rest, "ESC *", 0);
    const std::uint8_t mode = rest[o.bitImage.size()];
    const std::size_t perColumn = BytesPerColumn(mode);
    if (perColumn == 0) return Refused(rest.first(head), "ESC * with the mode " + HexPair(mode));
    const std::size_t columns = rest[head - 2] + 256u * rest[head - 1];
    const std::size_t length = head + columns * perColumn;
    const bool cut = rest.size() < length;
    const Span command = cut ? rest : rest.first(length);
    const Span data = command.subspan(head);
    const std::string summary = SummariseColumns(data, perColumn, columns);
    std::string meaning = "bit image mode " + std::to_string(mode) + " (" + std::to_string(8 * perColumn) +
                          " dots), " + summary;
    if (cut) meaning += ", cut off by the end of the document";
    DecodedCommand entry =
        Entry(CommandKind::BitImage, command, Spell(rest.first(o.bitImage.size())) + " " + HexPair(mode),
              std::move(meaning));
    entry.truncated = cut;
    AddNumber(entry, "mode", mode);
    AddNumber(entry, "dots", static_cast<std::int64_t>(8 * perColumn));
    AddNumber(entry, "columns", static_cast<std::int64_t>(columns));
    AddNumber(entry, "present", static_cast<std::int64_t>(data.size() / perColumn));
    AddNumber(entry, "dataOffset", static_cast<std::int64_t>(head));
    AddText(entry, "summary", summary);
    return entry;
}

DecodedCommand DecodeFeed(Span rest, const Bytes& opening, CommandKind kind, std::string_view direction) {
    const std::size_t length = opening.size() + 1;
    if (rest.size() < length) return CutOff(kind, rest, Spell(opening), length);
    const Span command = rest.first(length);
    const std::uint8_t units = command[opening.size()];
    DecodedCommand entry = Entry(kind, command, Spell(opening) + " " + HexPair(units),
                                 "feed " + std::string(direction) + " " + std::to_string(units) + " units");
    AddNumber(entry, "units", units);
    return entry;
}

using CommandReader = DecodedCommand (*)(Span, const Openings&);

struct CommandOpening {
    const Bytes Openings::*opening;
    CommandKind cutKind;  // the kind of a command the document ends inside of
    std::string_view name;
    CommandReader read;
};

const std::array<CommandOpening, 8> kQvCommands{{
    {&Openings::flag, CommandKind::Flag, "ESC B", DecodeFlag},
    {&Openings::geometry, CommandKind::Geometry, "GS ( F", DecodeGeometry},
    {&Openings::table, CommandKind::ParameterTable, "ESC : E", DecodeTable},
    {&Openings::storeOrTest, CommandKind::Unknown, "ESC : NUL NUL (save or self-test)", DecodeStoreOrTest},
    {&Openings::modeValue, CommandKind::ModeValue, "mode value command", DecodeModeValue},
    {&Openings::bitImage, CommandKind::BitImage, "ESC *", DecodeBitImage},
    {&Openings::feedForward, CommandKind::FeedForward, "ESC J",
     [](Span rest, const Openings& o) {
         return DecodeFeed(rest, o.feedForward, CommandKind::FeedForward, "forward");
     }},
    {&Openings::feedBack, CommandKind::FeedBack, "ESC j",
     [](Span rest, const Openings& o) {
         return DecodeFeed(rest, o.feedBack, CommandKind::FeedBack, "back");
     }},
}};

bool IsAscii(std::uint8_t byte) {
    return byte >= 0x20 && byte <= 0x7E;
}
bool IsGbkLead(std::uint8_t byte) {
    return byte >= 0x81 && byte <= 0xFE;
}
bool IsGbkTrail(std::uint8_t byte) {
    return byte >= 0x40 && byte <= 0xFE && byte != 0x7F;
}

// A run of printable characters; empty when `rest` does not start with one.
std::size_t TextLength(Span rest) {
    std::size_t i = 0;
    while (i < rest.size()) {
        if (IsAscii(rest[i])) {
            ++i;
        } else if (IsGbkLead(rest[i]) && i + 1 < rest.size() && IsGbkTrail(rest[i + 1])) {
            i += 2;
        } else {
            break;
        }
    }
    return i;
}

DecodedCommand DecodeText(Span text) {
    const std::string utf8 =
        FromAnsi(std::string_view(reinterpret_cast<const char*>(text.data()), text.size()));
    DecodedCommand entry = Entry(CommandKind::Text, text, "text", "\"" + utf8 + "\"");
    AddText(entry, "text", utf8);
    return entry;
}

DecodedCommand Unknown(Span bytes) {
    return Entry(CommandKind::Unknown, bytes, "?", "");
}

// A common receipt-printer command at the start of `rest`, framed by its own length rule; nullopt when
// none opens there.
std::optional<DecodedCommand> DecodeCommon(Span rest, DecodeContext& context) {
    const CommonCommand* row = FindCommonCommand(rest);
    if (row == nullptr) return std::nullopt;
    FramedCommand framed = FrameCommonCommand(*row, rest, kDecodeWindow);
    if (framed.dataLeft > 0 || framed.imagesLeft > 0) {
        context.pendingName = CommonCommandName(framed.entry);
        context.pendingTotal = framed.entry.bytes.size() + framed.dataLeft;
        context.dataLeft = framed.dataLeft;
        context.imagesLeft = framed.imagesLeft;
        context.imageCount = rest.size() > row->opening.size() ? rest[row->opening.size()] : 0;
    }
    return std::move(framed.entry);
}

DecodedCommand DecodeEscape(Span rest, const Openings& o, DecodeContext& context) {
    for (const auto& command : kQvCommands) {
        if (StartsWith(rest, o.*command.opening)) return command.read(rest, o);
    }
    // The document ends inside one of the QV6's own openings (GS ( at its end is taken for GS ( F).
    const CommandOpening* inside = nullptr;
    bool several = false;
    for (const auto& command : kQvCommands) {
        if (!EndsInside(rest, o.*command.opening)) continue;
        several = several || (inside != nullptr && inside->cutKind != command.cutKind);
        if (inside == nullptr) inside = &command;
    }
    if (inside != nullptr) {
        return several ? CutOff(CommandKind::Unknown, rest, Spell(rest) + " (a command)", 0)
                       : CutOff(inside->cutKind, rest, inside->name, 0);
    }
    if (auto common = DecodeCommon(rest, context)) return std::move(*common);
    if (EndsInsideCommonOpening(rest))
        return CutOff(CommandKind::Unknown, rest, Spell(rest) + " (a command)", 0);
    // An escape no command set gives: it and the letter that names its command are unknown.
    const std::size_t length = rest.size() > 1 && IsAscii(rest[1]) ? 2 : 1;
    return Unknown(rest.first(length));
}

// FS, DLE and the single-byte common commands (HT, CAN).
DecodedCommand DecodeOtherCommon(Span rest, DecodeContext& context) {
    if (auto common = DecodeCommon(rest, context)) return std::move(*common);
    if (EndsInsideCommonOpening(rest))
        return CutOff(CommandKind::Unknown, rest, Spell(rest) + " (a command)", 0);
    const std::size_t length = rest[0] == kFs && rest.size() > 1 && IsAscii(rest[1]) ? 2 : 1;
    return Unknown(rest.first(length));
}

// The next piece of a framed command longer than one entry: its data, never read as commands.
DecodedCommand DecodePending(Span rest, DecodeContext& context) {
    if (context.dataLeft == 0) {
        // The next image of an FS q.
        const std::size_t number = context.imageCount - context.imagesLeft + 1;
        FramedCommand framed = FrameNvImage(rest, number, context.imageCount, kDecodeWindow);
        context.dataLeft = framed.dataLeft;
        context.imagesLeft = framed.entry.truncated || framed.entry.Text("note") ? 0 : framed.imagesLeft;
        context.pendingTotal = framed.entry.bytes.size() + framed.dataLeft;
        context.pendingName = CommonCommandName(framed.entry);
        return std::move(framed.entry);
    }
    const std::size_t want =
        static_cast<std::size_t>(std::min<std::uint64_t>(context.dataLeft, kDecodeWindow));
    const std::size_t kept = std::min(want, rest.size());
    const bool cut = kept < want;
    const std::uint64_t done = context.pendingTotal - context.dataLeft;
    std::string meaning = "data of the " + context.pendingName + " at offset " +
                          std::to_string(context.pendingOffset) + ", bytes " + std::to_string(done) + " to " +
                          std::to_string(done + kept - 1) + " of its " + std::to_string(context.pendingTotal);
    if (cut) meaning += ", cut off by the end of the document";
    DecodedCommand entry =
        Entry(CommandKind::Unknown, rest.first(kept), context.pendingName + " data", std::move(meaning));
    entry.truncated = cut;
    AddText(entry, std::string(kCommandField), context.pendingName);
    entry.fields.push_back({"continuation", true});
    context.dataLeft = cut ? 0 : context.dataLeft - kept;
    if (cut) context.imagesLeft = 0;
    if (context.dataLeft > 0) entry.fields.push_back({"continued", true});
    return entry;
}

// A byte that DecodeAt makes a plain unknown entry of one byte whatever follows it.
bool IsLoneUnknown(std::uint8_t byte, const Openings& o) {
    return byte != o.lineFeed && byte != o.carriageReturn && byte != o.formFeed && byte != kEsc &&
           byte != kGs && !IsAscii(byte) && !IsGbkLead(byte) && !o.opensCommon[byte];
}

// Where the QV6's own command and another printer's read the same bytes otherwise, the QV6's wins; in
// a document from another program (or an ESC B followed by a byte no command opens, the t of another
// printer's ESC B n t), the listing says so.
void NoteTheQv6Wins(DecodedCommand& entry, Span rest, const Openings& o, const DecodeContext& context) {
    const bool flag = StartsWith(entry.bytes, o.flag) && entry.bytes.size() == o.flag.size() + 1;
    const bool feedBack = entry.kind == CommandKind::FeedBack && !entry.truncated;
    if (!flag && !feedBack) return;
    const std::size_t length = entry.bytes.size();
    const bool followed = rest.size() > length;
    if (flag) {
        if (!context.commonSeen && !(followed && IsLoneUnknown(rest[length], o))) return;
        entry.meaning += "; on the QV6 ESC B n is a stored switch (other printers' ESC B n t beeps)";
        if (followed) entry.meaning += ": the next byte, " + HexPair(rest[length]) + ", is ordinary data";
        AddText(entry, "otherPrinters", "ESC B n t: beep");
    } else {
        if (!context.commonSeen) return;
        entry.meaning += "; on the QV6 ESC j n feeds back (other printers may read it otherwise)";
        AddText(entry, "otherPrinters", "ESC j n: other or no command");
    }
}

// Text after ESC t n: the printer reads it in that code table, the decoder as GBK; such text is
// marked. Text of ASCII characters alone reads the same in both.
void NoteTheCodeTable(DecodedCommand& entry, const DecodeContext& context) {
    if (entry.kind != CommandKind::Text || !context.codeTable) return;
    if (std::none_of(entry.bytes.begin(), entry.bytes.end(), [](std::uint8_t b) { return b >= 0x80; }))
        return;
    entry.meaning += " (after ESC t n, n = " + std::to_string(*context.codeTable) + ": read as GBK)";
    AddNumber(entry, "codeTable", *context.codeTable);
}

// What a common command changes for the entries after it.
void Remember(const DecodedCommand& entry, DecodeContext& context) {
    if (!IsCommonCommand(entry) || entry.truncated || entry.Text("note")) return;
    context.commonSeen = true;
    const std::string name = CommonCommandName(entry);
    if (name == "ESC t") context.codeTable = static_cast<std::uint8_t>(entry.Number("n").value_or(0));
    if (name == "ESC @" || name == "FS &") context.codeTable.reset();
}

DecodedCommand DecodeAt(Span rest, const Openings& o, DecodeContext& context) {
    if (context.Pending()) return DecodePending(rest, context);
    const std::uint8_t first = rest[0];
    if (first == o.lineFeed) return Entry(CommandKind::LineFeed, rest.first(1), "LF", "line feed");
    if (first == o.carriageReturn)
        return Entry(CommandKind::CarriageReturn, rest.first(1), "CR", "carriage return");
    if (first == o.formFeed) return Entry(CommandKind::FormFeed, rest.first(1), "FF", "form feed");
    if (first == kEsc || first == kGs) {
        DecodedCommand entry = DecodeEscape(rest, o, context);
        NoteTheQv6Wins(entry, rest, o, context);
        Remember(entry, context);
        return entry;
    }
    if (o.opensCommon[first]) {
        DecodedCommand entry = DecodeOtherCommon(rest, context);
        Remember(entry, context);
        return entry;
    }
    if (const std::size_t text = TextLength(rest); text > 0) {
        DecodedCommand entry = DecodeText(rest.first(text));
        NoteTheCodeTable(entry, context);
        return entry;
    }
    if (IsGbkLead(first) && rest.size() == 1) return CutOff(CommandKind::Text, rest, "GBK character", 2);
    return Unknown(rest.first(1));
}

bool IsPlainUnknown(const DecodedCommand& entry) {
    return entry.kind == CommandKind::Unknown && !entry.truncated && entry.fields.empty();
}

void DescribeUnknown(DecodedCommand& entry) {
    entry.meaning = "unknown: " + std::to_string(entry.bytes.size()) +
                    (entry.bytes.size() == 1 ? " byte" : " bytes") +
                    " that no command of this program writes";
}

// Joins the entries as they come into runs: plain unknown bytes into one entry (up to kMostUnknownRun
// bytes), identical commands into one entry with their count. Holds one entry, the run being made.
class Runs {
  public:
    explicit Runs(const EntryTaker& take) : m_take(take) {}

    void Add(DecodedCommand entry) {
        if (m_run && IsPlainUnknown(*m_run) && IsPlainUnknown(entry) &&
            m_run->bytes.size() + entry.bytes.size() <= kMostUnknownRun) {
            m_run->bytes.insert(m_run->bytes.end(), entry.bytes.begin(), entry.bytes.end());
            return;
        }
        if (m_run && Repeats(*m_run, entry)) {
            ++m_run->count;
            return;
        }
        Finish();
        m_run = std::move(entry);
    }

    void Finish() {
        if (!m_run) return;
        if (IsPlainUnknown(*m_run)) DescribeUnknown(*m_run);
        if (m_run->count > 1) m_run->mnemonic += " × " + std::to_string(m_run->count);
        m_take(std::move(*m_run));
        m_run.reset();
    }

    // Counts the run's command again for every copy of its very bytes at the start of `rest` (a whole
    // command: the same bytes decode to the same command), and a run of unknown bytes grows by the lone
    // unknown bytes there; the bytes taken, 0 when none.
    std::size_t Repeat(Span rest, const Openings& o) {
        if (!m_run) return 0;
        std::size_t taken = 0;
        if (IsPlainUnknown(*m_run)) {
            const std::size_t room = kMostUnknownRun - std::min(kMostUnknownRun, m_run->bytes.size());
            // The last byte is left to DecodeAt: a GBK lead there is a character cut off.
            while (taken < room && taken + 1 < rest.size() && IsLoneUnknown(rest[taken], o)) ++taken;
            m_run->bytes.insert(m_run->bytes.end(), rest.begin(),
                                rest.begin() + static_cast<std::ptrdiff_t>(taken));
            return taken;
        }
        if (!Countable(*m_run)) return 0;
        const std::size_t size = m_run->bytes.size();
        const std::uint8_t* const at = rest.data();
        if (size == 1) {
            const std::uint8_t only = m_run->bytes[0];
            while (taken < rest.size() && at[taken] == only) ++taken;
            m_run->count += taken;
            return taken;
        }
        while (rest.size() - taken >= size && std::memcmp(at + taken, m_run->bytes.data(), size) == 0) {
            taken += size;
            ++m_run->count;
        }
        return taken;
    }

  private:
    static bool Countable(const DecodedCommand& entry) {
        return entry.kind != CommandKind::Text && !IsPlainUnknown(entry) && !entry.truncated &&
               (entry.kind != CommandKind::Unknown ||
                (!entry.Flag("continued") && !entry.Flag("continuation")));
    }
    // The same command again: a text or unknown bytes are never counted, nor a cut-off command.
    static bool Repeats(const DecodedCommand& run, const DecodedCommand& entry) {
        return run.kind == entry.kind && Countable(run) && Countable(entry) && run.bytes == entry.bytes;
    }

    const EntryTaker& m_take;
    std::optional<DecodedCommand> m_run;
};

}  // namespace

std::uint64_t DecodeStream(const DocumentReader& read, const EntryTaker& take, bool* readFailed,
                           std::optional<std::uint64_t> knownSize) {
    const Openings& openings = TheOpenings();
    if (readFailed != nullptr) *readFailed = false;
    // The window: document bytes from `offset` on are buffer[begin, end); a short document of known
    // size gets room for the whole of it and the read that finds its end.
    std::vector<std::uint8_t> buffer(knownSize && *knownSize < 2 * kDecodeWindow
                                         ? static_cast<std::size_t>(*knownSize) + 1
                                         : 2 * kDecodeWindow);
    std::size_t begin = 0;
    std::size_t end = 0;
    std::uint64_t offset = 0;
    bool atEnd = false;
    Runs runs(take);
    DecodeContext context;
    for (;;) {
        // At least a window's worth ahead, unless the document ends first: no command is cut by it.
        if (end - begin < kDecodeWindow && !atEnd) {
            std::copy(buffer.begin() + static_cast<std::ptrdiff_t>(begin),
                      buffer.begin() + static_cast<std::ptrdiff_t>(end), buffer.begin());
            end -= begin;
            begin = 0;
            while (end < buffer.size() && !atEnd) {
                const std::ptrdiff_t got = read(std::span(buffer).subspan(end));
                if (got < 0 && readFailed != nullptr) *readFailed = true;
                if (got <= 0) {
                    atEnd = true;
                } else {
                    end += static_cast<std::size_t>(got);
                }
            }
        }
        if (begin == end) break;
        if (const std::size_t repeated =
                context.Pending() ? 0
                                  : runs.Repeat(std::span(buffer).subspan(begin, end - begin), openings)) {
            begin += repeated;
            offset += repeated;
            continue;
        }
        DecodedCommand entry = DecodeAt(std::span(buffer).subspan(begin, end - begin), openings, context);
        entry.offset = static_cast<std::size_t>(offset);
        if (context.dataLeft > 0 && !entry.Flag("continuation")) context.pendingOffset = entry.offset;
        begin += entry.bytes.size();
        offset += entry.bytes.size();
        runs.Add(std::move(entry));
    }
    runs.Finish();
    return offset;
}

std::vector<DecodedCommand> DecodeDocument(std::span<const std::uint8_t> document) {
    std::vector<DecodedCommand> entries;
    DecodeStream(
        [&document](std::span<std::uint8_t> buffer) {
            const std::size_t count = std::min(buffer.size(), document.size());
            std::copy_n(document.begin(), count, buffer.begin());
            document = document.subspan(count);
            return static_cast<std::ptrdiff_t>(count);
        },
        [&entries](DecodedCommand&& entry) { entries.push_back(std::move(entry)); }, nullptr,
        document.size());
    return entries;
}

}  // namespace qvset
