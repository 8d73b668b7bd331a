// Documents from other programs: the common receipt-printer commands are framed by their own length
// rules, named, and their data (images, barcodes, QR codes) is never read as commands or settings.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "DecodeTestSupport.h"
#include "console/TestPrints.h"
#include "decode/CommonCommands.h"
#include "decode/Listing.h"
#include "decode/PrinterState.h"
#include "tuning/ParameterCommands.h"
#include "tuning/TuningJobs.h"

namespace qvset {
namespace {

using testing::DecodeCovering;
using testing::DecodeHexCovering;
using Bytes = std::vector<std::uint8_t>;

// Each entry as its mnemonic, a text as its text in quotes.
std::vector<std::string> Shape(const std::vector<DecodedCommand>& entries) {
    std::vector<std::string> shape;
    for (const auto& entry : entries) {
        shape.push_back(entry.kind == CommandKind::Text ? "\"" + entry.Text("text").value_or("") + "\""
                                                        : entry.mnemonic);
    }
    return shape;
}

// Every entry is a command of the QV6 or of the common set, or a text of printable characters only.
void ExpectEveryEntryNamed(const std::vector<DecodedCommand>& entries, const std::string& hex) {
    for (const auto& entry : entries) {
        EXPECT_FALSE(entry.truncated) << hex << ": " << entry.meaning;
        EXPECT_FALSE(entry.Text("note")) << hex << ": " << entry.meaning;
        if (entry.kind == CommandKind::Unknown) {
            EXPECT_TRUE(IsCommonCommand(entry)) << hex << ": " << entry.mnemonic;
        }
        if (entry.kind == CommandKind::Text) {
            for (std::uint8_t byte : entry.bytes) EXPECT_GE(byte, 0x20) << hex << ": " << entry.meaning;
        }
    }
}

// Documents as a receipt encoder writes them (its byte rules written out by hand, newline LF CR), with
// the entries each must give: every command named, every text exactly the text that was sent.
TEST(CommonCommands, EncoderDocumentsDecodeCommandByCommand) {
    struct Row {
        std::string hex;
        std::vector<std::string> shape;
    };
    const Row rows[] = {
        // initialize(), line("Hello")
        {"1B40"
         "1C2E"
         "1B4D00"
         "48656C6C6F"
         "0A0D",
         {"ESC @", "FS .", "ESC M 00", "\"Hello\"", "LF", "CR"}},
        // bold, underline, italic, invert around one letter
        {"1B4501"
         "1B2D01"
         "1B3401"
         "1D4201"
         "58"
         "1D4200"
         "1B3400"
         "1B2D00"
         "1B4500",
         {"ESC E 01", "ESC - 01", "ESC 4 01", "GS B 01", "\"X\"", "GS B 00", "ESC 4 00", "ESC - 00",
          "ESC E 00"}},
        // size(3, 3) then "S3": the size byte is no quote mark
        {"1D2122"
         "5333"
         "1D2100",
         {"GS ! 22", "\"S3\"", "GS ! 00"}},
        // align center, right, left
        {"1B6101"
         "41"
         "1B6102"
         "1B6100",
         {"ESC a 01", "\"A\"", "ESC a 02", "ESC a 00"}},
        // barcode code128 "12345", height 80 (the byte "P"), width 2, text below
        {"1D6850"
         "1D7703"
         "1D4802"
         "1D6B49077B423132333435",
         {"GS h 50", "GS w 03", "GS H 02", "GS k 49"}},
        // barcode ean13 and code39 (data up to NUL)
        {"1D6B02"
         "353930313233343132333435"
         "00"
         "1D6B04"
         "414243"
         "00",
         {"GS k 02", "GS k 04"}},
        // qrcode model 2, size 6, level m, seven bytes of data (pL 0A, no line feed), print
        {"1D286B040031413200"
         "1D286B0300314306"
         "1D286B0300314531"
         "1D286B0A00315030"
         "41424344454647"
         "1D286B0300315130",
         {"GS ( k 31 41", "GS ( k 31 43", "GS ( k 31 45", "GS ( k 31 50", "GS ( k 31 51"}},
        // pdf417 columns, rows, width, height, error level, standard, data "1A2", print
        {"1D286B0300304100"
         "1D286B0300304200"
         "1D286B0300304303"
         "1D286B0300304403"
         "1D286B040030453031"
         "1D286B0300304600"
         "1D286B0600305030314132"
         "1D286B0300305130",
         {"GS ( k 30 41", "GS ( k 30 42", "GS ( k 30 43", "GS ( k 30 44", "GS ( k 30 45", "GS ( k 30 46",
          "GS ( k 30 50", "GS ( k 30 51"}},
        // raster image 96 × 2 dots (a width byte 0C, no form feed), then a line
        {"1D763000"
         "0C00"
         "0200" +
             std::string(48, 'F') + "0A0D",
         {"GS v 0 00", "LF", "CR"}},
        // column image: line spacing 24, one ESC * 33 band of 8 columns and its line feed, spacing back
        {"1B3324"
         "1B2A210800" +
             std::string(48, '0') +
             "0A"
             "1B32",
         {"ESC 3 24", "ESC * 21", "LF", "ESC 2"}},
        // codepage cp850, text, pulse (the byte 32 is no "2"), full and partial cut
        {"1B7402"
         "4F4B"
         "1B700032FA"
         "1D5600"
         "1D5601",
         {"ESC t 02", "\"OK\"", "ESC p 00 32 FA", "GS V 00", "GS V 01"}},
        // a raw-port client: motion units B4 B4 (no "创"), status request, real-time pulse, feed 3 lines
        {"1D50B4B4"
         "100401"
         "1014010005"
         "1B6403"
         "1D564103",
         {"GS P B4 B4", "DLE EOT 01", "DLE DC4 01 00 05", "ESC d 03", "GS V 41 03"}},
        // Chinese mode on, a GBK text, off again
        {"1C26"
         "B4F2D3A1"
         "1C2E",
         {"FS &", "\"打印\"", "FS ."}},
    };
    for (const auto& row : rows) {
        const auto entries = DecodeHexCovering(row.hex);
        EXPECT_EQ(Shape(entries), row.shape) << row.hex;
        ExpectEveryEntryNamed(entries, row.hex);
        PrinterState state;
        state.Apply(entries, "1");
        EXPECT_TRUE(state.IsEmpty()) << row.hex;
    }
}

TEST(CommonCommands, SayWhatTheyDoAndCarryWhatThePictureReads) {
    struct Row {
        std::string hex;
        std::string meaning;
    };
    const Row rows[] = {
        {"1B2138", "print mode: font A, bold, double height, double width"},
        {"1D2111", "character size width ×2, height ×2"},
        {"1B6101", "justification centred"},
        {"1D4802", "barcode text below"},
        {"1D6B49077B423132333435", "CODE128 barcode \"{B12345\""},
        {"1D763000"
         "0100"
         "0200"
         "FF81",
         "raster image 8 × 2 dots"},
        {"1D286B0600315030414243", "QR code: store 3 bytes of data \"ABC\""},
        {"1D5641"
         "10",
         "feed 16 dots, then full cut"},
        {"1B700132FA", "cash drawer pulse on pin 5, 100 ms on, 500 ms off"},
        {"1D284C"
         "0C00"
         "3070"
         "30"
         "0101"
         "31"
         "0800"
         "0200"
         "FF81",
         "graphics: store a raster image of 8 × 2 dots for printing"},
    };
    for (const auto& row : rows) {
        const auto entries = DecodeHexCovering(row.hex);
        ASSERT_EQ(entries.size(), 1u) << row.hex;
        EXPECT_EQ(entries[0].meaning, row.meaning);
    }
    const auto raster = DecodeHexCovering(
        "1D763000"
        "0100"
        "0200"
        "FF81");
    EXPECT_EQ(raster[0].Number(kDataOffsetField), 8);
    EXPECT_EQ(raster[0].Number("width"), 8);
    EXPECT_EQ(raster[0].Text(kCommandField), "GS v 0");
    const auto barcode = DecodeHexCovering(
        "1D6B04414243"
        "00");
    EXPECT_EQ(barcode[0].Text("symbology"), "CODE39");
    EXPECT_EQ(barcode[0].Text("data"), "ABC");
}

// An image whose data holds a command that takes a length: before the image was framed, the command
// took the rest of the document, the cut among it.
TEST(CommonCommands, ImageDataThatSpellsALongCommandSwallowsNothing) {
    const std::string after =
        "1B4501"
        "546F74616C"
        "1B4500"
        "0A"
        "1B6403"
        "1D5600";
    const std::vector<std::string> afterShape = {"ESC E 01", "\"Total\"", "ESC E 00",
                                                 "LF",       "ESC d 03",  "GS V 00"};
    for (const std::string inside : {"1D2846FF7F000000", "1B3A450040000000", "1B2A21FF00000000"}) {
        const auto entries = DecodeHexCovering(
            "1D763000"
            "0800"
            "0100" +
            inside + after);
        std::vector<std::string> shape = {"GS v 0 00"};
        shape.insert(shape.end(), afterShape.begin(), afterShape.end());
        EXPECT_EQ(Shape(entries), shape) << inside;
        EXPECT_EQ(entries[0].Length(), 16u) << inside;
    }
}

// Our own commands written inside the data of images, barcodes and QR codes: each carrier is one
// entry, nothing after it is lost, and the state records nothing.
TEST(CommonCommands, DataThatSpellsOurCommandsChangesNoState) {
    const std::vector<Bytes> ours = {testing::TypicalBatch(),
                                     DecodeHex(FactoryParameterTable()).value(),
                                     SaveCommand(),
                                     DecodeHex("1B3A000050").value(),
                                     BuildModeValueCommand(0x0A, 16, kStoreFlag),
                                     DecodeHex("1B2A0103000102FF").value(),
                                     DecodeHex("1B4A151B6A15").value(),
                                     DecodeHex("0A0D0C").value()};
    for (const Bytes& command : ours) {
        const std::size_t n = command.size();
        const auto low = [](std::size_t value) { return static_cast<std::uint8_t>(value & 0xFF); };
        const auto high = [](std::size_t value) { return static_cast<std::uint8_t>(value >> 8); };
        const std::vector<Bytes> carriers = {
            // GS v 0: one row as wide as the command
            {0x1D, 0x76, 0x30, 0x00, low(n), high(n), 0x01, 0x00},
            // GS ( L storing a raster image: pL pH, m fn a bx by c, its width in dots, one row
            {0x1D, 0x28, 0x4C, low(n + 10), high(n + 10), 0x30, 0x70, 0x30, 0x01, 0x01, 0x31, low(8 * n),
             high(8 * n), 0x01, 0x00},
            // GS k 73 (CODE128, the form with a count)
            {0x1D, 0x6B, 0x49, low(n)},
            // GS ( k storing QR code data
            {0x1D, 0x28, 0x6B, low(n + 3), high(n + 3), 0x31, 0x50, 0x30},
        };
        for (Bytes document : carriers) {
            if (document[1] == 0x6B && command.size() > 255) continue;
            const std::size_t carrier = document.size() + command.size();
            document.insert(document.end(), command.begin(), command.end());
            document.push_back(0x0A);
            const auto entries = DecodeCovering(document);
            ASSERT_EQ(entries.size(), 2u) << EncodeHex(document);
            EXPECT_EQ(entries[0].Length(), carrier) << EncodeHex(document);
            EXPECT_TRUE(IsCommonCommand(entries[0]));
            EXPECT_EQ(entries[1].kind, CommandKind::LineFeed);
            PrinterState state;
            state.Apply(entries, "1");
            EXPECT_TRUE(state.IsEmpty()) << EncodeHex(document);
        }
    }
}

// A command the document cuts off is one entry of the bytes that are there; one whose parameters no
// reference gives owns only the bytes that tell so, and decoding goes on after them.
TEST(CommonCommands, CutOffAndRefusedCommandsStopWhereTheyCanNoLongerOwnTheBytes) {
    struct Row {
        std::string hex;
        std::vector<std::string> shape;
        std::vector<bool> truncated;
    };
    const Row rows[] = {
        {"1D7630000800FF00"
         "AABB",
         {"GS v 0 00"},
         {true}},
        {"1D286B", {"GS ( k"}, {true}},
        {"1B61", {"ESC a"}, {true}},
        {"1D76", {"GS v"}, {true}},
        // GS V with no cut function, GS k with no barcode system, GS v 0 with no mode
        {"1D5607"
         "41",
         {"GS V 07", "\"A\""},
         {false, false}},
        {"1D6B20"
         "41",
         {"GS k 20", "\"A\""},
         {false, false}},
        {"1D76300500010001"
         "FF",
         {"GS v 0 05", "?"},
         {false, false}},
        // barcode data broken off by a line feed: the rest is text and the line feed
        {"1D6B044142"
         "0A"
         "43",
         {"GS k 04", "LF", "\"C\""},
         {false, false, false}},
        // counts of the QV6's own commands that they never have, running past the end: their heads only
        {"1D2846FF7F"
         "1B4501"
         "1D5600",
         {"GS ( F FF 7F", "ESC E 01", "GS V 00"},
         {false, false, false}},
        {"1B3A450040"
         "1B4501"
         "1D5600",
         {"ESC : E NUL @", "ESC E 01", "GS V 00"},
         {false, false, false}},
    };
    for (const auto& row : rows) {
        const auto entries = DecodeHexCovering(row.hex);
        EXPECT_EQ(Shape(entries), row.shape) << row.hex;
        for (std::size_t i = 0; i < entries.size() && i < row.truncated.size(); ++i) {
            EXPECT_EQ(entries[i].truncated, row.truncated[i]) << row.hex << " entry " << i;
        }
    }
}

TEST(CommonCommands, TheQv6sOwnMeaningOfEscBAndEscJWinsAndTheListingSaysSo) {
    // ESC B n t of another printer: the switch of n, and t ordinary data
    const auto beep = DecodeHexCovering("1B420302");
    ASSERT_EQ(Shape(beep), (std::vector<std::string>{"ESC B 03", "?"}));
    EXPECT_EQ(beep[0].kind, CommandKind::Flag);
    EXPECT_NE(beep[0].meaning.find("the next byte, 02, is ordinary data"), std::string::npos)
        << beep[0].meaning;
    // a code the switch table does not know changes nothing
    PrinterState state;
    state.Apply(DecodeHexCovering("1B40"
                                  "1B421602"),
                "1");
    EXPECT_TRUE(state.IsEmpty());
    state.Apply(beep, "2");
    EXPECT_EQ(state.Switches().size(), 1u);
    // in a document of common commands, ESC j is the QV6's feed back, and said so
    const auto back = DecodeHexCovering(
        "1B40"
        "1B6A05");
    EXPECT_EQ(back[1].kind, CommandKind::FeedBack);
    EXPECT_NE(back[1].meaning.find("on the QV6 ESC j n feeds back"), std::string::npos) << back[1].meaning;
    // the program's own documents read as they always did
    EXPECT_EQ(DecodeHexCovering("1B6A05")[0].meaning, "feed back 5 units");
    EXPECT_EQ(DecodeHexCovering("1B42021B4203")[0].meaning,
              "black mark on (黑标设置: 打开, item 1, code 99)");
}

TEST(CommonCommands, TextAfterEscTIsMarkedUntilTheCodeTableIsReset) {
    // "Crème" in code page 850 (8A 6D is read as one GBK character), ASCII, then after ESC @
    const auto entries = DecodeHexCovering(
        "1B7402"
        "43728A6D65"
        "0A"
        "4F4B"
        "0A"
        "1B40"
        "43728A6D65");
    ASSERT_EQ(entries.size(), 7u);
    EXPECT_NE(entries[1].meaning.find("(after ESC t n, n = 2: read as GBK)"), std::string::npos)
        << entries[1].meaning;
    EXPECT_EQ(entries[1].Number("codeTable"), 2);
    EXPECT_EQ(entries[3].meaning, "\"OK\"");  // ASCII reads the same in every table
    EXPECT_FALSE(entries[6].Number("codeTable"));
}

// A command longer than one entry holds is its head and pieces of its data, never read as commands.
TEST(CommonCommands, ACommandLongerThanAnEntryContinuesInPieces) {
    const std::size_t data = 2 * kDecodeWindow + 100;
    Bytes document = {0x1D, 0x38, 0x4C};
    for (int shift = 0; shift < 32; shift += 8)
        document.push_back(static_cast<std::uint8_t>((data >> shift) & 0xFF));
    for (std::size_t i = 0; i < data; ++i) document.push_back(i % 3 == 0 ? 0x1B : 0x42);
    document.push_back(0x0A);
    const auto entries = DecodeCovering(document);
    ASSERT_EQ(entries.size(), 4u);
    EXPECT_EQ(entries[0].Flag("continued"), true);
    EXPECT_EQ(entries[0].Length(), kDecodeWindow);
    EXPECT_EQ(entries[1].Flag("continuation"), true);
    EXPECT_EQ(entries[2].Length(), data + 7 - 2 * kDecodeWindow);
    EXPECT_FALSE(entries[2].Flag("continued"));
    EXPECT_EQ(entries[3].kind, CommandKind::LineFeed);
    // cut off by the end of the document in its second piece
    document.resize(kDecodeWindow + 50);
    const auto cut = DecodeCovering(document);
    ASSERT_EQ(cut.size(), 2u);
    EXPECT_TRUE(cut[1].truncated);
}

TEST(CommonCommands, NvImagesOfFsQAreFramedOneByOne) {
    // two images of 1 × 1 bytes (8 × 8 dots), then a line feed
    const auto entries = DecodeHexCovering(
        "1C7102"
        "01000100" +
        std::string(16, 'A') + "01000100" + std::string(16, '5') + "0A");
    EXPECT_EQ(Shape(entries), (std::vector<std::string>{"FS q", "LF"}));
    EXPECT_EQ(entries[0].Length(), 3u + 2 * 12);
    const auto refused = DecodeHexCovering(
        "1C7101"
        "00000100"
        "0A");
    EXPECT_EQ(refused[0].Length(), 7u);
    EXPECT_TRUE(refused[0].Text("note"));
}

TEST(CommonCommands, EveryRowOpensDifferentlyAndIsFound) {
    const auto rows = CommonCommands();
    for (std::size_t i = 0; i < rows.size(); ++i) {
        for (std::size_t j = 0; j < rows.size(); ++j) {
            if (i != j) {
                EXPECT_NE(rows[i].opening, rows[j].opening) << rows[i].name;
            }
        }
        const Bytes opening(rows[i].opening.begin(), rows[i].opening.end());
        EXPECT_EQ(FindCommonCommand(opening), &rows[i]) << rows[i].name;
    }
}

}  // namespace
}  // namespace qvset
