// qvctl's printer commands against a real CUPS server.
#include <gtest/gtest.h>

#include <unistd.h>
#include <filesystem>

#include <cstdlib>
#include <fstream>

#include "Sandbox.h"
#include "printer/HexCodec.h"
#include "printer/cups/CupsSpooler.h"
#include "support/TestFolder.h"

namespace qvset {
namespace {

using testing::Sandbox;

class QvctlPrinterTest : public ::testing::Test {
  protected:
    void SetUp() override { Sandbox::UseClientEnvironment(); }

    std::string Default() { return CupsSpooler().CurrentPrinter(); }
};

TEST_F(QvctlPrinterTest, UseMakesThePrinterTheDefaultAndPrintersMarksIt) {
    ASSERT_EQ(Sandbox::RunQvctl("use Office_Laser").status, 0);
    EXPECT_EQ(Default(), "Office_Laser");
    const auto listed = Sandbox::RunQvctl("printers");
    EXPECT_EQ(listed.status, 0);
    EXPECT_NE(listed.out.find("* Office_Laser,"), std::string::npos) << listed.out;
    EXPECT_NE(listed.out.find("  QV640_Virtual,"), std::string::npos) << listed.out;
}

TEST_F(QvctlPrinterTest, ManyUseAtOnceKeepEveryOtherLineOfLpoptions) {
    // Where CUPS's own "lpoptions -d" writes, for root too.
    const char* home = std::getenv("HOME");
    ASSERT_TRUE(home != nullptr);
    const std::filesystem::path path = std::filesystem::path(home) / ".cups" / "lpoptions";
    std::filesystem::create_directories(path.parent_path());
    const std::string others =
        "# the user's own options\n"
        "Dest Office_Laser sides=two-sided-long-edge media=iso_a4_210x297mm\n"
        "Dest QV640_Virtual/sample copies=3\n"
        "Dest QV650_Offline print-quality=5\n";
    for (int round = 0; round < 4; ++round) {
        std::ofstream(path, std::ios::binary | std::ios::trunc) << others;
        // Eight at once, in the background, each changing the default.
        std::string commands;
        for (int i = 0; i < 8; ++i) {
            commands += std::string(QVSET_QVCTL) + (i % 2 == 0 ? " use QV640_Virtual" : " use Office_Laser") +
                        " >/dev/null 2>&1 & ";
        }
        ASSERT_EQ(Sandbox::Shell(commands + "wait"), 0);
        std::ifstream in(path, std::ios::binary);
        std::string kept;
        for (std::string line; std::getline(in, line);) {
            // Whichever queue is the default, its options stay on its line; the one that stopped being
            // the default without options of its own may stay as a bare Dest line.
            if (line.rfind("Default ", 0) == 0) line = "Dest " + line.substr(8);
            if (line == "Dest QV640_Virtual" || line == "Dest Office_Laser") continue;
            kept += line + '\n';
        }
        EXPECT_EQ(kept, others) << "round " << round;
    }
    // The last writer's choice is the default.
    EXPECT_TRUE(Default() == "QV640_Virtual" || Default() == "Office_Laser") << Default();
}

TEST_F(QvctlPrinterTest, InAGb18030TerminalArgumentsMessagesAndNamesAreInGb18030) {
    const std::string gb = "LC_ALL=zh_CN.GB18030";
    // 打印 in GB18030 (and GBK) is B4 F2 D3 A1; the printer receives those bytes.
    const auto text = Sandbox::RunQvctlWith(gb, "--dry-run text \"$(printf '\\264\\362\\323\\241')\"");
    ASSERT_EQ(text.status, 0) << text.err;
    EXPECT_NE(text.out.find("B4 F2 D3 A1"), std::string::npos) << text.out;
    // The decoded text is shown in GB18030 too, not as UTF-8.
    EXPECT_NE(text.out.find("\"\xB4\xF2\xD3\xA1\""), std::string::npos) << text.out;
    // Messages: 没有名为 X 的打印机 in GB18030.
    const auto unknown = Sandbox::RunQvctlWith(gb, "use Nowhere");
    EXPECT_EQ(unknown.status, 2);
    EXPECT_EQ(unknown.err, "\xC3\xBB\xD3\xD0\xC3\xFB\xCE\xAA Nowhere \xB5\xC4\xB4\xF2\xD3\xA1\xBB\xFA\n");
    // A file named in GB18030 is found by that name.
    const std::filesystem::path dir = std::filesystem::temp_directory_path() / "qvset-gb18030";
    std::filesystem::create_directories(dir);
    std::ofstream(dir / "\xB4\xF2\xD3\xA1.prn", std::ios::binary) << '\x0A';
    const auto file = Sandbox::RunQvctlWith(
        gb, "--dry-run file \"" + dir.string() + "/$(printf '\\264\\362\\323\\241').prn\"");
    std::filesystem::remove_all(dir);
    EXPECT_EQ(file.status, 0) << file.err;
    EXPECT_NE(file.out.find("line feed"), std::string::npos) << file.out;
    // JSON stays UTF-8 for the programs that read it: 打印 as E6 89 93 E5 8D B0.
    const std::string prn = (std::filesystem::temp_directory_path() / "qvset-gb18030-json.prn").string();
    std::ofstream(prn, std::ios::binary) << "\xB4\xF2\xD3\xA1";
    const auto json = Sandbox::RunQvctlWith(gb, "decode --json " + prn);
    std::filesystem::remove(prn);
    EXPECT_EQ(json.status, 0) << json.err;
    EXPECT_NE(json.out.find("\"打印\""), std::string::npos) << json.out;
    // UTF-8 and C keep today's bytes: the argument's own bytes are sent.
    for (const char* locale : {"LC_ALL=C.UTF-8", "LC_ALL=C"}) {
        const auto utf8 = Sandbox::RunQvctlWith(locale, "--dry-run text 打印");
        EXPECT_EQ(utf8.status, 0) << locale;
        EXPECT_EQ(
            utf8.out,
            "document 1 (4 bytes):\n     0     4  B4 F2 D3 A1                 text            \"打印\"\n")
            << locale;
    }
}

TEST_F(QvctlPrinterTest, StandardInputThatCannotBeReadIsNamedNotDecodedAsEmpty) {
    struct Row {
        const char* input;  // the shell's redirection of standard input
        int status;
        const char* out;
        const char* err;
    };
    const char* unreadable = "qvctl decode: -: standard input cannot be read (a folder, or closed)\n";
    const Row rows[] = {
        {"</dev/null", 0, "(no bytes)\n", ""},
        {"</", 2, "", unreadable},   // a folder
        {"<&-", 2, "", unreadable},  // closed
    };
    for (const auto& row : rows) {
        const auto result = Sandbox::RunQvctl(std::string("decode - ") + row.input);
        EXPECT_EQ(result.status, row.status) << row.input;
        EXPECT_EQ(result.out, row.out) << row.input;
        EXPECT_EQ(result.err, row.err) << row.input;
    }
}

TEST_F(QvctlPrinterTest, UseOfAnUnknownPrinterIsRefused) {
    ASSERT_EQ(Sandbox::RunQvctl("use Office_Laser").status, 0);
    const auto result = Sandbox::RunQvctl("use Nowhere");
    EXPECT_EQ(result.status, 2);
    EXPECT_FALSE(result.err.empty());
    EXPECT_EQ(Default(), "Office_Laser");
}

TEST_F(QvctlPrinterTest, PickLeavesTheFirstMakerPrinterAsTheDefault) {
    ASSERT_EQ(Sandbox::RunQvctl("use QV650_Offline").status, 0);
    const auto result = Sandbox::RunQvctl("pick");
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.out.rfind("QV640_Virtual,", 0), 0u) << result.out;
    EXPECT_EQ(Default(), "QV640_Virtual");
}

TEST_F(QvctlPrinterTest, HexJoinsItsArgumentsIntoOneDocument) {
    const auto before = Sandbox::CapturedJobs("QV640_Virtual").size();
    const auto result = Sandbox::RunQvctl("--printer QV640_Virtual hex 1B 4A '0 5' 0c");
    EXPECT_EQ(result.status, 0) << result.err;
    const auto jobs = Sandbox::WaitForJobs("QV640_Virtual", before + 1);
    ASSERT_EQ(jobs.size(), before + 1);
    EXPECT_EQ(EncodeHex(jobs.back().bytes), "1B4A050C");
    EXPECT_EQ(jobs.back().title, "AAAAAA");
}

TEST_F(QvctlPrinterTest, TextIsSentInGbk) {
    const auto before = Sandbox::CapturedJobs("Office_Laser").size();
    const auto result = Sandbox::RunQvctl("--printer Office_Laser text '打印 OK'");
    EXPECT_EQ(result.status, 0) << result.err;
    const auto jobs = Sandbox::WaitForJobs("Office_Laser", before + 1);
    ASSERT_EQ(jobs.size(), before + 1);
    EXPECT_EQ(EncodeHex(jobs.back().bytes), "B4F2D3A1204F4B");
}

TEST_F(QvctlPrinterTest, PrinterOptionDoesNotChangeTheDefault) {
    ASSERT_EQ(Sandbox::RunQvctl("use Office_Laser").status, 0);
    const auto before = Sandbox::CapturedJobs("QV640_Virtual").size();
    EXPECT_EQ(Sandbox::RunQvctl("--printer QV640_Virtual hex 0A").status, 0);
    EXPECT_EQ(Default(), "Office_Laser");
    // The document went to the named printer, and is in before the next test counts that printer's jobs.
    const auto jobs = Sandbox::WaitForJobs("QV640_Virtual", before + 1);
    ASSERT_EQ(jobs.size(), before + 1);
    EXPECT_EQ(EncodeHex(jobs.back().bytes), "0A");
}

TEST_F(QvctlPrinterTest, MissingPrinterGivesTheMessageAndExitStatusOne) {
    const auto result = Sandbox::RunQvctl("--printer Gone hex 0A");
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err, "The Printer Name you typed wasn't recognized.\n");
}

