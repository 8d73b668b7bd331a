// Every document a builder writes, decoded, gives back the values that built it.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>

#include "DecodeTestSupport.h"
#include "console/TestPrints.h"
#include "printer/AnsiText.h"
#include "settings/BatchSend.h"
#include "settings/FlagCommands.h"
#include "ticket/TicketGeometry.h"
#include "tuning/ParameterCommands.h"
#include "tuning/TuningJobs.h"

namespace qvset {
namespace {

using testing::DecodeCovering;
using testing::DecodeHexCovering;
using testing::KindsOf;
using K = CommandKind;

TEST(FlagRoundTrip, EveryChoiceGivesBackItsItemCodeAndWords) {
    struct Row {
        int item;
        std::int16_t code;
        const char* meaning;
    };
    // One row per ESC B choice, n = 01 to 15.
    const Row rows[] = {
        {10, 99, "threshold recalibrate (黑标门槛: 自动检测, item 10, code 99)"},
        {1, 99, "black mark on (黑标设置: 打开, item 1, code 99)"},
        {1, 88, "black mark off (黑标设置: 关闭, item 1, code 88)"},
        {2, 99, "paper 76 mm (纸张类型设置: 76mm, item 2, code 99)"},
        {2, 88, "paper 58 mm (纸张类型设置: 58mm, item 2, code 88)"},
        {5, 99, "start position on (打印开始定位: 打印开始进退纸到打印起始位置, item 5, code 99)"},
        {5, 88, "start position off (打印开始定位: 打印开始不走纸, item 5, code 88)"},
        {6, 99, "end position on (打印结束定位: 打印结束进退纸到撕纸位置, item 6, code 99)"},
        {6, 88, "end position off (打印结束定位: 打印结束不走纸, item 6, code 88)"},
        {3, 99, "head standard (打印头选择: 标准打印头, item 3, code 99)"},
        {3, 88, "head quiet (打印头选择: 降噪打印头, item 3, code 88)"},
        {4, 99, "edge high (撕纸口位置选择: QV640, item 4, code 99)"},
        {4, 88, "edge low (撕纸口位置选择: QV650, item 4, code 88)"},
        {11, 1, "baud 9600×1 (串口波特率 9600*n: 9600*1, item 11, code 1)"},
        {11, 2, "baud 9600×2 (串口波特率 9600*n: 9600*2, item 11, code 2)"},
        {11, 3, "baud 9600×4 (串口波特率 9600*n: 9600*4, item 11, code 3)"},
        {11, 4, "baud 9600×12 (串口波特率 9600*n: 9600*12, item 11, code 4)"},
        {11, 5, "baud 9600×24 (串口波特率 9600*n: 9600*24, item 11, code 5)"},
        {11, 6, "baud 9600×30 (串口波特率 9600*n: 9600*30, item 11, code 6)"},
        {11, 7, "baud 9600×36 (串口波特率 9600*n: 9600*36, item 11, code 7)"},
        {11, 8, "baud 9600×42 (串口波特率 9600*n: 9600*42, item 11, code 8)"},
    };
    int n = 1;
    for (const auto& row : rows) {
        const auto entries = DecodeHexCovering(BuildFlagCommand(row.item, row.code));
        ASSERT_EQ(entries.size(), 1u) << row.meaning;
        const auto& entry = entries[0];
        EXPECT_EQ(entry.kind, K::Flag);
        EXPECT_EQ(entry.Number("item"), row.item);
        EXPECT_EQ(entry.Number("code"), row.code);
        EXPECT_EQ(entry.Number("n"), n++);
        EXPECT_EQ(entry.meaning, row.meaning);
        EXPECT_FALSE(entry.truncated);
    }
}

TEST(FlagRoundTrip, SwitchAndChoiceWordsAreTheCommandLines) {
    const auto entries = DecodeHexCovering(BuildFlagCommand(kItemBaudRate, 4) + BuildFlagCommand(2, 88));
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0].mnemonic, "ESC B 11");
    EXPECT_EQ(entries[0].Text("switch"), "baud");
    EXPECT_EQ(entries[0].Text("choice"), "12");
    EXPECT_EQ(entries[1].Text("switch"), "paper");
    EXPECT_EQ(entries[1].Text("choice"), "58");
}

