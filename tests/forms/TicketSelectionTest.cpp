#include <gtest/gtest.h>

#include "forms/CheckBoxPanel.h"
#include "forms/SelectionHandlers.h"
#include "forms/TicketSelection.h"
#include "printer/HexCodec.h"
#include "printer/MemorySpooler.h"
#include "printer/PrintChannel.h"
#include "support/DocumentsAsHex.h"
#include "support/RecordingDialogs.h"

namespace qvset::forms {
namespace {

using testing::RecordingDialogs;

class SettingsPanelTest : public ::testing::Test {
  protected:
    SettingsPanelTest() : spooler({{"QV640", "drv", "usb"}}) { spooler.SetCurrentPrinter("QV640"); }

    void Click(const char* button) { ASSERT_TRUE(ClickSettingsButton(selection, channel, button)) << button; }

    std::vector<std::string> Sent() const { return testing::DocumentsAsHex(spooler); }

    std::vector<std::string> LitButtons() const {
        std::vector<std::string> lit;
        for (int n = 23; n <= 49; ++n) {
            const std::string name = "Command" + std::to_string(n);
            if (selection.IsLit(name)) lit.push_back(name);
        }
        return lit;
    }

    MemorySpooler spooler;
    RecordingDialogs dialogs;
    PrintChannel channel{spooler, dialogs, "."};
    TicketSelection selection;
};

using Names = std::vector<std::string>;

TEST_F(SettingsPanelTest, StartsEmptyWithTheInitialTexts) {
    EXPECT_EQ(selection.Label12(), "无");
    EXPECT_TRUE(LitButtons().empty());
    for (int item = 1; item <= 11; ++item) {
        EXPECT_EQ(selection.ItemState(item), 0);
        EXPECT_EQ(selection.SavedItemState(item), "0");
    }
    EXPECT_EQ(selection.Text3(), "152");
    EXPECT_EQ(selection.Text4(), "35");
    EXPECT_EQ(selection.Text5(), "27");
    EXPECT_EQ(selection.BlackMarkStyle(), 2);
}

TEST_F(SettingsPanelTest, PartnerUnlightsAndEachClickIsOneDocument) {
    Click("Command28");
    Click("Command29");
    EXPECT_EQ(LitButtons(), Names{"Command29"});
    EXPECT_EQ(selection.ItemState(1), 88);
    EXPECT_EQ(Sent(), (Names{"1B4202", "1B4203"}));
    for (const auto& document : spooler.Documents()) EXPECT_EQ(document.name, "AAAAAA");
    EXPECT_TRUE(dialogs.Messages().empty());
}

TEST_F(SettingsPanelTest, BaudButtonsFormOneGroupAndEachShowsTheRestartMessage) {
    Click("Command44");
    Click("Command41");
    EXPECT_EQ(LitButtons(), Names{"Command41"});
    EXPECT_EQ(selection.ItemState(11), 1);
    EXPECT_EQ(Sent(), (Names{"1B4211", "1B420E"}));
    EXPECT_EQ(dialogs.MessageTexts(),
              (Names{"您设置了波特率，完成后需要重启打印机", "您设置了波特率，完成后需要重启打印机"}));
    EXPECT_TRUE(dialogs.Messages()[0].title.empty());
}

TEST_F(SettingsPanelTest, RecalibrationStaysLitUntilReset) {
    Click("Command30");
    Click("Command31");
    Click("Command32");
    Click("Command30");
    Click("Command36");
    EXPECT_EQ(LitButtons(), (Names{"Command30", "Command32", "Command36"}));
    EXPECT_EQ(Sent(), (Names{"1B4201", "1B4204", "1B4205", "1B4201", "1B420D"}));
    selection.ResetSelection();
    EXPECT_TRUE(LitButtons().empty());
    EXPECT_EQ(selection.ItemState(10), 0);
}

TEST_F(SettingsPanelTest, EveryButtonRecordsItsItemAndCode) {
    struct Case {
        const char* button;
        int item;
        std::int16_t code;
    };
    const Case cases[] = {
        {"Command28", 1, 99}, {"Command29", 1, 88}, {"Command30", 10, 99}, {"Command31", 2, 99},
        {"Command32", 2, 88}, {"Command33", 3, 99}, {"Command34", 3, 88},  {"Command35", 4, 99},
        {"Command36", 4, 88}, {"Command37", 5, 99}, {"Command38", 5, 88},  {"Command39", 6, 99},
        {"Command40", 6, 88}, {"Command42", 11, 2}, {"Command43", 11, 3},  {"Command45", 11, 5},
        {"Command46", 11, 6}, {"Command47", 11, 7}, {"Command48", 11, 8}};
    for (const auto& c : cases) {
        Click(c.button);
        EXPECT_EQ(selection.ItemState(c.item), c.code) << c.button;
        EXPECT_TRUE(selection.IsLit(c.button)) << c.button;
    }
}

TEST_F(SettingsPanelTest, UnreachablePrinterStillRecordsAndLights) {
    spooler.SetCannotOpen("QV640");
    Click("Command33");
    EXPECT_TRUE(selection.IsLit("Command33"));
    EXPECT_EQ(selection.ItemState(3), 99);
    EXPECT_EQ(dialogs.MessageTexts(), Names{"The Printer Name you typed wasn't recognized."});
}

TEST_F(SettingsPanelTest, OtherNamesAreNotSettingsButtons) {
    for (const char* name : {"Command23", "Command26", "Command49", "Command99", ""}) {
        EXPECT_FALSE(ClickSettingsButton(selection, channel, name)) << name;
    }
    EXPECT_TRUE(spooler.Documents().empty());
    EXPECT_TRUE(LitButtons().empty());
}

TEST_F(SettingsPanelTest, ShowItemStatesLightsOnlyWhatAButtonRecords) {
    selection.Light("Command28");
    selection.Light("Command23");
    selection.Light("Command44");
    // 5 on item 1 and 9 on item 11 leave their frames; 0 on item 7 unlights Command23; 88 on item 10
    // lights nothing.
    selection.SetItemState(1, 5);
    selection.SetItemState(11, 9);
    selection.SetItemState(10, 88);
    selection.SetItemState(4, 88);
    selection.SetItemState(9, 99);
    selection.ShowItemStates();
    EXPECT_EQ(LitButtons(), (Names{"Command25", "Command28", "Command36", "Command44"}));
    selection.SetItemState(11, 6);
    selection.ShowItemStates();
    EXPECT_EQ(LitButtons(), (Names{"Command25", "Command28", "Command36", "Command46"}));
}

TEST_F(SettingsPanelTest, UnsavedChangesCompareNumbers) {
    EXPECT_FALSE(selection.HasUnsavedChanges());
    Click("Command31");
    EXPECT_TRUE(selection.HasUnsavedChanges());
    selection.TakeSnapshot();
    EXPECT_EQ(selection.SavedItemState(2), "99");
    EXPECT_FALSE(selection.HasUnsavedChanges());
    Click("Command32");
    EXPECT_TRUE(selection.HasUnsavedChanges());
}

TEST_F(SettingsPanelTest, CancelWithoutAnOpenDescriptionResetsWithoutAsking) {
    Click("Command28");
    Click("Command41");
    dialogs.Clear();
    Command49_Click(selection, dialogs);
    EXPECT_TRUE(dialogs.Messages().empty());
    EXPECT_TRUE(LitButtons().empty());
    EXPECT_EQ(selection.ItemState(1), 0);
    EXPECT_EQ(selection.ItemState(11), 0);
}

TEST_F(SettingsPanelTest, CancelWithAChangedDescriptionAsksAndYesKeepsEverything) {
    selection.SetLabel12("a.txt");
    Click("Command31");
    dialogs.QueueAnswer(MessageAnswer::Yes);
    Command49_Click(selection, dialogs);
    ASSERT_EQ(dialogs.Messages().size(), 1u);
    const MessageRequest& question = dialogs.Messages()[0];
    EXPECT_EQ(question.text, "你更改了票样，请确认是否保存，选择是请点击保存票样按钮,否则退出");
    EXPECT_EQ(question.title, "退出");
    EXPECT_EQ(question.buttons, MessageButtons::YesNo);
    EXPECT_EQ(question.icon, MessageIcon::Question);
    EXPECT_EQ(LitButtons(), Names{"Command31"});
    EXPECT_EQ(selection.ItemState(2), 99);
    EXPECT_EQ(selection.Label12(), "a.txt");

    dialogs.QueueAnswer(MessageAnswer::No);
    Command49_Click(selection, dialogs);
    EXPECT_TRUE(LitButtons().empty());
    EXPECT_EQ(selection.ItemState(2), 0);
    EXPECT_EQ(selection.Label12(), "无");
}

TEST_F(SettingsPanelTest, CancelWithAnUnchangedDescriptionResetsWithoutAsking) {
    selection.SetLabel12("a.txt");
    Click("Command31");
    selection.TakeSnapshot();
    dialogs.Clear();
    Command49_Click(selection, dialogs);
    EXPECT_TRUE(dialogs.Messages().empty());
    EXPECT_EQ(selection.Label12(), "无");
    EXPECT_EQ(selection.ItemState(2), 0);
}

TEST_F(SettingsPanelTest, ExitQuestionOnlyWhenChanged) {
    EXPECT_TRUE(MayDiscardSelection(selection, dialogs));
    EXPECT_TRUE(dialogs.Messages().empty());
    Click("Command37");
    dialogs.Clear();
    dialogs.QueueAnswer(MessageAnswer::Yes);
    EXPECT_FALSE(MayDiscardSelection(selection, dialogs));
    dialogs.QueueAnswer(MessageAnswer::No);
    EXPECT_TRUE(MayDiscardSelection(selection, dialogs));
    EXPECT_EQ(dialogs.Messages().size(), 2u);
}

TEST(CheckBoxPanel, TickEnablesAndOnlyTheBaudRateBoxDisablesOnUntick) {
    CheckBoxPanel panel;
    for (const auto& row : CheckBoxPanel::Rows()) {
        EXPECT_FALSE(panel.IsTicked(row.name));
        EXPECT_TRUE(panel.IsPartnerEnabled(row.name));
    }
    ASSERT_TRUE(panel.Click("PrinterBlack"));
    EXPECT_TRUE(panel.IsTicked("PrinterBlack"));
    ASSERT_TRUE(panel.Click("PrinterBlack"));
    EXPECT_FALSE(panel.IsTicked("PrinterBlack"));
    EXPECT_TRUE(panel.IsPartnerEnabled("PrinterBlack"));

    ASSERT_TRUE(panel.Click("PrinterBaudrate"));
    EXPECT_TRUE(panel.IsPartnerEnabled("PrinterBaudrate"));
    ASSERT_TRUE(panel.Click("PrinterBaudrate"));
    EXPECT_FALSE(panel.IsPartnerEnabled("PrinterBaudrate"));
    ASSERT_TRUE(panel.Click("PrinterBaudrate"));
    EXPECT_TRUE(panel.IsPartnerEnabled("PrinterBaudrate"));
    EXPECT_FALSE(panel.Click("ComBlack"));
}

}  // namespace
}  // namespace qvset::forms