TEST_F(QvctlPrinterTest, BadInputIsRefusedWithStatusTwo) {
    const auto bad = Sandbox::RunQvctl("--printer QV640_Virtual hex 1G");
    EXPECT_EQ(bad.status, 2);
    EXPECT_EQ(bad.err, "指令格式错误，未发送：第 1 对 \"1G\"\n");
    EXPECT_EQ(Sandbox::RunQvctl("hex").status, 2);
    EXPECT_EQ(Sandbox::RunQvctl("no-such-command").status, 2);
    const auto missing = Sandbox::RunQvctl("--printer QV640_Virtual file /nonexistent/file.prn");
    EXPECT_EQ(missing.status, 2);
}

TEST_F(QvctlPrinterTest, FileSendsThePrintFileUnchanged) {
    const testing::TestFolder folder("qvset-test-file-");
    const auto path = folder.Path() / "test-file.prn";
    {
        std::ofstream out(path, std::ios::binary);
        out.write("\x1B\x40\x00\xFF", 4);
    }
    const auto before = Sandbox::CapturedJobs("QV640_Virtual").size();
    const auto result = Sandbox::RunQvctl("--printer QV640_Virtual file " + path.string());
    EXPECT_EQ(result.status, 0) << result.err;
    const auto jobs = Sandbox::WaitForJobs("QV640_Virtual", before + 1);
    ASSERT_EQ(jobs.size(), before + 1);
    EXPECT_EQ(EncodeHex(jobs.back().bytes), "1B4000FF");
}

TEST_F(QvctlPrinterTest, EveryCommandHasHelp) {
    for (const char* command : {"printers", "use", "pick", "hex", "text", "file"}) {
        const auto result = Sandbox::RunQvctl(std::string(command) + " --help");
        EXPECT_EQ(result.status, 0) << command;
        EXPECT_NE(result.out.find("usage: qvctl"), std::string::npos) << command;
    }
    EXPECT_EQ(Sandbox::RunQvctl("--help").status, 0);
}

}  // namespace
}  // namespace qvset