// The item encoding's value range of a decoded count: [count, count + 1) units, and with nL 00 also
// the unit below it (the carry of a low byte of 255).
bool CountCovers(const DecodedCommand& entry, double millimetres) {
    const auto count = entry.Number("count").value();
    const auto unit = entry.Number("unit").value();
    const double thousandths = std::nearbyint(millimetres * 1000);
    const bool carried =
        entry.Number("function") >= kFnTicketLength && entry.bytes[7] == 0 && entry.bytes[8] > 0;
    const double low = static_cast<double>((carried ? count - 1 : count) * unit);
    return thousandths >= low && thousandths < static_cast<double>((count + 1) * unit);
}

TEST(GeometryRoundTrip, ItemEncodingGivesBackFunctionCountAndMillimetres) {
    struct Case {
        std::uint8_t fn;
        const char* text;
        std::int64_t count;
        const char* meaning;
    };
    const Case cases[] = {
        {kFnTicketLength, "152", 868,
         "ticket length 151.900 to 152.074 mm (item encoding, count 868 of 0.175 mm)"},
        {kFnStartOffset, "35", 200,
         "print-start offset 35.000 to 35.174 mm (item encoding, count 200 of 0.175 mm)"},
        {kFnBlackMarkOffset, "27", 154,
         "black-mark offset 26.950 to 27.124 mm (item encoding, count 154 of 0.175 mm)"},
        {kFnStartOffset, "", 0, "print-start offset 0.000 to 0.174 mm (item encoding, count 0 of 0.175 mm)"},
        {kFnTicketLength, "0.175", 1, nullptr},
        {kFnBlackMarkOffset, "44.8", 256,
         "black-mark offset 44.800 to 44.974 mm (item encoding, count 256 of 0.175 mm; also what 44.625 to "
         "44.799 mm are sent as)"},
        // a low byte of 255 carries: the bytes of the next count up
        {kFnBlackMarkOffset, "44.625", 256, nullptr},
        {kFnBlackMarkOffset, "44.799", 256, nullptr},
        {kFnBlackMarkOffset, "44.624", 254, nullptr},
        // the largest value that fits the two count bytes
        {kFnTicketLength, "11468.624", 65534, nullptr},
    };
    for (const auto& c : cases) {
        const auto entries = DecodeHexCovering(BuildGeometryCommand(c.fn, c.text).value());
        ASSERT_EQ(entries.size(), 1u) << c.text;
        const auto& entry = entries[0];
        EXPECT_EQ(entry.kind, K::Geometry) << c.text;
        EXPECT_EQ(entry.Number("function"), c.fn) << c.text;
        EXPECT_EQ(entry.Text("encoding"), "item") << c.text;
        EXPECT_EQ(entry.Number("count"), c.count) << c.text;
        EXPECT_TRUE(CountCovers(entry, std::strtod(c.text, nullptr))) << c.text;
        if (c.meaning != nullptr) {
            EXPECT_EQ(entry.meaning, c.meaning);
        }
    }
}

TEST(GeometryRoundTrip, FormatSetGivesBackStyleAndTheThreeDistancesInOrder) {
    struct Case {
        int style;
        const char* length;
        const char* start;
        const char* mark;
        std::int64_t counts[3];  // start, mark, length
    };
    const Case cases[] = {
        {2, "152", "20", "27", {113, 153, 863}},
        {1, "152", "20", "27", {113, 153, 863}},
        {2, "10", "0", "0", {0, 0, 56}},
        // the largest value that fits the count bytes of the format-set encoding
        {2, "11534.335", "11534.335", "11534.335", {65535, 65535, 65535}},
    };
    for (const auto& c : cases) {
        const auto entries =
            DecodeHexCovering(BuildTicketFormatCommand(c.style, c.length, c.start, c.mark).value());
        ASSERT_EQ(entries.size(), 3u);
        const int items[] = {kItemStartOffset, kItemBlackMarkOffset, kItemTicketLength};
        const char* texts[] = {c.start, c.mark, c.length};
        for (std::size_t i = 0; i < 3; ++i) {
            EXPECT_EQ(entries[i].kind, K::Geometry);
            EXPECT_EQ(entries[i].Number("function"), static_cast<int>(i) + 1);
            EXPECT_EQ(entries[i].Number("item"), items[i]);
            EXPECT_EQ(entries[i].Text("encoding"), "format set");
            EXPECT_EQ(entries[i].Number("count"), c.counts[i]) << texts[i];
            EXPECT_TRUE(CountCovers(entries[i], std::strtod(texts[i], nullptr))) << texts[i];
        }
        EXPECT_EQ(entries[0].Number("style"), c.style);
        EXPECT_EQ(entries[0].Number("mode"), c.style == 1 ? 1 : 0);
    }
}

