// qvctl's settings, geometry and ticket commands against a real CUPS server.
#include <gtest/gtest.h>

#include <filesystem>

#include "Sandbox.h"
#include "printer/HexCodec.h"
#include "support/TestFolder.h"

namespace qvset {
namespace {

using testing::Sandbox;

class QvctlTicketTest : public ::testing::Test {
  protected:
    void SetUp() override { Sandbox::UseClientEnvironment(); }

    // Runs qvctl on QV640_Virtual and returns the bytes of the one job it printed.
    std::string SentBy(const std::string& arguments, const std::string& expectedErr = "") {
        const auto before = Sandbox::CapturedJobs("QV640_Virtual").size();
        const auto result = Sandbox::RunQvctl("--printer QV640_Virtual " + arguments);
        EXPECT_EQ(result.status, 0) << result.err;
        EXPECT_EQ(result.err, expectedErr);
        const auto jobs = Sandbox::WaitForJobs("QV640_Virtual", before + 1);
        if (jobs.size() != before + 1) return "no job";
        EXPECT_EQ(jobs.back().title, "AAAAAA");
        return EncodeHex(jobs.back().bytes);
    }
};

TEST_F(QvctlTicketTest, SetAndGeometryCommandsArriveByteForByte) {
    EXPECT_EQ(SentBy("set black-mark on"), "1B4202");
    EXPECT_EQ(SentBy("set baud 42", "您设置了波特率，完成后需要重启打印机\n"), "1B4215");
    EXPECT_EQ(SentBy("length 152"), "1D2846040004006503");
    EXPECT_EQ(SentBy("format --style 1 152 20 27"), "1D28460400010171001D28460400020099001D2846040003005F03");
}

TEST_F(QvctlTicketTest, TicketApplySendsTheWholeDescriptionAsOneJob) {
    const testing::TestFolder folder("qvset-ticket-apply-");
    const auto path = folder.Path() / "ticket.txt";
    const auto made = Sandbox::RunQvctl("ticket new " + path.string() +
                                        " --black-mark on --paper 58 --length 152 --baud 12");
    ASSERT_EQ(made.status, 0) << made.err;
    EXPECT_EQ(SentBy("ticket apply " + path.string(), "您设置了波特率，完成后需要重启打印机\n"),
              "1B42021B42051D28460400040065031B4211");
}

TEST_F(QvctlTicketTest, RefusedFormatSendsNoJob) {
    const auto before = Sandbox::CapturedJobs("QV640_Virtual").size();
    const auto result = Sandbox::RunQvctl("--printer QV640_Virtual format 9.5 0 0");
    EXPECT_EQ(result.status, 2);
    EXPECT_EQ(result.err, "票长也太短了吧!\n");
    // a later job is the next one captured: nothing came in between
    EXPECT_EQ(SentBy("set paper 76"), "1B4204");
    EXPECT_EQ(Sandbox::CapturedJobs("QV640_Virtual").size(), before + 1);
}

}  // namespace
}  // namespace qvset
