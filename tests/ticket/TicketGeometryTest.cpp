#include <gtest/gtest.h>

#include "forms/SelectionHandlers.h"
#include "printer/HexCodec.h"
#include "printer/MemorySpooler.h"
#include "printer/PrintChannel.h"
#include "support/DocumentsAsHex.h"
#include "support/RecordingDialogs.h"
#include "ticket/TicketGeometry.h"

namespace qvset {
namespace {

using namespace qvset::forms;

using Names = std::vector<std::string>;

struct EncodeCase {
    const char* text;
    const char* hex;  // nullptr: refused
};

TEST(EncodeItemValue, CountsInUnitsOf175ThousandthsWithTheLowByteOneHigher) {
    const EncodeCase cases[] = {
        {"152", "6503"},
        {"35", "C900"},
        {"27", "9B00"},
        {"0", "0000"},
        {"", "0000"},
        {"abc", "0000"},
        {"0.175", "0200"},
        {"0.174", "0000"},
        {"44.8", "0001"},
        {"1E2", "3C02"},
        // a low byte of 255 carries into the high byte instead of becoming 256
        {"44.625", "0001"},
        {"44.7", "0001"},
        {"44.799", "0001"},
        {"89.425", "0002"},
        {"11468.6", "FFFF"},  // count 65534: the largest that fits
        {"11468.625", nullptr},
        {"11468.8", nullptr},
        {"1E999", nullptr},
        {"2147484", nullptr},
        {"-1", nullptr},
    };
    for (const auto& c : cases) {
        const auto encoded = EncodeItemValue(c.text);
        if (c.hex == nullptr) {
            EXPECT_FALSE(encoded) << c.text;
        } else {
            ASSERT_TRUE(encoded) << c.text;
            EXPECT_EQ(*encoded, c.hex) << c.text;
        }
    }
}

TEST(EncodeFormatSetValue, CountsInUnitsOf176Thousandths) {
    const EncodeCase cases[] = {
        {"152", "5F03"},        {"20", "7100"},     {"27", "9900"},     {"0", "0000"},
        {"0.176", "0100"},      {"44.8", "FE00"},   {"45.056", "0001"}, {"11534.335", "FFFF"},
        {"11534.336", nullptr}, {"1E999", nullptr}, {"-5", nullptr},
    };
    for (const auto& c : cases) {
        const auto encoded = EncodeFormatSetValue(c.text);
        if (c.hex == nullptr) {
            EXPECT_FALSE(encoded) << c.text;
        } else {
            ASSERT_TRUE(encoded) << c.text;
            EXPECT_EQ(*encoded, c.hex) << c.text;
        }
    }
}

TEST(CheckTicketFormat, FirstFailingRuleInOrder) {
    struct Case {
        int style;
        const char* l;
        const char* p;
        const char* b;
        const char* message;  // nullptr: passes
    };
    const Case cases[] = {
        {2, "152", "35", "27", "打印起始位置不能超过撕纸位置，请更改参数"},
        {1, "152", "35", "27", "打印起始位置不能超过撕纸位置，请更改参数"},
        {1, "", "35", "27", "票长不能为空"},
        {2, "9.5", "0", "0", "票长也太短了吧!"},
        {2, "abc", "0", "0", "票长也太短了吧!"},
        {2, " ", "0", "0", "票长也太短了吧!"},
        {2, "10", "0", "0", nullptr},
        {1, "60", "20", "40", nullptr},  // P + B = L passes
        {1, "59.9", "20", "40", "票长不能小于设置长度之和，请选择样式二或者更改参数"},
        {1, "100", "30", "20", "打印起始位置不能超过撕纸位置，请更改参数"},
        {2, "59.9", "20", "40", nullptr},
        {2, "10", "20", "30", "打印起始位置不能超过票长，请更改参数"},
        {2, "25", "20", "30", "撕纸位置不能超过票长，请更改参数"},
        {2, "30", "30", "30", nullptr},
        {2, "152", "-3", "27", nullptr},
        // two rules fail at once: the earlier one is shown
        {1, "40", "30", "20", "票长不能小于设置长度之和，请选择样式二或者更改参数"},  // sum before B < P
        {2, "10", "20", "15", "打印起始位置不能超过撕纸位置，请更改参数"},            // B < P before P > L
        {2, "10", "20", "20", "打印起始位置不能超过票长，请更改参数"},                // P > L before B > L
    };
    for (const auto& c : cases) {
        const auto problem = CheckTicketFormat(c.style, c.l, c.p, c.b);
        if (c.message == nullptr) {
            EXPECT_FALSE(problem) << c.l << " " << c.p << " " << c.b << ": " << *problem;
        } else {
            ASSERT_TRUE(problem) << c.l << " " << c.p << " " << c.b;
            EXPECT_EQ(*problem, c.message);
        }
    }
}

TEST(Normalisation, SingleItemAndFormatSetRules) {
    EXPECT_EQ(NormaliseItemText("-5", "152"), "152");
    EXPECT_EQ(NormaliseItemText("-0.001", "0"), "0");
    EXPECT_EQ(NormaliseItemText("", "152"), "");
    EXPECT_EQ(NormaliseItemText("abc", "0"), "abc");
    EXPECT_EQ(NormaliseItemText(" 12 mm", "0"), " 12 mm");
    EXPECT_EQ(NormaliseFormatSetText(""), "0");
    EXPECT_EQ(NormaliseFormatSetText("-3"), "0");
    EXPECT_EQ(NormaliseFormatSetText("0.0"), "0");
    EXPECT_EQ(NormaliseFormatSetText("abc"), "0");
    EXPECT_EQ(NormaliseFormatSetText("27.5"), "27.5");
}

TEST(BuildGeometryCommand, NineBytesWithTheItemEncoding) {
    EXPECT_EQ(BuildGeometryCommand(kFnTicketLength, "152"), "1D2846040004006503");
    EXPECT_EQ(BuildGeometryCommand(kFnStartOffset, "35"), "1D284604000500C900");
    EXPECT_EQ(BuildGeometryCommand(kFnBlackMarkOffset, "27"), "1D2846040006009B00");
    EXPECT_EQ(BuildGeometryCommand(kFnBlackMarkOffset, "44.7"), "1D2846040006000001");
    EXPECT_FALSE(BuildGeometryCommand(kFnTicketLength, "11468.8"));
}

TEST(BuildTicketFormatCommand, ThreeCommandsWithTheStyleInTheStartMode) {
    EXPECT_EQ(BuildTicketFormatCommand(2, "152", "20", "27"),
              "1D28460400010071001D28460400020099001D2846040003005F03");
    EXPECT_EQ(BuildTicketFormatCommand(1, "152", "20", "27"),
              "1D28460400010171001D28460400020099001D2846040003005F03");
    EXPECT_FALSE(BuildTicketFormatCommand(2, "11534.336", "20", "27"));
}

class GeometryButtonTest : public ::testing::Test {
  protected:
    GeometryButtonTest() : spooler({{"QV640", "drv", "usb"}}) { spooler.SetCurrentPrinter("QV640"); }