TEST(ModeValueRoundTrip, EveryValueOneToFortyOfEveryModeWithBothFlags) {
    for (TuningMode mode : kTuningModes) {
        for (std::uint8_t flag : {kStoreFlag, kTestFlag}) {
            for (int value = 1; value <= 40; ++value) {
                const auto entries = DecodeCovering(
                    BuildModeValueCommand(ModeCode(mode), static_cast<std::uint8_t>(value), flag));
                ASSERT_EQ(entries.size(), 1u);
                EXPECT_EQ(entries[0].kind, K::ModeValue);
                EXPECT_EQ(entries[0].Number("mode"), ModeCode(mode));
                EXPECT_EQ(entries[0].Number("value"), value);
                EXPECT_EQ(entries[0].Number("flag"), flag);
            }
        }
    }
    const auto entries = DecodeCovering(BuildModeValueCommand(0x0B, 18, kTestFlag));
    EXPECT_EQ(entries[0].mnemonic, "ESC 01 @ QV600");
    EXPECT_EQ(entries[0].meaning, "standard (标准) value 18, test print");
}

TEST(TuningJobsRoundTrip, StoreJobIsThreeStoredValuesThenTheSave) {
    const auto entries = DecodeCovering(BuildStoreJob({16, 18, 20}));
    EXPECT_EQ(KindsOf(entries), (std::vector<K>{K::ModeValue, K::LineFeed, K::ModeValue, K::LineFeed,
                                                K::ModeValue, K::LineFeed, K::Save}));
    const std::pair<int, int> expected[] = {{0x0A, 16}, {0x0B, 18}, {0x0C, 20}};
    for (std::size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(entries[2 * i].Number("mode"), expected[i].first);
        EXPECT_EQ(entries[2 * i].Number("value"), expected[i].second);
        EXPECT_EQ(entries[2 * i].Text("purpose"), "store");
        // the two line feeds after each value are one entry
        EXPECT_EQ(entries[2 * i + 1].count, 2u);
        EXPECT_EQ(entries[2 * i + 1].mnemonic, "LF × 2");
    }
    EXPECT_EQ(entries.back().meaning, "save the printer's parameters");
}

TEST(TuningJobsRoundTrip, TestPageGivesBackEveryHeaderLineAndValueInOrder) {
    const auto entries = DecodeCovering(BuildTestPage({16, 18, 20}));
    std::size_t i = 0;
    auto next = [&]() -> const DecodedCommand& { return entries.at(i++); };
    struct Block {
        int code;
        int current;
        const char* header;
        int first;
        int last;
    };
    const Block blocks[] = {{0x0A, 16, "高速----------------Quelvane--------------测试页", 12, 20},
                            {0x0B, 18, "标准----------------Quelvane--------------测试页", 14, 22},
                            {0x0C, 20, "精细----------------Quelvane--------------测试页", 16, 24}};
    for (const auto& block : blocks) {
        const auto& header = next();
        EXPECT_EQ(header.Number("mode"), block.code);
        EXPECT_EQ(header.Number("value"), block.current);
        EXPECT_EQ(header.Text("purpose"), "test");
        EXPECT_EQ(next().mnemonic, "LF × 2");
        EXPECT_EQ(next().Text("text"), block.header);
        EXPECT_EQ(next().kind, K::LineFeed);
        const TuningMode mode = kTuningModes[block.code - 0x0A];
        for (int v = block.first; v <= block.last; ++v) {
            const auto& command = next();
            EXPECT_EQ(command.Number("mode"), block.code);
            EXPECT_EQ(command.Number("value"), v);
            EXPECT_EQ(command.Number("flag"), kTestFlag);
            EXPECT_EQ(next().mnemonic, "LF × 2");
            const auto line = next().Text("text").value_or("");
            EXPECT_EQ(line, BuildTestLine(mode, v, block.current));
            EXPECT_NE(line.find(ValueMarker(v, block.current)), std::string::npos);
            EXPECT_EQ(next().kind, K::LineFeed);
        }
    }
    EXPECT_EQ(next().kind, K::Save);
    EXPECT_EQ(i, entries.size());
}

