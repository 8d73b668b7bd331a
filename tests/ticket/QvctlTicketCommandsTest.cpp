// qvctl's settings, geometry and ticket description commands over an in-memory spooler.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>

#include "cli/CommandRegistry.h"
#include "cli/ConsoleDialogs.h"
#include "forms/SelectionHandlers.h"
#include "printer/AnsiText.h"
#include "printer/HexCodec.h"
#include "printer/MemorySpooler.h"
#include "support/DocumentsAsHex.h"
#include "support/FileBytes.h"
#include "support/QvctlFixture.h"
#include "support/RecordingDialogs.h"
#include "ticket/TicketFiles.h"

using qvset::testing::ReadFileBytes;

namespace qvset {
namespace {

using namespace qvset::forms;

namespace fs = std::filesystem;
using Names = std::vector<std::string>;

class QvctlTicketCommandsTest : public testing::QvctlFixture {
  protected:
    QvctlTicketCommandsTest() : QvctlFixture({{"QV640", "drv", "usb"}}) {
        spooler.SetCurrentPrinter("QV640");
        cli::RegisterSettingsCommands(registry);
        cli::RegisterTicketCommands(registry);
    }

    int Run(const std::vector<std::string>& args) { return RunQvctl(args); }

    Names Sent() const { return testing::DocumentsAsHex(spooler); }