    Names Sent() const { return testing::DocumentsAsHex(spooler); }

    MemorySpooler spooler;
    testing::RecordingDialogs dialogs;
    PrintChannel channel{spooler, dialogs, "."};
    TicketSelection selection;
};

TEST_F(GeometryButtonTest, EachButtonSendsLightsAndRecordsItsItem) {
    ASSERT_TRUE(ClickGeometryButton(selection, channel, "Command23"));
    ASSERT_TRUE(ClickGeometryButton(selection, channel, "Command24"));
    ASSERT_TRUE(ClickGeometryButton(selection, channel, "Command25"));
    EXPECT_EQ(Sent(), (Names{"1D2846040004006503", "1D284604000500C900", "1D2846040006009B00"}));
    for (int item = 7; item <= 9; ++item) EXPECT_EQ(selection.ItemState(item), 99);
    for (const char* button : {"Command23", "Command24", "Command25"}) EXPECT_TRUE(selection.IsLit(button));
    EXPECT_FALSE(ClickGeometryButton(selection, channel, "Command28"));
}

TEST_F(GeometryButtonTest, NegativeTextsTakeTheirDefaultsAndEmptyStaysEmpty) {
    selection.SetText4("");
    ClickGeometryButton(selection, channel, "Command24");
    EXPECT_EQ(selection.Text4(), "");
    selection.SetText4("-5");
    ClickGeometryButton(selection, channel, "Command24");
    EXPECT_EQ(selection.Text4(), "0");
    selection.SetText3("-1");
    ClickGeometryButton(selection, channel, "Command23");
    EXPECT_EQ(selection.Text3(), "152");
    EXPECT_EQ(Sent(), (Names{"1D2846040005000000", "1D2846040005000000", "1D2846040004006503"}));
}

TEST_F(GeometryButtonTest, UnreachablePrinterStillLightsAndRecords) {
    spooler.SetCannotOpen("QV640");
    ClickGeometryButton(selection, channel, "Command25");
    EXPECT_TRUE(selection.IsLit("Command25"));
    EXPECT_EQ(selection.ItemState(9), 99);
}

TEST_F(GeometryButtonTest, OutOfRangeValueIsRefusedAndRecordsNothing) {
    selection.SetText3("20000");
    ClickGeometryButton(selection, channel, "Command23");
    EXPECT_EQ(dialogs.MessageTexts(), Names{"数值超出范围，未发送"});
    EXPECT_TRUE(spooler.Documents().empty());
    EXPECT_FALSE(selection.IsLit("Command23"));
    EXPECT_EQ(selection.ItemState(7), 0);
    EXPECT_EQ(selection.Text3(), "20000");
}

TEST_F(GeometryButtonTest, FormatSetSendsTheThreeCommandsAsOneDocument) {
    selection.SetText4("20");
    Command16_Click(selection, channel);
    selection.SetBlackMarkStyle(1);
    Command16_Click(selection, channel);
    EXPECT_EQ(Sent(), (Names{"1D28460400010071001D28460400020099001D2846040003005F03",
                             "1D28460400010171001D28460400020099001D2846040003005F03"}));
    for (int item = 1; item <= 11; ++item) EXPECT_EQ(selection.ItemState(item), 0);
    EXPECT_TRUE(dialogs.Messages().empty());
}

TEST_F(GeometryButtonTest, FormatSetNormalisesOnlyWhenItSends) {
    Command16_Click(selection, channel);  // initial texts: B < P
    EXPECT_EQ(dialogs.MessageTexts(), Names{"打印起始位置不能超过撕纸位置，请更改参数"});
    EXPECT_TRUE(spooler.Documents().empty());

    selection.SetText4("-3");
    selection.SetText3("20000");
    selection.SetText5("27");
    Command16_Click(selection, channel);
    EXPECT_EQ(dialogs.MessageTexts().back(), "数值超出范围，未发送");
    EXPECT_EQ(selection.Text4(), "-3");
    EXPECT_TRUE(spooler.Documents().empty());

    selection.SetText3("152");
    Command16_Click(selection, channel);
    EXPECT_EQ(selection.Text4(), "0");
    EXPECT_EQ(Sent(), Names{"1D28460400010000001D28460400020099001D2846040003005F03"});
}

}  // namespace
}  // namespace qvset