TEST(TuningJobsRoundTrip, AlignmentSampleIsLabelBarsFeedBars) {
    struct Case {
        std::uint8_t v;
        const char* label;
    };
    for (const Case& c : {Case{12, "12"}, Case{16, "***************16"}}) {
        const auto text = DecodeCovering(BuildAlignmentText(c.v, 16));
        EXPECT_EQ(KindsOf(text), (std::vector<K>{K::ModeValue, K::LineFeed, K::Text, K::LineFeed}));
        EXPECT_EQ(text[0].Number("mode"), 0x0A);
        EXPECT_EQ(text[0].Number("value"), c.v);
        EXPECT_EQ(text[0].Number("flag"), kTestFlag);
        EXPECT_EQ(text[1].mnemonic, "LF × 3");
        EXPECT_EQ(text[2].Text("text"), c.label);
        EXPECT_EQ(text[3].mnemonic, "LF × 2");
    }
    const auto bars = DecodeHexCovering(AlignmentBarRow());
    ASSERT_EQ(KindsOf(bars), (std::vector<K>{K::BitImage, K::CarriageReturn}));
    EXPECT_EQ(bars[0].Number("mode"), 1);
    EXPECT_EQ(bars[0].Number("columns"), 2880);
    EXPECT_EQ(bars[0].Length(), 2885u);
    EXPECT_EQ(bars[0].Text("summary"), "2880 columns: 36 bars 80 apart");
    EXPECT_EQ(bars[0].meaning, "bit image mode 1 (8 dots), 2880 columns: 36 bars 80 apart");
    const auto feed = DecodeHexCovering(std::string(kAlignmentFeed));
    ASSERT_EQ(feed.size(), 1u);
    EXPECT_EQ(feed[0].kind, K::FeedForward);
    EXPECT_EQ(feed[0].Number("units"), 21);
}

TEST(TestPrintsRoundTrip, PinTestsEighteenDocumentsGiveBackEveryPinInOrder) {
    testing::RecordingPrinter printer;
    PrintPinTest(printer.channel);
    const auto documents = printer.Documents();
    ASSERT_EQ(documents.size(), 18u);
    EXPECT_EQ(KindsOf(DecodeCovering(documents[0])), std::vector<K>{K::LineFeed});
    for (int pin = 1; pin <= 8; ++pin) {
        const auto number = DecodeCovering(documents[static_cast<std::size_t>(2 * pin - 1)]);
        ASSERT_EQ(KindsOf(number), (std::vector<K>{K::Text, K::CarriageReturn})) << pin;
        EXPECT_EQ(number[0].Text("text"), std::to_string(pin));
        const auto line = DecodeCovering(documents[static_cast<std::size_t>(2 * pin)]);
        ASSERT_EQ(KindsOf(line), (std::vector<K>{K::BitImage, K::CarriageReturn, K::LineFeed})) << pin;
        EXPECT_EQ(line[0].Number("columns"), 1842);
        EXPECT_EQ(line[0].Text("summary"),
                  "1842 columns: 200 with only pin " + std::to_string(pin) + " set, from column 42");
    }
    const auto end = DecodeCovering(documents[17]);
    ASSERT_EQ(end.size(), 1u);
    EXPECT_EQ(end[0].kind, K::FeedForward);
    EXPECT_EQ(end[0].Number("units"), 80);
}

