// qvctl's printer commands against a real CUPS server.
#include <gtest/gtest.h>

#include <filesystem>
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
    EXPECT_EQ(Sandbox::RunQvctl("--printer QV640_Virtual hex 0A").status, 0);
    EXPECT_EQ(Default(), "Office_Laser");
}

TEST_F(QvctlPrinterTest, MissingPrinterGivesTheMessageAndExitStatusOne) {
    const auto result = Sandbox::RunQvctl("--printer Gone hex 0A");
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err, "The Printer Name you typed wasn't recognized.\n");
}

TEST_F(QvctlPrinterTest, BadInputIsRefusedWithStatusTwo) {
    const auto bad = Sandbox::RunQvctl("--printer QV640_Virtual hex 1G");
    EXPECT_EQ(bad.status, 2);
    EXPECT_EQ(bad.err, "指令格式错误，未发送\n");
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
