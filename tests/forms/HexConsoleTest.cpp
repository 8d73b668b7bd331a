#include <gtest/gtest.h>

#include "forms/HexConsole.h"
#include "printer/HexCodec.h"
#include "printer/MemorySpooler.h"
#include "support/DocumentsAsHex.h"
#include "support/RecordingDialogs.h"
#include "support/SequenceLog.h"
#include "tuning/ParameterCommands.h"

namespace qvset::forms {
namespace {

class HexConsoleTest : public ::testing::Test {
  protected:
    HexConsoleTest()
        : spooler({{"QV640", "QV6", "USB001"}}),
          channel(spooler, dialogs, "."),
          console(channel, pause, dialogs) {}

    std::vector<std::string> SentHex() const { return testing::DocumentsAsHex(spooler); }

    MemorySpooler spooler;
    testing::RecordingDialogs dialogs;
    testing::RecordingPause pause;
    PrintChannel channel;
    HexConsole console;
};

TEST_F(HexConsoleTest, EachDistinctWrongCharacterGivesOneMessageAndGoesEverywhere) {
    struct Row {
        const char* typed;
        const char* kept;
        std::size_t messages;
    };
    const Row rows[] = {
        {"1B 4A 15", "1B 4A 15", 0},
        {"g", "", 1},
        {"1Bg4Ag", "1B4A", 1},
        {"1g2h", "12", 2},
        {"1B\r\n4A", "1B4A", 2},
        {"1B\t4A", "1B4A", 1},
        {"1B测4A测", "1B4A", 1},
        {"ab CD ef 09", "ab CD ef 09", 0},
        {"x-y-x", "", 3},
    };
    for (const auto& row : rows) {
        dialogs.Clear();
        console.SetText("");
        console.SetText(row.typed);
        EXPECT_EQ(console.Text2(), row.kept) << row.typed;
        EXPECT_EQ(dialogs.Messages().size(), row.messages) << row.typed;
        for (const auto& message : dialogs.Messages()) EXPECT_EQ(message.text, "请输入的数据是16进制的范围");
    }
    EXPECT_TRUE(spooler.Documents().empty());
}

TEST_F(HexConsoleTest, AStrayByteIsRemovedLikeAnyOtherCharacter) {
    console.SetText(
        std::string("1B\xFF"
                    "4A"));
    EXPECT_EQ(console.Text2(), "1B4A");
    EXPECT_EQ(dialogs.Messages().size(), 1u);
}

TEST_F(HexConsoleTest, SendSendsTheDigitsWithoutBlanksAndEmptiesTheConsole) {
    console.SetText("1B 4A 15");
    console.Command6_Click();
    EXPECT_EQ(SentHex(), (std::vector<std::string>{"1B4A15"}));
    EXPECT_EQ(console.Text2(), "");
    EXPECT_TRUE(pause.Waits().empty());
}

TEST_F(HexConsoleTest, OddLengthsFollowTheChannelRule) {
    console.SetText("1B 4A 1");
    console.Command6_Click();
    console.SetText("1b4a15f");
    console.Command6_Click();
    EXPECT_EQ(SentHex(), (std::vector<std::string>{"1B4A01", "1B4A15"}));
}

TEST_F(HexConsoleTest, EmptyOrBlankConsoleSendsNothing) {
    console.SetCheck1(true);
    console.Command6_Click();
    EXPECT_TRUE(console.Check1());  // an empty console changes nothing
    console.SetText("   ");
    console.Command6_Click();
    EXPECT_TRUE(spooler.Documents().empty());
    EXPECT_TRUE(dialogs.Messages().empty());
    EXPECT_EQ(console.Text2(), "");
    EXPECT_FALSE(console.Check1());
    EXPECT_FALSE(console.Command9Enabled());
}

TEST_F(HexConsoleTest, TableModeFramesTheCommandWithSaveCommandsAndPauses) {
    EXPECT_FALSE(console.Command9Enabled());
    console.SetCheck1(true);
    EXPECT_TRUE(console.Command9Enabled());
    console.SetText("1B 4A 15");
    console.Command6_Click();
    EXPECT_EQ(SentHex(), (std::vector<std::string>{"1B3A000052", "1B4A15", "1B3A000052"}));
    EXPECT_EQ(pause.Waits(), (std::vector<int>{2500, 1000}));
    EXPECT_FALSE(console.Check1());
    EXPECT_FALSE(console.Command9Enabled());
    EXPECT_EQ(console.Text2(), "");
}

TEST_F(HexConsoleTest, TableModeIsSaveWaitCommandWaitSaveInThisOrder) {
    testing::SequenceLog log(spooler, pause);
    console.SetCheck1(true);
    console.SetText("1B 4A 15");
    console.Command6_Click();
    EXPECT_EQ(log.Entries(),
              (std::vector<std::string>{"1B3A000052", "wait 2500", "1B4A15", "wait 1000", "1B3A000052"}));
    log.Clear();
    console.SetText("0A");  // without the tick: the command alone, no pause
    console.Command6_Click();
    EXPECT_EQ(log.Entries(), std::vector<std::string>{"0A"});
}

TEST_F(HexConsoleTest, ImportingTheFactoryTextReplacesTheConsoleAndSendsAsTheRestore) {
    console.SetCheck1(true);
    console.SetText("0A");
    console.Command9_Click();
    console.Command9_Click();
    EXPECT_EQ(console.Text2(), FactoryConsoleText());
    EXPECT_TRUE(dialogs.Messages().empty());
    console.Command6_Click();
    EXPECT_EQ(SentHex(), (std::vector<std::string>{"1B3A000052", FactoryParameterTable(), "1B3A000052"}));
}

TEST_F(HexConsoleTest, UntickingDisablesTheImportAndSaveSendsTheFiveBytes) {
    console.SetCheck1(true);
    console.SetCheck1(false);
    EXPECT_FALSE(console.Command9Enabled());
    console.Command4_Click();
    EXPECT_EQ(SentHex(), (std::vector<std::string>{"1B3A000052"}));
}

TEST_F(HexConsoleTest, TheConsoleIsClearedEvenWhenThePrinterCannotBeOpened) {
    spooler.SetCannotOpen("QV640");
    console.SetText("0C");
    console.Command6_Click();
    EXPECT_EQ(console.Text2(), "");
    ASSERT_EQ(dialogs.Messages().size(), 1u);
    EXPECT_EQ(dialogs.Messages()[0].text, kMsgPrinterNotRecognized);
}

}  // namespace
}  // namespace qvset::forms
