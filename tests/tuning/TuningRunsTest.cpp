#include <gtest/gtest.h>

#include "TuningTestSupport.h"
#include "printer/MemorySpooler.h"
#include "support/RecordingDialogs.h"
#include "support/SequenceLog.h"
#include "tuning/TuningRuns.h"

namespace qvset {
namespace {

using testing::Hex;
using testing::kModePrefixHex;

class TuningRunsTest : public ::testing::Test {
  protected:
    TuningRunsTest()
        : spooler({{"QV640", "QV6", "USB001"}}),
          channel(spooler, dialogs, "."),
          watch(spooler, dialogs),
          session{channel, pause, dialogs, watch} {
        watch.OnCaption([this](const std::string& caption) { captions.push_back(caption); });
    }

    std::string DocumentHex(std::size_t index) const { return Hex(spooler.Documents().at(index).bytes); }

    // The label of each alignment sample (the first of its four documents).
    std::vector<std::string> SampleLabels(std::size_t first) const {
        std::vector<std::string> labels;
        const auto& documents = spooler.Documents();
        for (std::size_t i = first; i < documents.size(); i += 4) {
            const auto& bytes = documents[i].bytes;
            labels.emplace_back(bytes.begin() + 14, bytes.end() - 2);
        }
        return labels;
    }

