#include <gtest/gtest.h>

#include "TuningTestSupport.h"
#include "printer/AnsiText.h"
#include "printer/HexCodec.h"
#include "tuning/TuningJobs.h"

namespace qvset {
namespace {

using testing::Hex;
using testing::kModePrefixHex;
using testing::kSaveHex;

std::vector<int> Range(int first, int last) {
    std::vector<int> values;
    for (int v = first; v <= last; ++v) values.push_back(v);
    return values;
}

// One mode's block of a test page as the printer receives it.
struct PageLine {
    std::uint8_t value;
    std::string marker;
    std::size_t bytes;  // command, feeds, text and the closing feed
};
struct PageBlock {
    std::uint8_t code;
    std::uint8_t headerValue;
    std::string headerText;  // UTF-8
    std::vector<PageLine> lines;
};

// Splits a test page into its blocks; fails the test on any byte out of place.
std::vector<PageBlock> ParsePage(const Bytes& page) {
    std::vector<PageBlock> blocks;
    const std::string prefix = kModePrefixHex;
    std::size_t p = 0;
    while (page.size() - p > 5) {
        const Bytes command(page.begin() + static_cast<std::ptrdiff_t>(p),
                            page.begin() + static_cast<std::ptrdiff_t>(p + 11));
        EXPECT_EQ(Hex(command).substr(0, prefix.size()), prefix) << "at " << p;
        EXPECT_EQ(command[10], kTestFlag) << "at " << p;
        EXPECT_EQ(page[p + 11], 0x0A);
        EXPECT_EQ(page[p + 12], 0x0A);
        const std::size_t start = p;
        p += 13;
        const bool isLine = page[p] == 0xB0 && page[p + 1] == 0xA1;  // a line begins with "啊"
        if (!isLine) {
            std::size_t end = p;
            while (page[end] != 0x0A) ++end;
            blocks.push_back({command[8],
                              command[9],
                              FromAnsi(std::string(page.begin() + static_cast<std::ptrdiff_t>(p),
                                                   page.begin() + static_cast<std::ptrdiff_t>(end))),
                              {}});
            p = end + 1;
            continue;
        }
        const std::size_t before = command[8] == 0x0A ? 22 : command[8] == 0x0B ? 30 : 45;
        const std::size_t after = command[8] == 0x0A ? 21 : command[8] == 0x0B ? 28 : 43;
        const std::size_t markerAt = p + before * 2;
        const std::string marker(page.begin() + static_cast<std::ptrdiff_t>(markerAt),
                                 page.begin() + static_cast<std::ptrdiff_t>(markerAt + 4));
        p = markerAt + 4 + after * 2;
        EXPECT_EQ(page[p], 0x0A) << "line end at " << p;
        ++p;
        if (blocks.empty()) {
            ADD_FAILURE() << "line before any header";
            return blocks;
        }
        EXPECT_EQ(command[8], blocks.back().code);
        blocks.back().lines.push_back({command[9], marker, p - start});
    }
    EXPECT_EQ(Hex(Bytes(page.begin() + static_cast<std::ptrdiff_t>(p), page.end())), kSaveHex);
    return blocks;
}

TEST(TuningJobsTest, SampleTextIsTheFirst125Gb2312Characters) {
    const std::string ansi = ToAnsi(SampleText());
    ASSERT_EQ(ansi.size(), 250u);
    EXPECT_EQ(SampleText().rfind("啊阿埃挨哎唉哀", 0), 0u);
    EXPECT_EQ(Hex(Bytes(ansi.begin(), ansi.begin() + 2)), "B0A1");
    EXPECT_EQ(Hex(Bytes(ansi.begin() + 186, ansi.begin() + 190)), "B0FEB1A1");  // 剥 then 薄
    EXPECT_EQ(Hex(Bytes(ansi.end() - 2, ansi.end())), "B1BF");
    EXPECT_EQ(SampleText().substr(SampleText().size() - 3), "笨");
}

TEST(TuningJobsTest, TestWindowKeepsToOneToForty) {
    struct Row {
        int x;
        std::vector<int> window;
    };
    const Row rows[] = {{3, Range(1, 7)},    {4, Range(1, 8)},    {5, Range(1, 9)},
                        {16, Range(12, 20)}, {36, Range(32, 40)}, {37, Range(33, 40)},
                        {40, Range(36, 40)}, {44, Range(40, 40)}, {45, {}},
                        {255, {}},           {0, Range(1, 4)}};
    for (const auto& row : rows) EXPECT_EQ(TestWindow(row.x), row.window) << "x = " << row.x;
}

TEST(TuningJobsTest, ValueMarkerStarsTheCurrentValueAndPadsToTwoDigits) {
    EXPECT_EQ(ValueMarker(5, 5), "*05*");
    EXPECT_EQ(ValueMarker(12, 5), "-12-");
    EXPECT_EQ(ValueMarker(9, 9), "*09*");
    EXPECT_EQ(ValueMarker(10, 10), "*10*");
    EXPECT_EQ(ValueMarker(1, 3), "-01-");
    EXPECT_EQ(ValueMarker(40, 40), "*40*");
}

TEST(TuningJobsTest, TestLinesCutTheSampleAroundTheMarker) {
    const std::string& sample = SampleText();
    // Each sample character is three UTF-8 bytes.
    EXPECT_EQ(BuildTestLine(TuningMode::HighSpeed, 16, 16),
              sample.substr(0, 66) + "*16*" + sample.substr(66, 63));
    EXPECT_EQ(BuildTestLine(TuningMode::Standard, 14, 18),
              sample.substr(0, 90) + "-14-" + sample.substr(90, 84));
    EXPECT_EQ(BuildTestLine(TuningMode::Fine, 7, 20),
              sample.substr(0, 135) + "-07-" + sample.substr(135, 129));
    EXPECT_EQ(ToAnsi(BuildTestLine(TuningMode::HighSpeed, 1, 1)).size(), 90u);
    EXPECT_EQ(ToAnsi(BuildTestLine(TuningMode::Standard, 1, 1)).size(), 120u);
    EXPECT_EQ(ToAnsi(BuildTestLine(TuningMode::Fine, 1, 1)).size(), 180u);
}

TEST(TuningJobsTest, StoreJobOfTheStartUpValuesIs44Bytes) {
    const Bytes job = BuildStoreJob({16, 18, 20});
    ASSERT_EQ(job.size(), 44u);
    EXPECT_EQ(Hex(job), kModePrefixHex + "0A10000A0A" + kModePrefixHex + "0B12000A0A" + kModePrefixHex +
                            "0C14000A0A" + kSaveHex);
}

TEST(TuningJobsTest, TestPageOfTheStartUpValuesHasNineLinesPerModeWithTheStarInTheMiddle) {
    const Bytes page = BuildTestPage({16, 18, 20});
    const auto blocks = ParsePage(page);
    ASSERT_EQ(blocks.size(), 3u);
    const std::uint8_t codes[] = {0x0A, 0x0B, 0x0C};
    const int current[] = {16, 18, 20};
    const std::size_t lineBytes[] = {104, 134, 194};
    const char* headers[] = {"高速----------------Quelvane--------------测试页",
                             "标准----------------Quelvane--------------测试页",
                             "精细----------------Quelvane--------------测试页"};
    std::size_t total = 5;
    for (std::size_t m = 0; m < 3; ++m) {
        const auto& block = blocks[m];
        EXPECT_EQ(block.code, codes[m]);
        EXPECT_EQ(block.headerValue, current[m]);
        EXPECT_EQ(block.headerText, headers[m]);
        total += 13 + ToAnsi(headers[m]).size() + 1;
        ASSERT_EQ(block.lines.size(), 9u);
        for (std::size_t i = 0; i < 9; ++i) {
            const int v = current[m] - 4 + static_cast<int>(i);
            EXPECT_EQ(block.lines[i].value, v);
            EXPECT_EQ(block.lines[i].marker, ValueMarker(v, current[m]));
            EXPECT_EQ(block.lines[i].bytes, lineBytes[m]);
            total += block.lines[i].bytes;
        }
        EXPECT_EQ(block.lines[4].marker[0], '*');
    }
    EXPECT_EQ(page.size(), total);
}

TEST(TuningJobsTest, TestPageWindowsAtTheEdges) {
    const auto blocks = ParsePage(BuildTestPage({3, 37, 45}));
    ASSERT_EQ(blocks.size(), 3u);
    std::vector<std::string> high;
    for (const auto& line : blocks[0].lines) high.push_back(line.marker);
    EXPECT_EQ(high, (std::vector<std::string>{"-01-", "-02-", "*03*", "-04-", "-05-", "-06-", "-07-"}));
    std::vector<std::string> standard;
    for (const auto& line : blocks[1].lines) standard.push_back(line.marker);
    EXPECT_EQ(standard,
              (std::vector<std::string>{"-33-", "-34-", "-35-", "-36-", "*37*", "-38-", "-39-", "-40-"}));
    EXPECT_EQ(blocks[2].headerValue, 45);
    EXPECT_TRUE(blocks[2].lines.empty());

    const auto edges = ParsePage(BuildTestPage({4, 5, 40}));
    ASSERT_EQ(edges.size(), 3u);
    EXPECT_EQ(edges[0].lines.size(), 8u);
    EXPECT_EQ(edges[0].lines[3].marker, "*04*");
    EXPECT_EQ(edges[1].lines.size(), 9u);
    EXPECT_EQ(edges[1].lines[4].marker, "*05*");
    ASSERT_EQ(edges[2].lines.size(), 5u);
    EXPECT_EQ(edges[2].lines.front().marker, "-36-");
    EXPECT_EQ(edges[2].lines.back().marker, "*40*");
}

TEST(TuningJobsTest, AlignmentLabelsAndTheirDocuments) {
    EXPECT_EQ(BuildAlignmentLabel(16, 16), "***************16");
    EXPECT_EQ(BuildAlignmentLabel(12, 16), "12");
    EXPECT_EQ(BuildAlignmentLabel(5, 5), "***************5");
    const Bytes other = BuildAlignmentText(12, 16);
    EXPECT_EQ(other.size(), 18u);
    EXPECT_EQ(Hex(other), kModePrefixHex + "0A0CFF" + "0A0A0A" + "3132" + "0A0A");
    const Bytes current = BuildAlignmentText(16, 16);
    EXPECT_EQ(current.size(), 33u);
    EXPECT_EQ(Hex(current),
              kModePrefixHex + "0A10FF" + "0A0A0A" + "2A2A2A2A2A2A2A2A2A2A2A2A2A2A2A" + "3136" + "0A0A");
}

TEST(TuningJobsTest, AlignmentBarRowIsOneBitImageOf2880Columns) {
    const auto row = DecodeHex(AlignmentBarRow());
    ASSERT_TRUE(row);
    ASSERT_EQ(row->size(), 2886u);
    EXPECT_EQ(Hex(Bytes(row->begin(), row->begin() + 5)), "1B2A01400B");
    EXPECT_EQ(row->back(), 0x0D);
    for (std::size_t column = 0; column < 2880; ++column) {
        ASSERT_EQ((*row)[5 + column], column % 80 == 0 ? 0xFF : 0x00) << "column " << column;
    }
}

}  // namespace
}  // namespace qvset
