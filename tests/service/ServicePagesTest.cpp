#include "service/ServicePages.h"

#include <gtest/gtest.h>

#include "decode/CommandDecoder.h"
#include "settings/SwitchCommands.h"
#include "ticket/TicketGeometry.h"

namespace qvset {
namespace {

TEST(ServicePagesTest, ThePageLanguageIsTheFirstOfChineseAndEnglishTheBrowserNames) {
    const std::vector<std::pair<std::string, PageLanguage>> cases{
        {"zh-CN,zh;q=0.9,en;q=0.8", PageLanguage::Chinese},
        {"en-US,en;q=0.9,zh-CN;q=0.8", PageLanguage::English},
        {"de-DE,en;q=0.7", PageLanguage::English},
        {"fr, zh-TW;q=0.5", PageLanguage::Chinese},
        {"EN", PageLanguage::English},
        {"eng,enx", PageLanguage::Chinese},  // no tag of "en" itself
        {"", PageLanguage::Chinese},
    };
    for (const auto& [header, language] : cases) EXPECT_EQ(ChooseLanguage(header), language) << header;
}

TEST(ServicePagesTest, TheTestButtonsSendTheWindowsDocuments) {
    using Bytes = std::vector<std::uint8_t>;
    EXPECT_EQ(TestDocuments("self-test"), std::vector<Bytes>{Bytes({0x1B, 0x3A, 0x00, 0x00, 0x50})});
    EXPECT_EQ(TestDocuments("line-feed"), std::vector<Bytes>{Bytes{0x0A}});
    EXPECT_EQ(TestDocuments("form-feed"), std::vector<Bytes>{Bytes{0x0C}});
    const auto pins = TestDocuments("pin-test");
    ASSERT_EQ(pins.size(), 18U);
    EXPECT_EQ(pins[0], Bytes{0x0A});
    EXPECT_EQ(pins[1], Bytes({'1', 0x0D}));
    EXPECT_EQ(pins[2].size(), 1849U);
    EXPECT_EQ(pins[17], Bytes({0x1B, 0x4A, 0x50}));
    EXPECT_TRUE(TestDocuments("cut").empty());
}

// A description file as the window writes it: GBK, CR LF. `lines` are items 1 to 11.
std::string File(const std::vector<std::string>& lines) {
    std::string file = "KQ605USET1\r\n";
    for (const auto& line : lines) file += line + "\r\n";
    return file;
}

TEST(ServicePagesTest, ADescriptionIsPlannedAgainstTheStateAndSendsOnlyWhatDiffers) {
    PrinterState state;
    state.Apply(DecodeDocument(std::vector<std::uint8_t>{0x1B, 0x42, 0x03}), "job 1");  // black mark off
    // Black mark on (differs), paper 76 not recorded before, ticket length 152, baud 9600*2.
    const std::string file = File({"A99\xBA\xDA\xB1\xEA\xC9\xE8\xD6\xC3    \xB4\xF2\xBF\xAA", "A99", "B0",
                                   "B0", "B0", "B0", "A99152", "B0", "B0", "B0", "A2"});
    const DescriptionPlan plan = PlanDescription(file, state);
    ASSERT_TRUE(plan.problem.empty()) << plan.problem;
    ASSERT_EQ(plan.items.size(), 4U);
    EXPECT_EQ(plan.items[0].item, 1);
    EXPECT_EQ(plan.items[0].reason, ItemPlanReason::Differs);
    EXPECT_EQ(plan.items[1].reason, ItemPlanReason::NotRecorded);
    EXPECT_EQ(plan.items[3].item, 11);
    EXPECT_TRUE(plan.baudRate);
    const auto entries = DecodeDocument(plan.document);
    ASSERT_GE(entries.size(), 4U);
    EXPECT_EQ(entries[0].bytes, std::vector<std::uint8_t>({0x1B, 0x42, 0x02}));
    EXPECT_EQ(entries[1].bytes, std::vector<std::uint8_t>({0x1B, 0x42, 0x04}));
    EXPECT_EQ(entries[2].kind, CommandKind::Geometry);
    EXPECT_EQ(entries.back().bytes, std::vector<std::uint8_t>({0x1B, 0x42, 0x0F}));

    // Once the state holds them, nothing differs and nothing is sent.
    state.Apply(entries, "job 2");
    const DescriptionPlan again = PlanDescription(file, state);
    EXPECT_FALSE(again.problem.empty());
    EXPECT_TRUE(again.document.empty());
}

TEST(ServicePagesTest, AFileThatIsNoDescriptionOrADistanceOutOfRangeSendsNothing) {
    const PrinterState state;
    for (const std::string& file : {std::string("hello\r\n"), File({"A99", "C1"}), std::string()}) {
        const DescriptionPlan plan = PlanDescription(file, state);
        EXPECT_FALSE(plan.problem.empty()) << file;
        EXPECT_TRUE(plan.document.empty()) << file;
    }
    const DescriptionPlan far = PlanDescription(
        File({"B0", "B0", "B0", "B0", "B0", "B0", "A99999999", "B0", "B0", "B0", "B0"}), state);
    EXPECT_EQ(far.problem, kMsgValueOutOfRange);
    EXPECT_TRUE(far.document.empty());
}

}  // namespace
}  // namespace qvset