    std::string File(const char* name) const { return (folder / name).string(); }
};

TEST_F(QvctlTicketCommandsTest, SetSendsOneEscB) {
    EXPECT_EQ(Run({"set", "black-mark", "off"}), 0);
    EXPECT_EQ(Run({"set", "threshold", "recalibrate"}), 0);
    EXPECT_EQ(Run({"set", "edge", "low"}), 0);
    EXPECT_EQ(Run({"set", "end-position", "on"}), 0);
    EXPECT_EQ(err.str(), "");
    EXPECT_EQ(Run({"set", "baud", "12"}), 0);
    EXPECT_EQ(err.str(), "您设置了波特率，完成后需要重启打印机\n");
    EXPECT_EQ(Sent(), (Names{"1B4203", "1B4201", "1B420D", "1B4208", "1B4211"}));
}

TEST_F(QvctlTicketCommandsTest, SetRefusesUnknownWords) {
    EXPECT_EQ(Run({"set", "baud", "8"}), 2);
    EXPECT_EQ(Run({"set", "paper"}), 2);
    EXPECT_EQ(Run({"set", "colour", "red"}), 2);
    EXPECT_TRUE(spooler.Documents().empty());
}

TEST_F(QvctlTicketCommandsTest, GeometryItemsUseTheItemEncoding) {
    EXPECT_EQ(Run({"length", "152"}), 0);
    EXPECT_EQ(Run({"start", "0"}), 0);
    EXPECT_EQ(Run({"mark", "44.7"}), 0);
    EXPECT_EQ(Sent(), (Names{"1D2846040004006503", "1D2846040005000000", "1D2846040006000001"}));
    // The window would send its default for a negative value; a command line refuses it.
    EXPECT_EQ(Run({"start", "-5"}), 2);
    EXPECT_EQ(Run({"length", "20000"}), 2);
    EXPECT_EQ(err.str(),
              "qvctl: length: \"20000\" is out of range (millimetres from 0 to 1000)\n"
              "see: qvctl length --help\n");
    EXPECT_EQ(Run({"mark"}), 2);
    EXPECT_EQ(spooler.Documents().size(), 3u);
}

TEST_F(QvctlTicketCommandsTest, FormatChecksThenSendsOneDocument) {
    EXPECT_EQ(Run({"format", "152", "20", "27"}), 0);
    EXPECT_EQ(Run({"format", "--style", "1", "152", "20", "27"}), 0);
    EXPECT_EQ(Sent(), (Names{"1D28460400010071001D28460400020099001D2846040003005F03",
                             "1D28460400010171001D28460400020099001D2846040003005F03"}));
    EXPECT_EQ(Run({"format", "152", "35", "27"}), 2);
    EXPECT_EQ(err.str(), "打印起始位置不能超过撕纸位置，请更改参数\n");
    EXPECT_EQ(Run({"format", "--style", "1", "59", "20", "40"}), 2);
    EXPECT_EQ(err.str(), "票长不能小于设置长度之和，请选择样式二或者更改参数\n");
    EXPECT_EQ(Run({"format", "9.5", "0", "0"}), 2);
    EXPECT_EQ(err.str(), "票长也太短了吧!\n");
    EXPECT_EQ(Run({"format", "", "0", "0"}), 2);
    EXPECT_EQ(err.str(),
              "qvctl: format: L \"\" is not a number (millimetres from 0 to 1000)\n"
              "see: qvctl format --help\n");
    EXPECT_EQ(Run({"format", "--style", "3", "152", "20", "27"}), 2);
    EXPECT_EQ(Run({"format", "152", "20"}), 2);
    EXPECT_EQ(spooler.Documents().size(), 2u);
}

TEST_F(QvctlTicketCommandsTest, NewWritesWhatSavingThatSelectionWrites) {
    ASSERT_EQ(Run({"ticket", "new", File("new.txt"), "--black-mark", "on", "--paper", "58", "--length", "152",
                   "--baud", "12", "--threshold"}),
              0);
    EXPECT_EQ(err.str(), "保存成功\n");
    TicketSelection selection;
    selection.SetItemState(1, 99);
    selection.SetItemState(2, 88);
    selection.SetItemState(7, 99);
    selection.SetItemState(10, 99);
    selection.SetItemState(11, 4);
    testing::RecordingDialogs dialogs;
    FileDialogState fileDialog;
    dialogs.QueueFileName(File("saved.txt"));
    Command20_Click(selection, dialogs, fileDialog);
    EXPECT_EQ(ReadFileBytes(folder / "new.txt"), ReadFileBytes(folder / "saved.txt"));
    EXPECT_TRUE(spooler.Documents().empty());
}

TEST_F(QvctlTicketCommandsTest, NewRefusesBadOptionsAndReportsAFailedWrite) {
    EXPECT_EQ(Run({"ticket", "new", File("a.txt"), "--paper", "80"}), 2);
    EXPECT_EQ(Run({"ticket", "new", File("a.txt"), "--length"}), 2);
    EXPECT_EQ(Run({"ticket", "new", "--edge", "high"}), 2);
    EXPECT_EQ(Run({"ticket", "new", File("a.txt"), "--mark", "20000"}), 2);
    EXPECT_EQ(err.str(),
              "qvctl: ticket new: --mark \"20000\" is out of range (millimetres from 0 to 1000)\n"
              "see: qvctl ticket new --help\n");
    EXPECT_FALSE(fs::exists(folder / "a.txt"));
    EXPECT_EQ(Run({"ticket", "new", folder.string()}), 1);
    EXPECT_EQ(err.str(), "保存失败\n");
}

TEST_F(QvctlTicketCommandsTest, ShowPrintsTheRecordedItems) {
    ASSERT_EQ(Run({"ticket", "new", File("t.txt"), "--edge", "low", "--start", "35.5", "--baud", "42"}), 0);
    EXPECT_EQ(Run({"ticket", "show", File("t.txt")}), 0);
    EXPECT_EQ(
        out.str(),
        "1 黑标设置: 0 未设置\n2 纸张类型设置: 0 未设置\n3 打印头选择: 0 未设置\n"
        "4 撕纸口位置选择: 88 QV650\n5 打印开始定位: 0 未设置\n6 打印结束定位: 0 未设置\n"
        "7 票据长度: 0 未设置\n8 起始打印位置: 99 35.5 mm\n9 黑标位置: 0 未设置\n10 黑标门槛: 0 未设置\n"
        "11 串口波特率 9600*n: 8 9600*42\n");
    std::ofstream(folder / "bad.txt", std::ios::binary) << "KQ605USET1\r\nA99\r\nZ\r\n";
    EXPECT_EQ(Run({"ticket", "show", File("bad.txt")}), 2);
    EXPECT_EQ(err.str(), "文件不符合要求，不能打开：" + File("bad.txt") + "\n");
    EXPECT_EQ(Run({"ticket", "show", File("missing.txt")}), 2);
    EXPECT_EQ(err.str(), "文件无法打开：" + File("missing.txt") + "\n");
}

TEST_F(QvctlTicketCommandsTest, ApplySendsTheBatchAsOneDocument) {
    ASSERT_EQ(Run({"ticket", "new", File("t.txt"), "--black-mark", "on", "--paper", "58", "--length", "152",
                   "--baud", "12"}),
              0);
    EXPECT_EQ(Run({"ticket", "apply", File("t.txt")}), 0);
    EXPECT_EQ(err.str(), "您设置了波特率，完成后需要重启打印机\n");
    EXPECT_EQ(Sent(), Names{"1B42021B42051D28460400040065031B4211"});
}

TEST_F(QvctlTicketCommandsTest, ApplyOfARefusedOrEmptyFileSendsNothing) {
    // the part before the refused line would build a batch; none of it is sent
    std::ofstream(folder / "partial.txt", std::ios::binary) << "KQ605USET1\r\nA99\r\nA88\r\n?\r\n";
    EXPECT_EQ(Run({"ticket", "apply", File("partial.txt")}), 2);
    EXPECT_EQ(err.str(), "文件不符合要求，不能打开：" + File("partial.txt") + "\n");
    EXPECT_EQ(Run({"ticket", "apply", File("missing.txt")}), 2);
    ASSERT_EQ(Run({"ticket", "new", File("empty.txt")}), 0);
    EXPECT_EQ(Run({"ticket", "apply", File("empty.txt")}), 2);
    EXPECT_EQ(err.str(), "您没有要设置的项目，请确认\n");
    EXPECT_TRUE(spooler.Documents().empty());
}

TEST_F(QvctlTicketCommandsTest, ApplyRefusesALineHoldingAControlCharacter) {
    // A NUL in the length line would otherwise read as length 0 and be sent. (The file is not named
    // "nul.txt": on Windows that name is the null device.)
    std::ofstream(folder / "with-zero.txt", std::ios::binary)
        << "KQ605USET1\r\nB0\r\nB0\r\nB0\r\nB0\r\nB0\r\nB0\r\nA99" << std::string(1, '\0')
        << "44.8\r\nB0\r\nB0\r\nB0\r\nB0\r\n";
    EXPECT_EQ(Run({"ticket", "apply", File("with-zero.txt")}), 2);
    EXPECT_EQ(err.str(), "文件不符合要求，不能打开：" + File("with-zero.txt") + "\n");
    EXPECT_TRUE(spooler.Documents().empty());
}

TEST_F(QvctlTicketCommandsTest, UnreachablePrinterExitsOne) {
    spooler.SetCannotOpen("QV640");
    EXPECT_EQ(Run({"set", "head", "quiet"}), 1);
    EXPECT_EQ(err.str(), "The Printer Name you typed wasn't recognized.\n");
}

TEST_F(QvctlTicketCommandsTest, EveryCommandHasHelp) {
    for (const auto& command : registry.Commands()) {
        std::vector<std::string> args;
        std::istringstream words(command.name);
        for (std::string word; words >> word;) args.push_back(word);
        args.emplace_back("--help");
        EXPECT_EQ(Run(args), 0) << command.name;
        EXPECT_EQ(out.str().rfind("usage: qvctl [--printer NAME] " + command.name, 0), 0u) << out.str();
    }
    EXPECT_EQ(registry.Commands().size(), 9u);
}

}  // namespace
}  // namespace qvset
