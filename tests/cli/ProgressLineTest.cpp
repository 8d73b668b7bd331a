// The progress line of long commands: rewritten in place on a terminal, nothing at all elsewhere.
#include <gtest/gtest.h>

#include <sstream>

#include "cli/ConsoleDialogs.h"
#include "cli/ProgressLine.h"
#include "support/RecordingDialogs.h"

namespace qvset {
namespace {

TEST(ProgressLine, OneLineRewrittenInPlaceWithTheSecondsGoneAndExpectedThenCleared) {
    std::ostringstream err;
    double now = 100;
    {
        cli::ProgressLine line(err, true, "factory-restore", 3.5, [&now] { return now; });
        testing::RecordingPause inner;
        cli::ProgressPause pause(inner, line);
        line.Show("save, table, save");
        now += 0.3;
        pause.Wait(600);  // three steps: 250, 250, 100 ms
        EXPECT_EQ(inner.Waits(), (std::vector<int>{250, 250, 100}));
        now = 103.5;
        line.Show();
    }
    const std::string r = "\r\x1B[K";
    const std::string shown = "factory-restore: save, table, save  ";
    EXPECT_EQ(err.str(), r + shown + "0.0 s of about 3.5 s" +      // Show
                             r + shown + "0.3 s of about 3.5 s" +  // the pause begins
                             r + shown + "0.3 s of about 3.5 s" + r + shown + "0.3 s of about 3.5 s" + r +
                             shown + "0.3 s of about 3.5 s" +      // after each step
                             r + shown + "3.5 s of about 3.5 s" +  // the last Show
                             r);                                   // cleared at the end
}

TEST(ProgressLine, AMessageStandsOnALineOfItsOwnAndTheLineComesBackAfterIt) {
    std::ostringstream err;
    double now = 0;
    cli::ProgressLine line(err, true, "tune all", 83, [&now] { return now; });
    cli::ConsoleDialogs dialogs(err);
    line.Show("watching the queue");
    dialogs.Message("请检查打印机是否脱机,请重启打印机");
    now = 12;
    line.Show();
    line.Clear();
    const std::string r = "\r\x1B[K";
    EXPECT_EQ(err.str(), r + "tune all: watching the queue  0.0 s of about 83 s" + r +
                             "请检查打印机是否脱机,请重启打印机\n" + r +
                             "tune all: watching the queue  12 s of about 83 s" + r);
}

TEST(ProgressLine, NotShownWritesNothingAndWaitsTheWholePause) {
    std::ostringstream err;
    testing::RecordingPause inner;
    {
        cli::ProgressLine line(err, false, "tune all", 83);
        cli::ProgressPause pause(inner, line);
        line.Show("watching the queue");
        pause.Wait(2500);
    }
    EXPECT_EQ(err.str(), "");
    EXPECT_EQ(inner.Waits(), std::vector<int>{2500});
}

TEST(ProgressLine, SecondsAreShownToATenthBelowTenAndWholeAbove) {
    EXPECT_EQ(cli::SecondsText(0), "0.0");
    EXPECT_EQ(cli::SecondsText(1), "1.0");
    EXPECT_EQ(cli::SecondsText(3.5), "3.5");
    EXPECT_EQ(cli::SecondsText(9.94), "9.9");
    EXPECT_EQ(cli::SecondsText(12.6), "13");
    EXPECT_EQ(cli::SecondsText(82.5), "83");
}

}  // namespace
}  // namespace qvset
