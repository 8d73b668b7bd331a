// qvctl's console and test-print commands against a real CUPS server, byte for byte.
#include <gtest/gtest.h>

#include "Sandbox.h"
#include "console/TestPrints.h"
#include "printer/HexCodec.h"

namespace qvset {
namespace {

using testing::Sandbox;

constexpr const char* kQueue = "QV640_Virtual";

class QvctlTuningTest : public ::testing::Test {
  protected:
    void SetUp() override { Sandbox::UseClientEnvironment(); }
};

TEST_F(QvctlTuningTest, PinTestReachesTheQueueAsEighteenJobs) {
    const auto before = Sandbox::CapturedJobs(kQueue).size();
    const auto result = Sandbox::RunQvctl(std::string("--printer ") + kQueue + " pin-test");
    ASSERT_EQ(result.status, 0) << result.err;
    const auto jobs = Sandbox::WaitForJobs(kQueue, before + 18);
    ASSERT_EQ(jobs.size(), before + 18);
    EXPECT_EQ(EncodeHex(jobs[before].bytes), "0A");
    EXPECT_EQ(EncodeHex(jobs[before + 1].bytes), "310D");
    EXPECT_EQ(EncodeHex(jobs[before + 2].bytes), BuildPinTestLine(1));
    EXPECT_EQ(EncodeHex(jobs[before + 16].bytes), BuildPinTestLine(8));
    EXPECT_EQ(EncodeHex(jobs[before + 17].bytes), "1B4A50");
    for (std::size_t i = before; i < jobs.size(); ++i) EXPECT_EQ(jobs[i].title, "AAAAAA");
}

TEST_F(QvctlTuningTest, ConsoleInTableModeFramesTheCommandWithSaveCommands) {
    const auto before = Sandbox::CapturedJobs(kQueue).size();
    const auto result = Sandbox::RunQvctl(std::string("--printer ") + kQueue + " console --table '1b 4a' 15");
    ASSERT_EQ(result.status, 0) << result.err;
    const auto jobs = Sandbox::WaitForJobs(kQueue, before + 3);
    ASSERT_EQ(jobs.size(), before + 3);
    EXPECT_EQ(EncodeHex(jobs[before].bytes), "1B3A000052");
    EXPECT_EQ(EncodeHex(jobs[before + 1].bytes), "1B4A15");
    EXPECT_EQ(EncodeHex(jobs[before + 2].bytes), "1B3A000052");
}

TEST_F(QvctlTuningTest, ConsoleRefusesAWrongCharacterWithoutAJob) {
    const auto before = Sandbox::CapturedJobs(kQueue).size();
    const auto result = Sandbox::RunQvctl(std::string("--printer ") + kQueue + " console 1B 4X");
    EXPECT_EQ(result.status, 2);
    EXPECT_EQ(result.err, "请输入的数据是16进制的范围\n");
    EXPECT_EQ(Sandbox::CapturedJobs(kQueue).size(), before);
}

}  // namespace
}  // namespace qvset
