#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "forms/PanelButtons.h"
#include "forms/SelectionHandlers.h"
#include "printer/AnsiText.h"
#include "settings/FlagCommands.h"
#include "support/Descriptions.h"
#include "support/FileBytes.h"
#include "support/RecordingDialogs.h"
#include "support/TestFolder.h"
#include "support/TypicalTicket.h"
#include "ticket/TicketDescription.h"
#include "ticket/TicketFiles.h"

using qvset::testing::ReadFileBytes;
using qvset::testing::WriteFileBytes;

namespace qvset {
namespace {

using namespace qvset::forms;

namespace fs = std::filesystem;
using Names = std::vector<std::string>;

using testing::kTypicalTicket;
using testing::kTypicalTicketFile;

class TicketFilesTest : public ::testing::Test {
  protected:
    void RecordTypical() {
        for (auto [item, code] : std::initializer_list<std::pair<int, std::int16_t>>{
                 {1, 99}, {2, 88}, {4, 99}, {5, 99}, {6, 88}, {7, 99}, {9, 99}, {11, 3}}) {
            selection.SetItemState(item, code);
        }
        selection.SetText3("152");
        selection.SetText5("27");
    }

    // Opens a file with "打开票样" as the window does.
    void Open(const fs::path& path) {
        dialogs.QueueFileName(path.string());
        Command21_Click(selection, dialogs, fileDialog, text1);
    }

    Names LitButtons() const {
        Names lit;
        for (const auto& button : PanelButtons()) {
            if (selection.IsLit(button.name)) lit.emplace_back(button.name);
        }
        return lit;
    }

