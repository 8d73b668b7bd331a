// qvctl tune and factory-restore over the in-memory spooler.
#include <gtest/gtest.h>

#include <sstream>

#include "TuningTestSupport.h"
#include "cli/CommandRegistry.h"
#include "printer/MemorySpooler.h"
#include "support/QvctlFixture.h"
#include "support/RecordingDialogs.h"
#include "tuning/TuningJobs.h"

namespace qvset {
namespace {

using testing::Hex;

class TuningCliTest : public testing::QvctlFixture {
  protected:
    TuningCliTest() : QvctlFixture({{"QV640", "QV6", "USB001"}}) {
        cli::RegisterTuningCommands(registry);
        ShowDialogsOn(dialogs);
    }

    int Run(std::vector<std::string> args) { return RunQvctl(args); }

    // The one-second ticks the watch waited, after the run's own pauses.
    std::size_t Ticks(std::size_t runPauses) const {
        const auto& waits = pause.Waits();
        for (std::size_t i = runPauses; i < waits.size(); ++i) EXPECT_EQ(waits[i], 1000);
        return waits.size() - runPauses;
    }

    testing::RecordingDialogs dialogs;
};

TEST_F(TuningCliTest, SingleRunWithoutWatchQueuesTheStoreJobAndSamples) {
    EXPECT_EQ(Run({"tune", "single", "--pause", "0", "--no-watch"}), 0) << err.str();
    ASSERT_EQ(spooler.Documents().size(), 37u);
    EXPECT_EQ(Hex(spooler.Documents()[0].bytes), Hex(BuildStoreJob({16, 18, 20})));
    EXPECT_EQ(pause.Waits(), (std::vector<int>{2500, 2000, 2500, 2500}));
    // Not on a terminal: no progress, and without the watch no result to print.
    EXPECT_EQ(err.str(), "");
}

TEST_F(TuningCliTest, TheGivenValuesAreStoredAndThePauseDefaultsTo5000) {
    EXPECT_EQ(Run({"tune", "all", "--high", "40", "--standard", "7", "--fine", "40", "--no-watch"}), 0)
        << err.str();
    ASSERT_EQ(spooler.Documents().size(), 2u);
    EXPECT_EQ(Hex(spooler.Documents()[0].bytes), Hex(BuildStoreJob({40, 7, 40})));
    EXPECT_EQ(Hex(spooler.Documents()[1].bytes), Hex(BuildTestPage({40, 7, 40})));
    EXPECT_EQ(pause.Waits().back(), 5000);
}

TEST_F(TuningCliTest, AWatchedRunOnAPrinterThatPrintsAtOnceEndsDoneAtSecond27) {
    EXPECT_EQ(Run({"tune", "single", "--pause", "0"}), 0) << err.str();
    EXPECT_EQ(Ticks(4), 27u);
    // Not on a terminal: only the result, never a line per second.
    EXPECT_EQ(err.str(), "完成...\n");
    EXPECT_TRUE(dialogs.Messages().empty());
}

TEST_F(TuningCliTest, AWatchedRunOnAnOfflinePrinterFailsAtItsCheckSecond) {
    spooler.SetWaitingCount(3);
    EXPECT_EQ(Run({"tune", "all", "--pause", "0"}), 1);
    EXPECT_EQ(Ticks(4), 10u);
    EXPECT_EQ(err.str(), "设置失败...\n");
    ASSERT_EQ(dialogs.Messages().size(), 1u);
    EXPECT_EQ(dialogs.Messages()[0].text, "请检查打印机是否脱机,请重启打印机");
}

TEST_F(TuningCliTest, RefusedValuesAndWrongUsageSendNothing) {
    // Unlike the panel, which turns 45 into 40, the command line refuses a value outside 1 to 40.
    EXPECT_EQ(Run({"tune", "single", "--high", "5a"}), 2);
    EXPECT_EQ(err.str(),
              "qvctl: tune: --high \"5a\" is not a number (a mode value from 1 to 40)\n"
              "see: qvctl tune --help\n");
    EXPECT_EQ(Run({"tune", "all", "--high", "45", "--no-watch"}), 2);
    EXPECT_EQ(Run({"tune", "all", "--pause", "60001", "--no-watch"}), 2);
    EXPECT_TRUE(dialogs.Messages().empty());
    EXPECT_EQ(Run({"tune"}), 2);
    EXPECT_EQ(Run({"tune", "some"}), 2);
    EXPECT_EQ(Run({"tune", "all", "--pause"}), 2);
    EXPECT_EQ(Run({"tune", "all", "--speed", "3"}), 2);
    EXPECT_TRUE(spooler.Documents().empty());
    EXPECT_TRUE(pause.Waits().empty());
}

TEST_F(TuningCliTest, AMissingPrinterIsNotWatched) {
    spooler.SetCannotOpen("QV640");
    EXPECT_EQ(Run({"tune", "all", "--pause", "0"}), 1);
    EXPECT_EQ(Ticks(4), 0u);
}

TEST_F(TuningCliTest, FactoryRestoreSendsSaveTableSave) {
    EXPECT_EQ(Run({"factory-restore"}), 0);
    ASSERT_EQ(spooler.Documents().size(), 3u);
    EXPECT_EQ(Hex(spooler.Documents()[1].bytes), FactoryParameterTable());
    EXPECT_EQ(pause.Waits(), (std::vector<int>{2500, 1000}));
    EXPECT_EQ(Run({"factory-restore", "x"}), 2);
}

}  // namespace
}  // namespace qvset
