#include <gtest/gtest.h>

#include "forms/RunButtons.h"
#include "printer/MemorySpooler.h"
#include "support/RecordingDialogs.h"
#include "tuning/JobWatch.h"

namespace qvset {
namespace {

class JobWatchTest : public ::testing::Test {
  protected:
    JobWatchTest() : spooler({{"QV640", "QV6", "USB001"}}), watch(spooler, dialogs) {
        watch.OnCaption([this](const std::string& caption) { captions.push_back(caption); });
        watch.OnRunButtons([this](bool enabled) { buttonChanges.push_back(enabled); });
    }

    // What a tuning run does before it hands over to the watch.
    void StartRun(std::int16_t kind) {
        watch.SetRunKind(kind);
        watch.ClearQueueEntry(JobWatch::kRunQueueIndex);
        watch.LockRunButtons();
        captions.clear();
    }

    // Ticks `count` times with the given number of documents waiting; every tick must go on watching.
    void TickWatching(int count, int waiting) {
        spooler.SetWaitingCount(waiting);
        for (int i = 0; i < count; ++i)
            ASSERT_EQ(watch.Tick(), WatchOutcome::Watching) << "tick " << watch.RunTicks();
    }

    void ExpectEndedWith(std::string_view caption) {
        EXPECT_EQ(watch.RunKind(), kRunNone);
        EXPECT_EQ(watch.RunTicks(), 0);
        EXPECT_EQ(watch.RunPhase(), 0);
        EXPECT_EQ(watch.Caption(), caption);
        EXPECT_TRUE(watch.RunButtonsEnabled());
        EXPECT_EQ(buttonChanges.back(), true);
    }