TEST(TestPrintsRoundTrip, FixedButtonsDecodeToTheirCommands) {
    struct Row {
        void (*send)(PrintChannel&);
        K kind;
        const char* meaning;
    };
    const Row rows[] = {{PrintSelfTest, K::SelfTest, "print the self-test"},
                        {FeedLine, K::LineFeed, "line feed"},
                        {FeedPage, K::FormFeed, "form feed"},
                        {FeedForward, K::FeedForward, "feed forward 3 units"},
                        {FeedBack, K::FeedBack, "feed back 3 units"}};
    for (const auto& row : rows) {
        testing::RecordingPrinter printer;
        row.send(printer.channel);
        const auto entries = DecodeCovering(printer.Documents().at(0));
        ASSERT_EQ(entries.size(), 1u) << row.meaning;
        EXPECT_EQ(entries[0].kind, row.kind);
        EXPECT_EQ(entries[0].meaning, row.meaning);
    }
}

TEST(ParameterRoundTrip, FactoryRestoreIsSaveFactoryTableSave) {
    testing::RecordingPrinter printer;
    testing::RecordingPause pause;
    RestoreFactoryParameters(printer.channel, pause);
    const auto documents = printer.Documents();
    ASSERT_EQ(documents.size(), 3u);
    EXPECT_EQ(KindsOf(DecodeCovering(documents[0])), std::vector<K>{K::Save});
    const auto table = DecodeCovering(documents[1]);
    ASSERT_EQ(table.size(), 1u);
    EXPECT_EQ(table[0].kind, K::ParameterTable);
    EXPECT_EQ(table[0].Flag("factory"), true);
    EXPECT_EQ(table[0].Number("count"), 26);
    EXPECT_EQ(table[0].Number("word"), 0x0012);
    EXPECT_EQ(table[0].Number("rowCount"), 12);
    EXPECT_EQ(table[0].Text("rows"), "1FFF 4200 2200 9200 FF00 8706 000B 4809 8008 1000 1400 0800");
    EXPECT_EQ(KindsOf(DecodeCovering(documents[2])), std::vector<K>{K::Save});
}

TEST(ParameterRoundTrip, AnEditedTableIsNotTheFactoryOne) {
    std::string hex = FactoryParameterTable();
    hex.replace(hex.size() - 4, 4, "0900");
    const auto entries = DecodeHexCovering(hex);
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].Flag("factory"), false);
    EXPECT_NE(entries[0].meaning.find("(not the factory table)"), std::string::npos);
}

TEST(BatchRoundTrip, EveryItemComesBackInItemOrder) {
    testing::RecordingPrinter printer;
    TicketDescription description;
    const std::pair<int, std::int16_t> recorded[] = {{1, 99}, {2, 99}, {3, 88}, {4, 88},  {5, 99}, {6, 88},
                                                     {7, 99}, {8, 99}, {9, 99}, {10, 99}, {11, 8}};
    for (const auto& [item, code] : recorded) description.SetCode(item, code);
    ASSERT_FALSE(SendTicket(printer.channel, description).Refused());
    const auto documents = printer.Documents();
    ASSERT_EQ(documents.size(), 1u);
    const auto entries = DecodeCovering(documents[0]);
    ASSERT_EQ(entries.size(), 11u);
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const auto [item, code] = recorded[i];
        EXPECT_EQ(entries[i].Number("item"), item) << i;
        if (item >= kItemTicketLength && item <= kItemBlackMarkOffset) {
            EXPECT_EQ(entries[i].kind, K::Geometry);
            EXPECT_EQ(entries[i].Number("function"), kFnTicketLength + (item - kItemTicketLength));
        } else {
            EXPECT_EQ(entries[i].kind, K::Flag);
            EXPECT_EQ(entries[i].Number("code"), code);
        }
    }
    EXPECT_EQ(entries[6].Number("count"), 868);  // Text3 "152"
    EXPECT_EQ(entries[7].Number("count"), 200);  // Text4 "35"
    EXPECT_EQ(entries[8].Number("count"), 154);  // Text5 "27"
}

TEST(TextRoundTrip, GbkRunsComeBackAsUtf8) {
    const std::string gbk = ToAnsi("打印 Test 测试页");
    const auto entries = DecodeCovering({gbk.begin(), gbk.end()});
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].kind, K::Text);
    EXPECT_EQ(entries[0].Text("text"), "打印 Test 测试页");
    EXPECT_EQ(entries[0].meaning, "\"打印 Test 测试页\"");
}

}  // namespace
}  // namespace qvset
