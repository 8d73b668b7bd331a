// qvctl over an in-memory spooler that fails: a default that cannot be written, a server that cannot be
// reached, values that hold control characters, output that cannot be written.
#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

#include "cli/CommandRegistry.h"
#include "cli/ConsoleDialogs.h"
#include "cli/TerminalText.h"
#include "printer/MemorySpooler.h"
#include "support/DocumentsAsHex.h"
#include "support/QvctlFixture.h"
#include "support/RecordingDialogs.h"

namespace qvset {
namespace {

namespace fs = std::filesystem;
using Names = std::vector<std::string>;

class QvctlFaultsTest : public testing::QvctlFixture {
  protected:
    QvctlFaultsTest()
        : QvctlFixture({{"Office", "laser", "ipp"}, {"QV640", "drv", "usb"}, {"QV650", "drv", "lpt"}}) {
        cli::RegisterPrinterCommands(registry);
        cli::RegisterSettingsCommands(registry);
        cli::RegisterTicketCommands(registry);
        cli::RegisterTuningCommands(registry);
        cli::RegisterConsoleCommands(registry);
    }

    int Run(const std::vector<std::string>& args) { return RunQvctl(args); }
};

TEST_F(QvctlFaultsTest, ADefaultThatCannotBeWrittenIsReportedWithStatusOne) {
    spooler.SetDefaultUnwritable();
    EXPECT_EQ(Run({"use", "QV640"}), 1);
    EXPECT_EQ(err.str(), "默认打印机未能写入：QV640,drv,usb\n");
    EXPECT_EQ(spooler.CurrentPrinter(), "Office");
    EXPECT_EQ(Run({"pick"}), 1);
    EXPECT_EQ(err.str(), "默认打印机未能写入：Office,laser,ipp\n默认打印机未能写入：QV640,drv,usb\n");
    EXPECT_EQ(out.str(), "QV640,drv,usb\n");
    spooler.SetDefaultUnwritable(false);
    EXPECT_EQ(Run({"use", "QV640"}), 0);
    EXPECT_EQ(err.str(), "");
    EXPECT_EQ(spooler.CurrentPrinter(), "QV640");
}

TEST_F(QvctlFaultsTest, AVariableThatStillDecidesForOtherProgramsIsNoted) {
    spooler.SetDefaultOverride("LPDEST=Office");
    EXPECT_EQ(Run({"use", "QV640"}), 0);
    EXPECT_EQ(err.str(), "注意：LPDEST=Office 仍决定其他程序的打印机\n");
    EXPECT_EQ(Run({"pick"}), 0);
    EXPECT_EQ(err.str(), "注意：LPDEST=Office 仍决定其他程序的打印机\n");
}

TEST_F(QvctlFaultsTest, AnUnreachableServerIsNotAnEmptyListOrAnUnknownName) {
    spooler.SetUnreachable();
    const std::string message = "打印服务器无法连接或没有应答，未发送\n";
    for (const Names& args :
         {Names{"printers"}, Names{"pick"}, Names{"use", "QV640"}, Names{"hex", "0A"}, Names{"line-feed"}}) {
        EXPECT_EQ(Run(args), 1) << args[0];
        EXPECT_EQ(err.str(), message) << args[0];
        EXPECT_EQ(out.str(), "") << args[0];
    }
    EXPECT_TRUE(spooler.AppliedChoices().empty());
    EXPECT_EQ(Run({"pin-test"}), 1);
    EXPECT_EQ(err.str().size(), 18 * message.size());  // once per document, as for a missing printer
}

TEST_F(QvctlFaultsTest, AServerLostWhileARunIsWatchedFailsTheRunInsteadOfLookingEmpty) {
    int waits = 0;
    pause.OnWait([&](int) {
        if (++waits == 6) spooler.SetUnreachable();  // the run's five pauses, then the first tick
    });
    EXPECT_EQ(Run({"--printer", "QV640", "tune", "single", "--pause", "0"}), 1);
    EXPECT_EQ(spooler.Documents().size(), 1u + 9 * 4);
    EXPECT_NE(err.str().find("打印服务器无法连接或没有应答，未发送\n"), std::string::npos) << err.str();
    EXPECT_EQ(err.str().find("完成..."), std::string::npos) << err.str();
}

TEST_F(QvctlFaultsTest, ValuesHoldingControlCharactersAreRefusedAndNothingIsWrittenOrSent) {
    const std::string target = (folder / "t.txt").string();
    const Names refused[] = {
        {"ticket", "new", target, "--length", "152\r"},
        {"ticket", "new", target, "--length", "152\r\nA88"},
        {"ticket", "new", target + "\r", "--paper", "58"},
        {"ticket", "new", target, "--black-mark", "on\t"},
        {"length", "152\r"},
        {"format", "152", "20\n", "27"},
        {"set", "paper", "58\x1B"},
        {"tune", "single", "--high", "16\r", "--no-watch"},
        {"use", "QV640\r"},
        {"file", target + "\x7F"},
    };
    for (const auto& args : refused) {
        EXPECT_EQ(Run(args), 2) << args[0] << " " << args.back();
        EXPECT_NE(err.str().find("control character"), std::string::npos) << err.str();
        EXPECT_EQ(err.str().find('\r'), std::string::npos) << "the CR is shown, not passed on";
    }
    EXPECT_TRUE(fs::is_empty(folder));
    EXPECT_TRUE(spooler.Documents().empty());
    EXPECT_TRUE(spooler.AppliedChoices().empty());
    // The text command sends control characters on purpose.
    EXPECT_EQ(Run({"text", "\x1B@"}), 0);
    EXPECT_EQ(testing::DocumentsAsHex(spooler), Names{"1B40"});
}

TEST_F(QvctlFaultsTest, AnEmptyTextIsRefusedLikeAnEmptyHexCommand) {
    EXPECT_EQ(Run({"text", ""}), 2);
    EXPECT_EQ(Run({"hex", ""}), 2);
    EXPECT_TRUE(spooler.Documents().empty());
}

TEST_F(QvctlFaultsTest, NamesAreEchoedWithTheirEscapeSequencesShown) {
    EXPECT_EQ(Run({"use",
                   "\xC2\x9B"
                   "31mX"}),
              2);
    EXPECT_EQ(err.str(), "没有名为 \\xC2\\x9B31mX 的打印机\n");
    // Every message on the terminal, whatever it carries (a file name, say).
    std::ostringstream terminal;
    cli::ConsoleDialogs dialogs(terminal);
    dialogs.Message("找不到打印文件 a\x1B[2J.prn，或文件为空");
    EXPECT_EQ(terminal.str(), "找不到打印文件 a\\x1B[2J.prn，或文件为空\n");
}

TEST(TerminalText, ControlCharactersAreShownAsHex) {
    EXPECT_EQ(cli::TerminalSafe("a\x1B[31mb\r\n\x7F"), "a\\x1B[31mb\\x0D\\x0A\\x7F");
    EXPECT_EQ(cli::TerminalSafe("打印 \xC2\x85 \xC2\xA0"),
              "打印 \\xC2\\x85 \xC2\xA0");  // NEL is C1, NBSP is not
    // Bytes of no well-formed UTF-8 character (a lone lead byte, a lone 9B, a GBK name) are shown as hex.
    EXPECT_EQ(cli::TerminalSafe("\xC2"), "\\xC2");
    EXPECT_EQ(cli::TerminalSafe("a\x9B"
                                "31mb"),
              "a\\x9B31mb");
    EXPECT_EQ(cli::TerminalSafe("QV\xB4\xF2_1"), "QV\\xB4\\xF2_1");
    EXPECT_TRUE(cli::HasControlCharacter("152\r"));
    EXPECT_FALSE(cli::HasControlCharacter("打印 152"));
}

TEST(TerminalText, OutputThatCannotBeWrittenFailsTheCommand) {
    std::ostringstream good;
    std::ostringstream err;
    EXPECT_EQ(cli::StatusAfterOutput(0, good, err), 0);
    EXPECT_EQ(err.str(), "");
    std::ostringstream full;
    full.setstate(std::ios::badbit);
    EXPECT_EQ(cli::StatusAfterOutput(0, full, err), 1);
    EXPECT_EQ(err.str(), "qvctl: 输出无法写入\n");
    EXPECT_EQ(cli::StatusAfterOutput(2, full, err), 2);
    // A reader that has gone (a pipe into head) is no failure to report: quiet, the status of SIGPIPE.
    err.str("");
    EXPECT_EQ(cli::StatusAfterOutput(0, full, err, [] { return true; }), 141);
    EXPECT_EQ(err.str(), "");
    EXPECT_EQ(cli::StatusAfterOutput(0, full, err, [] { return false; }), 1);
    EXPECT_EQ(err.str(), "qvctl: 输出无法写入\n");
    // Output that was written whole needs no look at its reader.
    EXPECT_EQ(cli::StatusAfterOutput(0, good, err, [] { return true; }), 0);
}

}  // namespace
}  // namespace qvset