    MemorySpooler spooler;
    testing::RecordingDialogs dialogs;
    JobWatch watch;
    std::vector<std::string> captions;
    std::vector<bool> buttonChanges;
};

TEST_F(JobWatchTest, AnIdleWatchCountsNothingAndLeavesLabel8Alone) {
    for (int i = 0; i < 5; ++i) EXPECT_EQ(watch.Tick(), WatchOutcome::Idle);
    EXPECT_EQ(watch.RunTicks(), 0);
    EXPECT_EQ(watch.Caption(), "完成.....");
    EXPECT_TRUE(captions.empty());
    EXPECT_EQ(spooler.QueueInspections(), 0);
}

// The thirteen run buttons in their lock order, written out here rather than taken from the code.
const std::vector<std::string_view> kThirteenRunButtons = {
    "Command3",  "Command8",  "Command1", "Command14", "Command12", "Command5", "Command10",
    "Command11", "Command13", "Command7", "Command4",  "Command9",  "Command6"};

TEST_F(JobWatchTest, LockingDisablesTheThirteenRunButtonsTogether) {
    using forms::kRunButtonNames;
    EXPECT_EQ(std::vector<std::string_view>(kRunButtonNames.begin(), kRunButtonNames.end()),
              kThirteenRunButtons);
    // A button is enabled unless it is a run button and the watch holds the run buttons locked.
    const auto isButtonEnabled = [this](std::string_view name) {
        return !forms::IsRunButton(name) || watch.RunButtonsEnabled();
    };
    watch.LockRunButtons();
    for (auto name : kThirteenRunButtons) EXPECT_FALSE(isButtonEnabled(name)) << name;
    EXPECT_TRUE(isButtonEnabled("Command17"));
    EXPECT_TRUE(isButtonEnabled("Command15"));
    watch.UnlockRunButtons();
    for (auto name : kThirteenRunButtons) EXPECT_TRUE(isButtonEnabled(name)) << name;
    EXPECT_EQ(buttonChanges, (std::vector<bool>{false, true}));
}

TEST_F(JobWatchTest, APrinterThatPrintsAtOnceEndsTheSingleRunDoneAtSecond27) {
    StartRun(kRunSingleMode);
    TickWatching(26, 0);
    EXPECT_EQ(watch.Tick(), WatchOutcome::Done);
    ExpectEndedWith("完成...");
    EXPECT_TRUE(dialogs.Messages().empty());
    ASSERT_EQ(captions.size(), 28u);
    const std::vector<std::string> firstSix(captions.begin(), captions.begin() + 6);
    EXPECT_EQ(firstSix, (std::vector<std::string>{"正在设置.", "正在设置..", "正在设置...", "正在设置....",
                                                  "正在设置....", "正在设置."}));
    EXPECT_EQ(captions.back(), "完成...");
    EXPECT_EQ(watch.Tick(), WatchOutcome::Idle);
}

TEST_F(JobWatchTest, AnOfflinePrinterFailsTheRunAtItsCheckSecond) {
    for (int waiting : {1, 3}) {
        dialogs.Clear();
        StartRun(kRunSingleMode);
        TickWatching(4, waiting);
        EXPECT_EQ(watch.QueueSeen()[1], 1);
        EXPECT_EQ(watch.Tick(), WatchOutcome::Failed);
        ExpectEndedWith("设置失败...");
        ASSERT_EQ(dialogs.Messages().size(), 1u);
        EXPECT_EQ(dialogs.Messages()[0].text, "请检查打印机是否脱机,请重启打印机");
        EXPECT_EQ(dialogs.Messages()[0].buttons, MessageButtons::Ok);
    }
}

TEST_F(JobWatchTest, TwoDocumentsSeenAndThenDrainedStillFailTheRun) {
    StartRun(kRunSingleMode);
    TickWatching(1, 2);
    EXPECT_EQ(watch.QueueState()[1], 99);
    TickWatching(3, 0);
    EXPECT_EQ(watch.QueueState()[1], 99);
    EXPECT_EQ(watch.Tick(), WatchOutcome::Failed);
    ExpectEndedWith("设置失败...");
}

TEST_F(JobWatchTest, OneDocumentSeenAndThenDrainedEndsDone) {
    StartRun(kRunSingleMode);
    TickWatching(2, 1);
    EXPECT_EQ(watch.QueueState()[1], 1);
    TickWatching(1, 0);
    EXPECT_EQ(watch.QueueState()[1], 0);
    EXPECT_EQ(watch.QueueSeen()[1], 0);
    TickWatching(23, 0);
    EXPECT_EQ(watch.Tick(), WatchOutcome::Done);
    EXPECT_TRUE(dialogs.Messages().empty());
}

// The spooler said documents were there, then listed none: each row is the waiting counts of the
// ticks up to the single run's check second and what the run comes to there.
TEST_F(JobWatchTest, DocumentsReportedButNoneListedFailUnlessTheWatchHadSeenOne) {
    constexpr int kNoneListed = kReportedButNoneListed;
    const struct {
        const char* what;
        std::vector<int> waiting;
        WatchOutcome atCheckSecond;
    } cases[] = {
        {"none listed from the first tick", {kNoneListed, 0, 0, 0, 0}, WatchOutcome::Failed},
        {"none listed once, then an empty queue", {0, 0, kNoneListed, 0, 0}, WatchOutcome::Failed},
        {"one seen, then none listed: it left", {1, kNoneListed, 0, 0, 0}, WatchOutcome::Watching},
        {"several seen, then none listed: it left", {2, kNoneListed, 0, 0, 0}, WatchOutcome::Watching},
        {"an empty queue throughout", {0, 0, 0, 0, 0}, WatchOutcome::Watching},
    };
    for (const auto& c : cases) {
        JobWatch fresh(spooler, dialogs);
        fresh.SetRunKind(kRunSingleMode);
        fresh.ClearQueueEntry(JobWatch::kRunQueueIndex);
        WatchOutcome outcome = WatchOutcome::Idle;
        for (const int waiting : c.waiting) {
            spooler.SetWaitingCount(waiting);
            outcome = fresh.Tick();
        }
        EXPECT_EQ(outcome, c.atCheckSecond) << c.what;
    }
}

TEST_F(JobWatchTest, DocumentsWaitingOnlyAfterTheCheckSecondDoNotFailTheRun) {
    StartRun(kRunSingleMode);
    TickWatching(5, 0);
    TickWatching(21, 4);
    EXPECT_EQ(watch.Tick(), WatchOutcome::Done);
    ExpectEndedWith("完成...");
    EXPECT_TRUE(dialogs.Messages().empty());
}

TEST_F(JobWatchTest, AnAllModesRunChecksAtSecond10AndEndsAt68) {
    StartRun(kRunAllModes);
    TickWatching(9, 2);
    EXPECT_EQ(watch.Tick(), WatchOutcome::Failed);
    ExpectEndedWith("设置失败...");

    StartRun(kRunAllModes);
    TickWatching(67, 0);
    EXPECT_EQ(watch.Tick(), WatchOutcome::Done);
    ExpectEndedWith("完成...");
}

TEST_F(JobWatchTest, RestEndsARunAtOnceAsDoneWithoutAMessage) {
    StartRun(kRunAllModes);
    TickWatching(3, 5);
    watch.Rest();
    ExpectEndedWith("完成...");
    EXPECT_TRUE(dialogs.Messages().empty());
    EXPECT_EQ(watch.Tick(), WatchOutcome::Idle);
}

TEST_F(JobWatchTest, APrinterThatCannotBeOpenedLooksEmpty) {
    spooler.SetCannotOpen("QV640");
    StartRun(kRunSingleMode);
    TickWatching(26, 3);
    EXPECT_EQ(watch.Tick(), WatchOutcome::Done);
}

TEST_F(JobWatchTest, TheQueueOfTheCurrentPrinterIsInspectedOncePerTick) {
    StartRun(kRunSingleMode);
    TickWatching(3, 0);
    EXPECT_EQ(spooler.QueueInspections(), 3);
}

}  // namespace
}  // namespace qvset
