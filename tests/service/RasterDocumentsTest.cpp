#include "service/RasterDocuments.h"

#include <gtest/gtest.h>

#include <vector>

#include "decode/CommandDecoder.h"
#include "record/SettingAttributes.h"

namespace qvset {
namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes Join(std::initializer_list<Bytes> parts) {
    Bytes all;
    for (const auto& part : parts) all.insert(all.end(), part.begin(), part.end());
    return all;
}
const Bytes kFeed{0x1B, 0x4A, 0x08};
const Bytes kCut{0x1D, 0x56, 0x42, 0x00};

TEST(RasterDocumentsTest, RowsBecomeBandsOfEightDotColumnsWithAFeedAfterEachAndACutAtThePageEnd) {
    struct Case {
        const char* what;
        int width;
        std::vector<Bytes> rows;
        Bytes expected;
    };
    const std::vector<Case> cases{
        {"the first row is each column's high bit, the eighth its low bit",
         3,
         {{0x80}, {0x40}, {0x20}, {0x00}, {0x00}, {0x00}, {0x00}, {0xE0}},
         Join({{0x1B, 0x2A, 0x01, 0x03, 0x00, 0x81, 0x41, 0x21}, kFeed, kCut})},
        {"a row wider than the paper is cut at its edge",
         4,
         {{0xFF, 0xFF}},
         Join({{0x1B, 0x2A, 0x01, 0x04, 0x00, 0x80, 0x80, 0x80, 0x80}, kFeed, kCut})},
        {"a narrower row is filled with white to the paper's width",
         10,
         {{0x01}},
         Join({{0x1B, 0x2A, 0x01, 0x0A, 0x00, 0, 0, 0, 0, 0, 0, 0, 0x80, 0, 0}, kFeed, kCut})},
        {"a white band is only its feed; the last rows are a band of their own",
         2,
         {{0}, {0}, {0}, {0}, {0}, {0}, {0}, {0}, {0x40}},
         Join({kFeed, {0x1B, 0x2A, 0x01, 0x02, 0x00, 0x00, 0x80}, kFeed, kCut})},
        {"a page of no rows is the cut alone", 8, {}, kCut},
    };
    for (const auto& c : cases) {
        RasterTicket ticket(c.width);
        for (const auto& row : c.rows) ticket.AddRow(row);
        ticket.EndPage();
        EXPECT_EQ(ticket.Document(), c.expected) << c.what;
    }
}

TEST(RasterDocumentsTest, TheDrawnPagesGiveBackTheRowsPageByPage) {
    const int width = 608;
    std::vector<std::vector<Bytes>> pages{{}, {}};
    for (int y = 0; y < 21; ++y) {
        Bytes row(width / 8, 0);
        row[static_cast<std::size_t>(y)] = static_cast<std::uint8_t>(0x80u >> (y % 8));
        row[75] = y == 20 ? 0x01 : 0x00;
        pages[0].push_back(row);
    }
    for (int y = 0; y < 16; ++y) pages[1].push_back(Bytes(width / 8, y < 8 ? 0 : 0xAA));
    RasterTicket ticket(width);
    for (const auto& page : pages) {
        for (const auto& row : page) ticket.AddRow(row);
        ticket.EndPage();
    }
    const auto drawn = DrawnPages(ticket.Document());
    ASSERT_EQ(drawn.size(), 2U);
    for (std::size_t p = 0; p < pages.size(); ++p) {
        ASSERT_GE(drawn[p].size(), pages[p].size()) << "page " << p;
        for (std::size_t y = 0; y < pages[p].size(); ++y) {
            const auto& row = drawn[p][y];
            for (int x = 0; x < width; ++x) {
                const bool black = (pages[p][y][static_cast<std::size_t>(x / 8)] & (0x80u >> (x % 8))) != 0;
                const bool seen =
                    static_cast<std::size_t>(x) < row.size() && row[static_cast<std::size_t>(x)];
                ASSERT_EQ(seen, black) << "page " << p << " row " << y << " dot " << x;
            }
        }
    }
}

TEST(RasterDocumentsTest, ThePaperWidthIsThePaperSwitchsAndSeventySixWhileUnknown) {
    PrinterState state;
    EXPECT_EQ(PaperMillimetres(state), 76);
    const auto& paper = *FindSettingAttribute("qvset-paper");
    std::string problem;
    for (const auto& [value, millimetres] :
         std::vector<std::pair<std::string, int>>{{"58", 58}, {"76", 76}}) {
        state.Apply(DecodeDocument(*SettingCommand(paper, value, problem)), "job");
        EXPECT_EQ(PaperMillimetres(state), millimetres);
        EXPECT_EQ(PaperDots(state), millimetres * 8);
    }
    EXPECT_EQ(MediaSizeName(58), "om_qv6-58mm_58x152mm");
}

}  // namespace
}  // namespace qvset