    MemorySpooler spooler;
    testing::RecordingDialogs dialogs;
    testing::RecordingPause pause;
    PrintChannel channel;
    JobWatch watch;
    TuningSession session;
    std::vector<std::string> captions;
};

const std::vector<std::string> kRunCaptions = {"正在设置..", "正在设置...", "正在设置....",
                                               "正在设置..", "正在设置...", "正在设置...."};

TEST_F(TuningRunsTest, SingleModeRunStoresThenPrintsNineSamplesAroundTheHighSpeedValue) {
    spooler.SetWaitingCount(1);
    watch.InspectQueue(1);  // a previous run left its entry set
    ASSERT_TRUE(SingleModeRun(session, {"16", "18", "20"}, "5000"));

    EXPECT_EQ(pause.Waits(), (std::vector<int>{2500, 2000, 2500, 2500, 5000}));
    EXPECT_EQ(captions, kRunCaptions);
    EXPECT_EQ(watch.RunKind(), kRunSingleMode);
    EXPECT_EQ(watch.QueueState()[1], 0);
    EXPECT_EQ(watch.QueueSeen()[1], 0);
    EXPECT_FALSE(watch.RunButtonsEnabled());

    ASSERT_EQ(spooler.Documents().size(), 1u + 9 * 4);
    EXPECT_EQ(DocumentHex(0), Hex(BuildStoreJob({16, 18, 20})));
    for (std::size_t sample = 0; sample < 9; ++sample) {
        const std::size_t first = 1 + sample * 4;
        const auto& text = spooler.Documents()[first].bytes;
        EXPECT_EQ(Hex(Bytes(text.begin(), text.begin() + 11)),
                  kModePrefixHex + "0A" + Hex({static_cast<std::uint8_t>(12 + sample)}) + "FF");
        EXPECT_EQ(spooler.Documents()[first + 1].bytes.size(), 2886u);
        EXPECT_EQ(DocumentHex(first + 2), "1B4A15");
        EXPECT_EQ(DocumentHex(first + 3), AlignmentBarRow());
    }
    EXPECT_EQ(SampleLabels(1), (std::vector<std::string>{"12", "13", "14", "15", "***************16", "17",
                                                         "18", "19", "20"}));
    EXPECT_TRUE(dialogs.Messages().empty());
}

// The steps both runs take before their printing, with the captions of Label8 among them.
std::vector<std::string> StepsBeforePrinting(const std::string& pauseEntry) {
    return {"label 正在设置..",
            "label 正在设置...",
            "wait 2500",
            "label 正在设置....",
            Hex(BuildStoreJob({16, 18, 20})),
            "wait 2000",
            "label 正在设置..",
            "wait 2500",
            "label 正在设置...",
            "wait 2500",
            pauseEntry,
            "label 正在设置...."};
}

TEST_F(TuningRunsTest, SingleModeRunStepsAreCaptionsPausesStoreJobThenTheSamplesInOrder) {
    testing::SequenceLog log(spooler, pause);
    watch.OnCaption([&](const std::string& caption) { log.Note("label " + caption); });
    ASSERT_TRUE(SingleModeRun(session, {"16", "18", "20"}, "5000"));
    const auto& entries = log.Entries();
    const auto steps = StepsBeforePrinting("wait 5000");
    ASSERT_EQ(entries.size(), steps.size() + 9 * 4);
    EXPECT_EQ(std::vector<std::string>(entries.begin(), entries.begin() + 12), steps);
    // Nine samples of four documents each, with no pause or caption between them.
    for (std::size_t i = steps.size(); i < entries.size(); i += 4) {
        EXPECT_EQ(entries[i + 1], AlignmentBarRow());
        EXPECT_EQ(entries[i + 2], "1B4A15");
        EXPECT_EQ(entries[i + 3], AlignmentBarRow());
    }
}

TEST_F(TuningRunsTest, AllModesRunStepsAreCaptionsPausesStoreJobThenThePage) {
    testing::SequenceLog log(spooler, pause);
    watch.OnCaption([&](const std::string& caption) { log.Note("label " + caption); });
    ASSERT_TRUE(AllModesRun(session, {"16", "18", "20"}, "1500"));
    auto expected = StepsBeforePrinting("wait 1500");
    expected.push_back(Hex(BuildTestPage({16, 18, 20})));
    EXPECT_EQ(log.Entries(), expected);
}

TEST_F(TuningRunsTest, SingleModeRunAtTheEdgesPrintsTheSamplesOfTheTestWindow) {
    ASSERT_TRUE(SingleModeRun(session, {"3", "18", "20"}, "0"));
    EXPECT_EQ(SampleLabels(1), (std::vector<std::string>{"1", "2", "***************3", "4", "5", "6", "7"}));
    spooler.ClearDocuments();
    ASSERT_TRUE(SingleModeRun(session, {"38", "18", "20"}, "0"));
    EXPECT_EQ(SampleLabels(1),
              (std::vector<std::string>{"34", "35", "36", "37", "***************38", "39", "40"}));
    spooler.ClearDocuments();
    ASSERT_TRUE(SingleModeRun(session, {"45", "18", "20"}, "0"));
    ASSERT_EQ(spooler.Documents().size(), 1u);  // the store job only
    EXPECT_EQ(spooler.Documents()[0].bytes[9], 45);
}

TEST_F(TuningRunsTest, AllModesRunStoresThenSendsTheTestPage) {
    ASSERT_TRUE(AllModesRun(session, {"16", "18", "20"}, "1500"));
    EXPECT_EQ(pause.Waits(), (std::vector<int>{2500, 2000, 2500, 2500, 1500}));
    EXPECT_EQ(captions, kRunCaptions);
    EXPECT_EQ(watch.RunKind(), kRunAllModes);
    EXPECT_FALSE(watch.RunButtonsEnabled());
    ASSERT_EQ(spooler.Documents().size(), 2u);
    EXPECT_EQ(DocumentHex(0), Hex(BuildStoreJob({16, 18, 20})));
    EXPECT_EQ(DocumentHex(1), Hex(BuildTestPage({16, 18, 20})));
}

TEST_F(TuningRunsTest, AValueThatIsNotAWholeByteRefusesTheWholeRun) {
    const ModeCaptions refused[] = {{"5a", "18", "20"}, {"16", "7.5", "20"}, {"16", "18", "256"},
                                    {"16", "18", ""},   {"-1", "18", "20"},  {"16", "&H10", "20"}};
    for (const auto& values : refused) {
        EXPECT_FALSE(SingleModeRun(session, values, "5000"));
        EXPECT_FALSE(AllModesRun(session, values, "5000"));
    }
    EXPECT_TRUE(spooler.Documents().empty());
    EXPECT_TRUE(pause.Waits().empty());
    EXPECT_TRUE(captions.empty());
    EXPECT_EQ(watch.RunKind(), kRunNone);
    EXPECT_TRUE(watch.RunButtonsEnabled());
    ASSERT_EQ(dialogs.Messages().size(), 12u);
    EXPECT_EQ(dialogs.Messages()[0].text, "参数必须是整数，请重新输入");
}

TEST_F(TuningRunsTest, WholeNumbersFromZeroTo255AreAccepted) {
    EXPECT_EQ(ReadModeValue("0"), 0);
    EXPECT_EQ(ReadModeValue(" 16 "), 16);
    EXPECT_EQ(ReadModeValue("016"), 16);
    EXPECT_EQ(ReadModeValue("255"), 255);
    EXPECT_EQ(ReadModeValue("1000"), std::nullopt);
    EXPECT_EQ(ReadModeValue("1 6"), std::nullopt);
}

TEST_F(TuningRunsTest, Text1PauseIsANonNegativeNumberCappedAtOneMinute) {
    struct Row {
        const char* text;
        int ms;
    };
    const Row rows[] = {{"5000", 5000}, {"1500", 1500}, {"abc", 0},       {"", 0},          {"-200", 0},
                        {"2.5", 2},     {"3.5", 4},     {"99999", 60000}, {"1E300", 60000}, {"800ms", 800}};
    for (const auto& row : rows) EXPECT_EQ(ExtraPauseOf(row.text), row.ms) << row.text;

    ASSERT_TRUE(AllModesRun(session, {"16", "18", "20"}, "abc"));
    EXPECT_EQ(pause.Waits(), (std::vector<int>{2500, 2000, 2500, 2500}));
}

TEST_F(TuningRunsTest, AnAllModesRunIsWatchedToItsEndAtSecond68) {
    ASSERT_TRUE(AllModesRun(session, {"16", "18", "20"}, "0"));
    spooler.SetWaitingCount(1);
    for (int second = 1; second <= 3; ++second) EXPECT_EQ(watch.Tick(), WatchOutcome::Watching);
    spooler.SetWaitingCount(0);
    for (int second = 4; second < 68; ++second) ASSERT_EQ(watch.Tick(), WatchOutcome::Watching) << second;
    EXPECT_EQ(watch.Tick(), WatchOutcome::Done);
    EXPECT_EQ(watch.Caption(), "完成...");
    EXPECT_TRUE(watch.RunButtonsEnabled());
    EXPECT_TRUE(dialogs.Messages().empty());
}

}  // namespace
}  // namespace qvset
