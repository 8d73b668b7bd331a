#include "decode/CommonCommandWords.h"

#include <array>

#include "printer/HexCodec.h"

namespace qvset {
namespace {

using Span = std::span<const std::uint8_t>;

std::string Filled(std::string_view meaning, std::int64_t value) {
    std::string text(meaning);
    const auto hash = text.find('#');
    if (hash != std::string::npos) text.replace(hash, 1, std::to_string(value));
    return text;
}

// The last byte of a fixed command: its n.
std::uint8_t LastByte(Span command) {
    return command.back();
}

// Parameters given either as 0, 1, 2 or as the digits '0', '1', '2'.
int Choice(std::uint8_t n) {
    return n >= '0' && n <= '9' ? n - '0' : n;
}

std::string Times(int factor) {
    return "×" + std::to_string(factor);
}

// The counted part of GS ( L, GS 8 L or GS ( k: what follows pL pH (or p1 to p4).
Span BodyOf(const CommonCommand& row, Span command) {
    const std::size_t head =
        row.rule == LengthRule::Counted32 ? row.opening.size() + 4 : row.opening.size() + row.parameters + 2;
    return command.size() > head ? command.subspan(head) : Span{};
}

}  // namespace

std::string PrintableBytes(Span bytes) {
    std::string text;
    for (std::uint8_t byte : bytes) {
        if (byte >= 0x20 && byte < 0x7F && byte != '\\') {
            text.push_back(static_cast<char>(byte));
        } else {
            text += "\\x" + HexPair(byte);
        }
    }
    return text;
}

std::string DescribeNumber(const CommonCommand& row, Span command, DecodedCommand& entry) {
    const std::uint8_t n = LastByte(command);
    AddNumber(entry, "n", n);
    return Filled(row.meaning, n);
}

std::string DescribeWord(const CommonCommand& row, Span command, DecodedCommand& entry) {
    const std::size_t n = LittleEndianWord(command, row.opening.size());
    AddNumber(entry, "n", static_cast<std::int64_t>(n));
    return Filled(row.meaning, static_cast<std::int64_t>(n));
}

std::string DescribeOnOff(const CommonCommand& row, Span command, DecodedCommand& entry) {
    const bool on = (LastByte(command) & 1) != 0;
    AddNumber(entry, "n", LastByte(command));
    AddFlag(entry, "on", on);
    return std::string(row.meaning) + (on ? " on" : " off");
}

std::string DescribeUnderline(const CommonCommand& row, Span command, DecodedCommand& entry) {
    const int dots = Choice(LastByte(command));
    AddNumber(entry, "n", LastByte(command));
    AddNumber(entry, "dots", dots <= 2 ? dots : 0);
    if (dots == 1 || dots == 2)
        return std::string(row.meaning) + " " + std::to_string(dots) + " dot" + (dots == 2 ? "s" : "");
    return std::string(row.meaning) + " off";
}

std::string DescribePrintMode(const CommonCommand& row, Span command, DecodedCommand& entry) {
    const std::uint8_t n = LastByte(command);
    const bool fontB = (n & 0x01) != 0;
    const bool bold = (n & 0x08) != 0;
    const bool tall = (n & 0x10) != 0;
    const bool wide = (n & 0x20) != 0;
    const bool underline = (n & 0x80) != 0;
    AddNumber(entry, "n", n);
    AddText(entry, "font", fontB ? "B" : "A");
    AddFlag(entry, "bold", bold);
    AddFlag(entry, "doubleHeight", tall);
    AddFlag(entry, "doubleWidth", wide);
    AddFlag(entry, "underline", underline);
    std::string text = std::string(row.meaning) + ": font " + (fontB ? "B" : "A");
    if (bold) text += ", bold";
    if (tall) text += ", double height";
    if (wide) text += ", double width";
    if (underline) text += ", underline";
    return text;
}

std::string DescribeCharacterSize(const CommonCommand& row, Span command, DecodedCommand& entry) {
    const std::uint8_t n = LastByte(command);
    const int width = ((n >> 4) & 0x07) + 1;
    const int height = (n & 0x07) + 1;
    AddNumber(entry, "n", n);
    AddNumber(entry, "width", width);
    AddNumber(entry, "height", height);
    return std::string(row.meaning) + " width " + Times(width) + ", height " + Times(height);
}

std::string DescribeAlignment(const CommonCommand& row, Span command, DecodedCommand& entry) {
    static constexpr std::array<std::string_view, 3> kWords{"left", "centred", "right"};
    const int choice = Choice(LastByte(command));
    AddNumber(entry, "n", LastByte(command));
    AddNumber(entry, "alignment", choice <= 2 ? choice : 0);
    return std::string(row.meaning) + " " +
           std::string(choice <= 2 ? kWords[static_cast<std::size_t>(choice)] : "left");
}

std::string DescribeFont(const CommonCommand& row, Span command, DecodedCommand& entry) {
    const int choice = Choice(LastByte(command));
    const char font = static_cast<char>('A' + (choice <= 4 ? choice : 0));
    AddNumber(entry, "n", LastByte(command));
    AddText(entry, "font", std::string(1, font));
    return std::string(row.meaning) + " " + font;
}

std::string DescribeCodeTable(const CommonCommand& row, Span command, DecodedCommand& entry) {
    struct Table {
        std::uint8_t n;
        std::string_view name;
    };
    static constexpr std::array<Table, 12> kTables{{{0, "PC437"},
                                                    {1, "Katakana"},
                                                    {2, "PC850"},
                                                    {3, "PC860"},
                                                    {4, "PC863"},
                                                    {5, "PC865"},
                                                    {16, "WPC1252"},
                                                    {17, "PC866"},
                                                    {18, "PC852"},
                                                    {19, "PC858"},
                                                    {254, "page 254"},
                                                    {255, "user page"}}};
    const std::uint8_t n = LastByte(command);
    AddNumber(entry, "n", n);
    std::string text = std::string(row.meaning) + " " + std::to_string(n);
    for (const Table& table : kTables) {
        if (table.n == n) text += " (" + std::string(table.name) + " on most printers)";
    }
    return text + "; the text after it is still read as GBK here";
}

std::string DescribePulse(const CommonCommand& row, Span command, DecodedCommand& entry) {
    const std::size_t o = row.opening.size();
    const int pin = Choice(command[o]) == 1 ? 5 : 2;
    AddNumber(entry, "pin", pin);
    AddNumber(entry, "onMs", 2 * std::int64_t{command[o + 1]});
    AddNumber(entry, "offMs", 2 * std::int64_t{command[o + 2]});
    return std::string(row.meaning) + " on pin " + std::to_string(pin) + ", " +
           std::to_string(2 * command[o + 1]) + " ms on, " + std::to_string(2 * command[o + 2]) + " ms off";
}

std::string DescribeCut(const CommonCommand& row, Span command, DecodedCommand& entry) {
    const std::size_t o = row.opening.size();
    const std::uint8_t m = command[o];
    const bool partial = m == 1 || m == 49 || m == 66 || m == 98 || m == 104;
    AddNumber(entry, "function", m);
    AddText(entry, "cut", partial ? "partial" : "full");
    std::string text = partial ? "partial cut" : "full cut";
    if (command.size() > o + 1) {
        const std::uint8_t n = command[o + 1];
        AddNumber(entry, "n", n);
        if (m == 65 || m == 66) {
            AddNumber(entry, "feed", n);
            text = "feed " + std::to_string(n) + " dots, then " + text;
        } else if (m == 97 || m == 98) {
            AddNumber(entry, "feed", n);
            text = "feed " + std::to_string(n) + " dots, " + text + ", then back to the print start";
        } else {
            text += " at cutting position " + std::to_string(n);
        }
    }
    return text;
}

std::string DescribeTextPosition(const CommonCommand& row, Span command, DecodedCommand& entry) {
    static constexpr std::array<std::string_view, 4> kWords{"none", "above", "below", "above and below"};
    const int choice = Choice(LastByte(command));
    const int position = choice <= 3 ? choice : 0;
    AddNumber(entry, "n", LastByte(command));
    AddNumber(entry, "position", position);
    return std::string(row.meaning) + " " + std::string(kWords[static_cast<std::size_t>(position)]);
}

std::string DescribeRaster(const CommonCommand& row, Span command, DecodedCommand& entry) {
    static constexpr std::array<std::string_view, 4> kModes{"", ", double width", ", double height",
                                                            ", quadruple"};
    const std::size_t o = row.opening.size();
    const int mode = command[o] & 0x03;
    const std::size_t widthBytes = LittleEndianWord(command, o + 1);
    const std::size_t height = LittleEndianWord(command, o + 3);
    AddNumber(entry, "mode", mode);
    AddNumber(entry, "widthBytes", static_cast<std::int64_t>(widthBytes));
    AddNumber(entry, "width", static_cast<std::int64_t>(8 * widthBytes));
    AddNumber(entry, "height", static_cast<std::int64_t>(height));
    return std::string(row.meaning) + " " + std::to_string(8 * widthBytes) + " × " + std::to_string(height) +
           " dots" + std::string(kModes[static_cast<std::size_t>(mode)]);
}

std::string DescribeGraphics(const CommonCommand& row, Span command, DecodedCommand& entry) {
    const Span body = BodyOf(row, command);
    if (body.size() < 2) return std::string(row.meaning) + ", " + std::to_string(body.size()) + " bytes";
    const std::uint8_t fn = body[1];
    AddNumber(entry, "function", fn);
    std::string name = std::string(row.meaning) + " function " + std::to_string(fn);
    // Store in the print buffer (raster 112, column 113): a bx by c xL xH yL yH and the data.
    if ((fn == 112 || fn == 113) && body.size() >= 10) {
        const std::size_t width = LittleEndianWord(body, 6);
        const std::size_t height = LittleEndianWord(body, 8);
        AddNumber(entry, "tone", body[2]);
        AddNumber(entry, "scaleX", body[3]);
        AddNumber(entry, "scaleY", body[4]);
        AddNumber(entry, "colour", body[5]);
        AddNumber(entry, "width", static_cast<std::int64_t>(width));
        AddNumber(entry, "height", static_cast<std::int64_t>(height));
        AddNumber(entry, "imageOffset", static_cast<std::int64_t>(command.size() - body.size() + 10));
        AddText(entry, "format", fn == 112 ? "raster" : "column");
        return std::string(row.meaning) + ": store a " + (fn == 112 ? "raster" : "column") + " image of " +
               std::to_string(width) + " × " + std::to_string(height) + " dots for printing";
    }
    if (fn == 2 || fn == 50) return std::string(row.meaning) + ": print the stored image";
    // Define an NV image (raster 67, column 68): a kc1 kc2 b xL xH yL yH, then c and the data per colour.
    if ((fn == 67 || fn == 68) && body.size() >= 10) {
        const std::size_t width = LittleEndianWord(body, 6);
        const std::size_t height = LittleEndianWord(body, 8);
        AddText(entry, "key", PrintableBytes(body.subspan(3, 2)));
        AddNumber(entry, "colours", body[5]);
        AddNumber(entry, "width", static_cast<std::int64_t>(width));
        AddNumber(entry, "height", static_cast<std::int64_t>(height));
        // the first colour's data follows its colour byte
        AddNumber(entry, "imageOffset", static_cast<std::int64_t>(command.size() - body.size() + 11));
        AddText(entry, "format", fn == 67 ? "raster" : "column");
        return std::string(row.meaning) + ": define the NV image \"" + PrintableBytes(body.subspan(3, 2)) +
               "\" of " + std::to_string(width) + " × " + std::to_string(height) + " dots";
    }
    // Print an NV image: kc1 kc2 x y.
    if (fn == 69 && body.size() >= 6) {
        AddText(entry, "key", PrintableBytes(body.subspan(2, 2)));
        AddNumber(entry, "scaleX", body[4]);
        AddNumber(entry, "scaleY", body[5]);
        return std::string(row.meaning) + ": print the NV image \"" + PrintableBytes(body.subspan(2, 2)) +
               "\"";
    }
    return name;
}

std::string DescribeSymbol(const CommonCommand& row, Span command, DecodedCommand& entry) {
    struct Symbol {
        std::uint8_t cn;
        std::string_view word;
        std::string_view name;
    };
    static constexpr std::array<Symbol, 7> kSymbols{{{48, "pdf417", "PDF417"},
                                                     {49, "qr", "QR code"},
                                                     {50, "maxicode", "MaxiCode"},
                                                     {51, "databar", "GS1 DataBar"},
                                                     {52, "composite", "composite symbol"},
                                                     {53, "aztec", "Aztec code"},
                                                     {54, "datamatrix", "Data Matrix"}}};
    const Span body = BodyOf(row, command);
    if (body.size() < 2) return std::string(row.meaning) + ", " + std::to_string(body.size()) + " bytes";
    const std::uint8_t cn = body[0];
    const std::uint8_t fn = body[1];
    std::string name = std::string(row.meaning) + " " + HexPair(cn);
    for (const Symbol& symbol : kSymbols) {
        if (symbol.cn == cn) {
            name = std::string(symbol.name);
            AddText(entry, "symbol", std::string(symbol.word));
        }
    }
    AddNumber(entry, "function", fn);
    const std::size_t head = command.size() - body.size();
    if (fn == 80 && body.size() >= 3) {
        const Span data = body.subspan(3);
        AddNumber(entry, "symbolDataOffset", static_cast<std::int64_t>(head + 3));
        return name + ": store " + std::to_string(data.size()) + " bytes of data \"" +
               PrintableBytes(data.first(std::min<std::size_t>(data.size(), 40))) +
               (data.size() > 40 ? "…" : "") + "\"";
    }
    if (fn == 81) return name + ": print the symbol";
    if (fn == 82) return name + ": transmit the symbol's size";
    if (body.size() >= 3) {
        AddNumber(entry, "value", body[2]);
        if (body.size() >= 4) AddNumber(entry, "value2", body[3]);
    }
    if (cn == 49) {
        if (fn == 65 && body.size() >= 3) {
            const int model = body[2] - 48;
            return name + ": model " + (model == 3 ? std::string("micro") : std::to_string(model));
        }
        if (fn == 67 && body.size() >= 3) return name + ": module size " + std::to_string(body[2]) + " dots";
        if (fn == 69 && body.size() >= 3) {
            static constexpr std::array<char, 4> kLevels{'L', 'M', 'Q', 'H'};
            const int level = body[2] - 48;
            return name + ": error correction " +
                   (level >= 0 && level <= 3 ? std::string(1, kLevels[static_cast<std::size_t>(level)])
                                             : HexPair(body[2]));
        }
    }
    if (cn == 48 && body.size() >= 3) {
        switch (fn) {
            case 65:
                return name + ": " + std::to_string(body[2]) + " columns";
            case 66:
                return name + ": " + std::to_string(body[2]) + " rows";
            case 67:
                return name + ": module width " + std::to_string(body[2]) + " dots";
            case 68:
                return name + ": row height " + std::to_string(body[2]) + " modules";
            case 69:
                return name + ": error correction level " +
                       (body.size() >= 4 ? std::to_string(body[3] - 48) : "");
            case 70:
                return name + (body[2] == 1 ? ": truncated" : ": standard");
            default:
                break;
        }
    }
    return name + " function " + std::to_string(fn);
}

std::string_view BarcodeSymbology(std::uint8_t m) {
    static constexpr std::array<std::string_view, 15> kSystems{
        "UPC-A",   "UPC-E",         "EAN13",         "EAN8",        "CODE39",
        "ITF",     "CODABAR",       "CODE93",        "CODE128",     "GS1-128",
        "DATABAR", "DATABAR-TRUNC", "DATABAR-LIMIT", "DATABAR-EXP", "CODE128-AUTO"};
    if (m <= 6) return kSystems[m];
    if (m >= 65 && m <= 79) return kSystems[static_cast<std::size_t>(m - 65)];
    return {};
}

std::string DescribeBarcode(const CommonCommand& row, Span command, DecodedCommand& entry) {
    const std::size_t o = row.opening.size();
    const std::uint8_t m = command[o];
    const std::size_t start = m >= 65 ? o + 2 : o + 1;
    const std::size_t end = m >= 65 ? command.size() : command.size() - 1;  // without the NUL
    const Span data = command.subspan(start, end - start);
    const std::string symbology(BarcodeSymbology(m));
    AddNumber(entry, "m", m);
    AddText(entry, "symbology", symbology);
    AddText(entry, "data", PrintableBytes(data));
    AddNumber(entry, "barcodeDataOffset", static_cast<std::int64_t>(start));
    AddNumber(entry, "barcodeDataLength", static_cast<std::int64_t>(data.size()));
    return symbology + " " + std::string(row.meaning) + " \"" + PrintableBytes(data) + "\"";
}

std::string DescribeStatus(const CommonCommand& row, Span command, DecodedCommand& entry) {
    static constexpr std::array<std::string_view, 9> kKinds{
        "", "printer", "offline cause", "error cause", "paper sensor", "", "", "ink", "peripheral"};
    const std::uint8_t n = command[row.opening.size()];
    AddNumber(entry, "n", n);
    return std::string(row.meaning) + " " + std::to_string(n) +
           (n < kKinds.size() && !kKinds[n].empty() ? " (" + std::string(kKinds[n]) + ")" : "");
}

std::string DescribeRealTime(const CommonCommand& row, Span command, DecodedCommand& entry) {
    const std::size_t o = row.opening.size();
    const std::uint8_t fn = command[o];
    AddNumber(entry, "function", fn);
    switch (fn) {
        case 1: {
            const int pin = command[o + 1] == 1 ? 5 : 2;
            AddNumber(entry, "pin", pin);
            return "real-time cash drawer pulse on pin " + std::to_string(pin) + ", " +
                   std::to_string(100 * command[o + 2]) + " ms";
        }
        case 2:
            return "power-off sequence";
        case 7:
            return "transmit status " + std::to_string(command[o + 1]) + " in real time";
        case 8:
            return "clear the buffers";
        default:
            return std::string(row.meaning) + " " + std::to_string(fn);
    }
}

std::string DescribeSensors(const CommonCommand& row, Span command, DecodedCommand& entry) {
    const std::size_t o = row.opening.size();
    const std::uint8_t which = command[o];
    const std::uint8_t n = command[o + 1];
    AddNumber(entry, "function", which);
    AddNumber(entry, "n", n);
    switch (which) {
        case '3':
            return "paper sensors that signal paper end: " + HexPair(n);
        case '4':
            return "paper sensors that stop printing: " + HexPair(n);
        case '5':
            return std::string("panel buttons ") + ((n & 1) != 0 ? "on" : "off");
        default:
            return std::string(row.meaning) + " " + HexPair(which) + " " + HexPair(n);
    }
}

std::string DescribeCounted(const CommonCommand& row, Span command, DecodedCommand& entry) {
    const Span body = BodyOf(row, command);
    std::string text(row.meaning);
    if (row.parameters == 1) {
        const std::uint8_t letter = command[row.opening.size()];
        AddNumber(entry, "letter", letter);
    }
    if (!body.empty()) {
        AddNumber(entry, "function", body[0]);
        text += " function " + std::to_string(body[0]);
    }
    return text + ", " + std::to_string(body.size()) + (body.size() == 1 ? " byte" : " bytes");
}

}  // namespace qvset