    testing::TestFolder testFolder{"qvset-ticket-"};
    const fs::path& folder = testFolder.Path();
    testing::RecordingDialogs dialogs;
    FileDialogState fileDialog;
    TicketSelection selection;
    std::string text1 = "5000";
};

TEST_F(TicketFilesTest, TypicalSelectionBuildsItsTwelveLines) {
    RecordTypical();
    EXPECT_EQ(BuildTicketDescription(testing::WithTexts(selection.Description(), "152", "35", "27")),
              kTypicalTicket);
}

TEST_F(TicketFilesTest, EmptySelectionAndUnknownCodes) {
    TicketDescription states;
    std::string expected = "KQ605USET1\r\n";
    for (int i = 0; i < 11; ++i) expected += "B0\r\n";
    EXPECT_EQ(BuildTicketDescription(testing::WithTexts(states, "", "", "")), expected);
    // codes no button records: 5 on item 2 is a baud line, 100 and -1 write no line; 88 on the
    // geometry items and 99 or 88 on the baud item carry no text
    states.SetCode(2, 5);
    states.SetCode(3, 100);
    states.SetCode(4, -1);
    states.SetCode(7, 88);
    states.SetCode(11, 99);
    EXPECT_EQ(BuildTicketDescription(testing::WithTexts(states, "152", "35", "27")),
              "KQ605USET1\r\nB0\r\nA5串口波特率    9600*24\r\nB0\r\nB0\r\nA88\r\nB0\r\nB0\r\nB0\r\nA99\r\n");
}

TEST_F(TicketFilesTest, SaveWritesGbkWithOneMoreLineEndAndTakesTheSnapshot) {
    RecordTypical();
    fileDialog.title = "Open txt File SA";
    fileDialog.fileName = "old.txt";
    const fs::path path = folder / "typical.txt";
    dialogs.QueueFileName(path.string());
    Command20_Click(selection, dialogs, fileDialog);
    EXPECT_EQ(ReadFileBytes(path), ToAnsi(kTypicalTicketFile));
    EXPECT_EQ(dialogs.MessageTexts(), Names{"保存成功"});
    ASSERT_EQ(dialogs.SaveDialogs().size(), 1u);
    EXPECT_EQ(dialogs.SaveDialogs()[0].fileName, "");
    EXPECT_EQ(dialogs.SaveDialogs()[0].filter, "txt(*.txt)|*.txt|AllFile(*.*)|*.*|");
    EXPECT_EQ(dialogs.SaveDialogs()[0].title, "Open txt File SA");
    EXPECT_FALSE(selection.HasUnsavedChanges());
    EXPECT_EQ(selection.SavedItemState(11), "3");
    EXPECT_EQ(selection.Label12(), "无");
    EXPECT_EQ(fs::directory_iterator(folder)->path(), path);  // no temporary left behind
}

TEST_F(TicketFilesTest, CancelledSaveWritesAndShowsNothing) {
    RecordTypical();
    Command20_Click(selection, dialogs, fileDialog);
    EXPECT_TRUE(dialogs.Messages().empty());
    EXPECT_TRUE(selection.HasUnsavedChanges());
    EXPECT_TRUE(fs::is_empty(folder));
}

TEST_F(TicketFilesTest, SaveOverAFolderFailsAndKeepsTheSnapshot) {
    RecordTypical();
    fs::create_directory(folder / "taken.txt");
    dialogs.QueueFileName((folder / "taken.txt").string());
    Command20_Click(selection, dialogs, fileDialog);
    EXPECT_EQ(dialogs.MessageTexts(), Names{"保存失败"});
    EXPECT_TRUE(selection.HasUnsavedChanges());
    EXPECT_TRUE(fs::is_directory(folder / "taken.txt"));
    EXPECT_TRUE(fs::is_empty(folder / "taken.txt"));
    dialogs.QueueFileName((folder / "missing" / "a.txt").string());
    Command20_Click(selection, dialogs, fileDialog);
    EXPECT_EQ(dialogs.MessageTexts().back(), "保存失败");
}

TEST_F(TicketFilesTest, OpeningTheTypicalFileRestoresItAndLightsItsButtons) {
    const fs::path path = folder / "typical.txt";
    WriteFileBytes(path, ToAnsi(kTypicalTicketFile));
    selection.SetText3("1");
    selection.SetText4("77");
    selection.SetText5("2");
    Open(path);
    const std::int16_t expected[] = {0, 99, 88, 0, 99, 99, 88, 99, 0, 99, 0, 3};
    for (int item = 1; item <= 11; ++item) EXPECT_EQ(selection.ItemState(item), expected[item]) << item;
    EXPECT_EQ(selection.Text3(), "152");
    EXPECT_EQ(selection.Text4(), "77");
    EXPECT_EQ(selection.Text5(), "27");
    EXPECT_EQ(selection.Label12(), "typical.txt");
    EXPECT_EQ(text1, "");
    EXPECT_FALSE(selection.HasUnsavedChanges());
    EXPECT_EQ(LitButtons(), (Names{"Command28", "Command32", "Command35", "Command37", "Command40",
                                   "Command43", "Command23", "Command25"}));
    EXPECT_TRUE(dialogs.Messages().empty());
    ASSERT_EQ(dialogs.OpenDialogs().size(), 1u);
    EXPECT_EQ(dialogs.OpenDialogs()[0].title, "Open txt File SA");
    EXPECT_EQ(dialogs.OpenDialogs()[0].filter, "txt(*.txt)|*.txt|AllFile(*.*)|*.*|");
}

TEST_F(TicketFilesTest, SaveThenOpenGivesBackEveryCodeOfEveryItem) {
    for (int item = 1; item <= 11; ++item) {
        std::vector<std::int16_t> codes{0};
        for (const auto& button : PanelButtons()) {
            if (button.item == item) codes.push_back(button.code);
        }
        for (const std::int16_t code : codes) {
            selection.ResetSelection();
            selection.SetText3("152.5");
            selection.SetText4("35");
            selection.SetText5("27");
            selection.SetItemState(item, code);
            const fs::path path = folder / "round.txt";
            dialogs.QueueFileName(path.string());
            Command20_Click(selection, dialogs, fileDialog);
            selection.SetText3("x");
            selection.SetText4("x");
            selection.SetText5("x");
            Open(path);
            for (int other = 1; other <= 11; ++other) {
                EXPECT_EQ(selection.ItemState(other), other == item ? code : 0) << item << "/" << code;
            }
            const bool recordedText = code == 99 && item >= 7 && item <= 9;
            EXPECT_EQ(selection.Text3(), recordedText && item == 7 ? "152.5" : "x");
            EXPECT_EQ(selection.Text4(), recordedText && item == 8 ? "35" : "x");
            EXPECT_EQ(selection.Text5(), recordedText && item == 9 ? "27" : "x");
            const PanelButton* button = FindPanelButton(item, code);
            EXPECT_EQ(LitButtons(), button ? Names{std::string(button->name)} : Names{})
                << item << "/" << code;
        }
    }
}

TEST_F(TicketFilesTest, CancelledOpenAsksForAFileAndLeavesTheSelectionCleared) {
    selection.SetItemState(1, 99);
    selection.Light("Command28");
    fileDialog.fileName = "";
    Command21_Click(selection, dialogs, fileDialog, text1);
    ASSERT_EQ(dialogs.Messages().size(), 1u);
    EXPECT_EQ(dialogs.Messages()[0].text, "Please select file");
    EXPECT_EQ(dialogs.Messages()[0].title, "Tips");
    EXPECT_EQ(text1, "");
    EXPECT_EQ(selection.Label12(), "无");
    EXPECT_EQ(selection.ItemState(1), 0);
    EXPECT_TRUE(LitButtons().empty());
}

TEST_F(TicketFilesTest, OpenStartsFromTheLastNameUsed) {
    fileDialog.fileName = "previous.txt";
    Command21_Click(selection, dialogs, fileDialog, text1);
    ASSERT_EQ(dialogs.OpenDialogs().size(), 1u);
    EXPECT_EQ(dialogs.OpenDialogs()[0].fileName, "previous.txt");
}

TEST_F(TicketFilesTest, RefusedAndPartialFiles) {
    struct Case {
        const char* name;
        std::string content;
        bool refused;
        std::vector<std::int16_t> items;  // items 1.. as applied
    };
    const std::string marker = "KQ605USET1\r\n";
    const Case cases[] = {
        {"marker with a blank", "KQ605USET1 \r\nA99\r\n", true, {}},
        {"marker in lower case", "kq605uset1\r\nA99\r\n", true, {}},
        {"lone LF stays in the marker line", "KQ605USET1\nA99\r\n", true, {}},
        {"empty file", "", false, {}},
        {"marker only", marker, false, {}},
        {"ends before the twelfth line", marker + "A99\rA88\r\nB0\r\nA99\r\n", false, {99, 88, 0, 99}},
        {"line of neither A nor B", marker + "A99\r\nA88\r\nX\r\nA99\r\n", true, {99, 88}},
        {"empty item line", marker + "A99\r\n\r\nA99\r\n", true, {99}},
        {"baud line at another item", marker + "A99\r\nA3串口波特率    9600*4\r\n", true, {99}},
        {"A without digits", marker + "A\r\n", true, {}},
        {"NUL inside a distance line",
         marker + "A99\r\nA88\r\nB0\r\nB0\r\nB0\r\nB0\r\nA99" + std::string(1, '\0') + "44.8\r\n",
         true,
         {99, 88, 0, 0, 0, 0}},
        {"ESC after a state code", marker + "A99\x1b\r\nA88\r\n", true, {}},
        {"lone LF inside an item line", marker + "A88\r\nA99\nB0\r\n", true, {88}},
    };
    for (const auto& c : cases) {
        dialogs.Clear();
        const fs::path path = folder / "case.txt";
        WriteFileBytes(path, ToAnsi(c.content));
        text1 = "5000";
        Open(path);
        if (c.refused) {
            EXPECT_EQ(dialogs.MessageTexts(), Names{"文件不符合要求，不能打开"}) << c.name;
        } else {
            EXPECT_TRUE(dialogs.Messages().empty()) << c.name;
        }
        for (int item = 1; item <= 11; ++item) {
            const auto index = static_cast<std::size_t>(item - 1);
            const std::int16_t expected = index < c.items.size() ? c.items[index] : 0;
            EXPECT_EQ(selection.ItemState(item), expected) << c.name << " item " << item;
        }
        EXPECT_TRUE(LitButtons().empty()) << c.name;
        EXPECT_EQ(selection.Label12(), "case.txt") << c.name;
        EXPECT_EQ(text1, "") << c.name;
        EXPECT_FALSE(selection.HasUnsavedChanges()) << c.name;  // the partial state is the snapshot
    }
}

TEST_F(TicketFilesTest, ReaderDetails) {
    // item 11 reads one digit; "A99" with nothing after it empties a geometry text; lines after the
    // twelfth are never read; a lone CR ends a line
    const std::string content =
        "KQ605USET1\rB0\r\nB0\r\nB0\r\nB0\r\nB0\r\nB0\r\nA99\r\nA88 ignored\r\nA9935\r\n"
        "B0\r\nA99\r\ngarbage\r\n\r\n";
    const fs::path path = folder / "details.txt";
    WriteFileBytes(path, content);
    selection.SetText4("44");
    Open(path);
    EXPECT_TRUE(dialogs.Messages().empty());
    EXPECT_EQ(selection.ItemState(7), 99);
    EXPECT_EQ(selection.Text3(), "");
    EXPECT_EQ(selection.ItemState(8), 88);
    EXPECT_EQ(selection.Text4(), " ignored");
    EXPECT_EQ(selection.Text5(), "35");
    EXPECT_EQ(selection.ItemState(11), 9);
    EXPECT_EQ(LitButtons(), (Names{"Command23", "Command25"}));

    WriteFileBytes(path, ToAnsi(kTypicalTicket.substr(0, kTypicalTicket.rfind("A3")) + "A88\r\n"));
    Open(path);
    EXPECT_EQ(selection.ItemState(11), 8);
    EXPECT_TRUE(selection.IsLit("Command48"));
}

TEST_F(TicketFilesTest, ByteThatIsNotGbkDoesNotSwallowALineEnd) {
    const fs::path path = folder / "bytes.txt";
    WriteFileBytes(path, "KQ605USET1\r\nA99\x81\r\nA88\r\n");
    Open(path);
    EXPECT_TRUE(dialogs.Messages().empty());
    EXPECT_EQ(selection.ItemState(1), 99);
    EXPECT_EQ(selection.ItemState(2), 88);
}

TEST_F(TicketFilesTest, FileThatCannotBeReadIsReported) {
    Open(folder / "nowhere.txt");
    EXPECT_EQ(dialogs.MessageTexts(), Names{"文件无法打开"});
    EXPECT_EQ(selection.Label12(), "无");
    EXPECT_EQ(text1, "");
    dialogs.Clear();
    Open(folder);
    EXPECT_EQ(dialogs.MessageTexts(), Names{"文件无法打开"});
}

TEST(TicketLines, SplitEndsLinesAtCrLfAndLoneCrOnly) {
    EXPECT_EQ(SplitTicketLines("a\r\nb\rc\nd\r\n\r\ne"), (Names{"a", "b", "c\nd", "", "e"}));
    EXPECT_EQ(SplitTicketLines(""), Names{});
    EXPECT_EQ(SplitTicketLines("a\r\n"), Names{"a"});
    EXPECT_EQ(SplitTicketLines("1\r2\r3\r4", 2), (Names{"1", "2"}));
}

TEST(FileNameOfPath, TakesWhatFollowsTheLastSeparator) {
    EXPECT_EQ(FileNameOfPath("/home/user/票样.txt"), "票样.txt");
    EXPECT_EQ(FileNameOfPath("a.txt"), "a.txt");
    EXPECT_EQ(FileNameOfPath("dir/"), "");
    const bool windows = fs::path::preferred_separator == '\\';
    EXPECT_EQ(FileNameOfPath("C:\\t\\a.txt"), windows ? "a.txt" : "C:\\t\\a.txt");
}

}  // namespace
}  // namespace qvset
