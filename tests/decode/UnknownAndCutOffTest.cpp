// Bytes no builder writes, and commands the end of a document cuts off, are shown as such; the rest of
// the document is still decoded.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <random>

#include "DecodeTestSupport.h"
#include "decode/Listing.h"
#include "tuning/ParameterCommands.h"
#include "tuning/TuningJobs.h"

namespace qvset {
namespace {

using testing::DecodeCovering;
using testing::DecodeHexCovering;
using K = CommandKind;

struct Expected {
    K kind;
    std::size_t length;
    bool truncated;
};

void ExpectEntries(const std::string& hex, const std::vector<Expected>& expected) {
    const auto entries = DecodeHexCovering(hex);
    ASSERT_EQ(entries.size(), expected.size()) << hex;
    for (std::size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(entries[i].kind, expected[i].kind) << hex << " entry " << i << ": " << entries[i].meaning;
        EXPECT_EQ(entries[i].Length(), expected[i].length) << hex << " entry " << i;
        EXPECT_EQ(entries[i].truncated, expected[i].truncated) << hex << " entry " << i;
    }
}

TEST(UnknownBytes, AreKeptInPlaceAndTheCommandsAroundThemDecoded) {
    struct Case {
        std::string hex;
        std::vector<Expected> entries;
    };
    const std::string factory = FactoryParameterTable();
    const Case cases[] = {
        // a stray byte between two switches
        {"1B4202FF1B4203", {{K::Flag, 3, false}, {K::Unknown, 1, false}, {K::Flag, 3, false}}},
        // adjacent unknown bytes form one run
        {"0102031B4A15", {{K::Unknown, 3, false}, {K::FeedForward, 3, false}}},
        // ESC @ is no command of this program: the escape and its letter are unknown together
        {"1B401B4202", {{K::Unknown, 2, false}, {K::Flag, 3, false}}},
        // an escape before an escape stays alone
        {"1B1B4202", {{K::Unknown, 1, false}, {K::Flag, 3, false}}},
        // ESC B with an n no switch has
        {"1B42161B4215", {{K::Unknown, 3, false}, {K::Flag, 3, false}}},
        // GS ( F with a function no distance has, and with another parameter count
        {"1D2846040007000000"
         "0A",
         {{K::Unknown, 9, false}, {K::LineFeed, 1, false}}},
        {"1D28460200AABB"
         "0C",
         {{K::Unknown, 7, false}, {K::FormFeed, 1, false}}},
        // the mode byte is 01 only for the print start of black-mark style 1
        {"1D2846040002010000", {{K::Unknown, 9, false}}},
        // ESC : NUL NUL with neither R nor P
        {"1B3A000051"
         "1B3A000052",
         {{K::Unknown, 5, false}, {K::Save, 5, false}}},
        // a mode value command with another signature, mode code or flag
        {"1B0140"
         "4142313233"
         "0A1000",
         {{K::Unknown, 11, false}}},
        {"1B0140"
         "5156363030"
         "0D1000",
         {{K::Unknown, 11, false}}},
        {"1B0140"
         "5156363030"
         "0A1001",
         {{K::Unknown, 11, false}}},
        // ESC * with a mode whose column size is unknown: its five header bytes
        {"1B2A07020041", {{K::Unknown, 5, false}, {K::Text, 1, false}}},
        // a GBK lead byte without its trail byte
        {"B0"
         "0A"
         "B0A1",
         {{K::Unknown, 1, false}, {K::LineFeed, 1, false}, {K::Text, 2, false}}},
        // the factory table framed by unknown bytes
        {"00" + factory + "7F",
         {{K::Unknown, 1, false}, {K::ParameterTable, 31, false}, {K::Unknown, 1, false}}},
    };
    for (const auto& c : cases) ExpectEntries(c.hex, c.entries);
}

TEST(UnknownBytes, CarryANoteOfWhatWasRecognised) {
    const auto flag = DecodeHexCovering("1B4216");
    EXPECT_EQ(flag[0].Text("note"), "ESC B 16 sets no switch");
    const auto signature = DecodeHexCovering(
        "1B01404142313233"
        "0A1000");
    EXPECT_EQ(signature[0].Text("note"), "mode value command with the signature A B 1 2 3, not QV600");
    const auto run = DecodeHexCovering("0102");
    EXPECT_EQ(run[0].meaning, "unknown: 2 bytes that no command of this program writes");
}

TEST(CutOffCommands, AreMarkedTruncatedWithTheBytesThatAreThere) {
    struct Case {
        std::string hex;
        std::vector<Expected> entries;
    };
    const std::string factory = FactoryParameterTable();
    const Case cases[] = {
        {"1B42021B42", {{K::Flag, 3, false}, {K::Flag, 2, true}}},
        {"1D28460400040065", {{K::Geometry, 8, true}}},
        {"1D2846", {{K::Geometry, 3, true}}},
        {"1D28", {{K::Geometry, 2, true}}},
        {"0A1B", {{K::LineFeed, 1, false}, {K::Unknown, 1, true}}},
        {"1B3A0000", {{K::Unknown, 4, true}}},
        {"1B3A", {{K::Unknown, 2, true}}},
        {factory.substr(0, 40), {{K::ParameterTable, 20, true}}},
        {"1B014051", {{K::ModeValue, 4, true}}},
        {"1B2A01400BFF00", {{K::BitImage, 7, true}}},
        {"1B2A01", {{K::BitImage, 3, true}}},
        {"0D1B4A", {{K::CarriageReturn, 1, false}, {K::FeedForward, 2, true}}},
        {"41B0", {{K::Text, 1, false}, {K::Text, 1, true}}},
    };
    for (const auto& c : cases) ExpectEntries(c.hex, c.entries);
}

TEST(CutOffCommands, SayHowFarTheyGot) {
    const auto flag = DecodeHexCovering("1B42");
    EXPECT_EQ(flag[0].meaning, "ESC B, cut off by the end of the document after 2 bytes of 3");
    const auto bars = DecodeHexCovering(AlignmentBarRow().substr(0, 2 * 105));
    ASSERT_EQ(bars.size(), 1u);
    EXPECT_EQ(bars[0].Number("columns"), 2880);
    EXPECT_EQ(bars[0].Number("present"), 100);
    EXPECT_EQ(bars[0].Text("summary"), "2880 columns (100 present): 2 bars 80 apart");
}

TEST(EveryDocument, IsCoveredByItsEntriesWhateverItsBytes) {
    // Documents made of pieces of real commands, cut and joined at random, and random bytes.
    std::mt19937 random(20240611);
    const std::vector<std::uint8_t> pieces[] = {DecodeHex("1B4202").value(),
                                                DecodeHex("1D2846040004006503").value(),
                                                DecodeHex(FactoryParameterTable()).value(),
                                                SaveCommand(),
                                                BuildModeValueCommand(0x0A, 16, 0xFF),
                                                DecodeHex("1B2A0103000102FF").value(),
                                                DecodeHex("B0A1B0A2").value(),
                                                {0x1B},
                                                {0x1D},
                                                {0x0A, 0x0D, 0x0C}};
    for (int round = 0; round < 2000; ++round) {
        std::vector<std::uint8_t> document;
        const int parts = static_cast<int>(random() % 6);
        for (int p = 0; p < parts; ++p) {
            const auto& piece = pieces[random() % std::size(pieces)];
            const std::size_t keep = random() % (piece.size() + 1);
            document.insert(document.end(), piece.begin(), piece.begin() + static_cast<std::ptrdiff_t>(keep));
            if (random() % 3 == 0) document.push_back(static_cast<std::uint8_t>(random()));
        }
        DecodeCovering(document);
        if (::testing::Test::HasFailure()) {
            ADD_FAILURE() << "document " << EncodeHex(document);
            return;
        }
    }
}

TEST(Listing, OneLinePerCommandWithOffsetLengthBytesAndMeaning) {
    const auto batch = DecodeHex("1B42021B42051D28460400040065031B4211").value();
    EXPECT_EQ(
        RenderListing(batch),
        "     0     3  1B 42 02                    ESC B 02        black mark on (黑标设置: 打开, item 1, "
        "code 99)\n"
        "     3     3  1B 42 05                    ESC B 05        paper 58 mm (纸张类型设置: 58mm, item 2, "
        "code 88)\n"
        "     6     9  1D 28 46 04 00 04 00 65 03  GS ( F 04       ticket length 151.900 to 152.074 mm (item "
        "encoding, count 868 of 0.175 mm)\n"
        "    15     3  1B 42 11                    ESC B 11        baud 9600×12 (串口波特率 9600*n: 9600*12, "
        "item 11, code 4)\n");
    const auto bars = DecodeHex(AlignmentBarRow()).value();
    EXPECT_EQ(RenderListing(bars),
              "     0  2885  1B 2A 01 40 0B FF 00 00 …   ESC * 01        bit image mode 1 (8 dots), 2880 "
              "columns: 36 "
              "bars 80 apart\n"
              "  2885     1  0D                          CR              carriage return\n");
}

TEST(Listing, JsonHoldsEveryEntryWithItsFields) {
    const auto document = DecodeHex("1B4202FF1B42").value();
    const auto json = nlohmann::json::parse(RenderListingJson(document));
    EXPECT_EQ(json["length"], 6);
    const auto& commands = json["commands"];
    ASSERT_EQ(commands.size(), 3u);
    EXPECT_EQ(commands[0]["kind"], "flag");
    EXPECT_EQ(commands[0]["bytes"], "1B4202");
    EXPECT_EQ(commands[0]["fields"]["item"], 1);
    EXPECT_EQ(commands[0]["fields"]["choice"], "on");
    EXPECT_EQ(commands[1]["kind"], "unknown");
    EXPECT_EQ(commands[1]["offset"], 3);
    EXPECT_EQ(commands[2]["truncated"], true);
    EXPECT_EQ(commands[2]["length"], 2);
}

}  // namespace
}  // namespace qvset
