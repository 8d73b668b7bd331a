#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "seams/Dialogs.h"
#include "tuning/JobWatch.h"
#include "seams/Pause.h"
#include "printer/PrintChannel.h"
#include "tuning/TuningJobs.h"

namespace qvset {

inline constexpr std::string_view kMsgValueNotWhole = "参数必须是整数，请重新输入";
// Text1 at start-up: the extra pause of a run, in milliseconds.
inline constexpr std::string_view kText1Initial = "5000";
// A run never waits longer than this for its Text1 pause.
inline constexpr int kMaxExtraPauseMs = 60000;

// What a run works with: the channel, the blocking pause and the watch that takes the run over
// (Label8 captions and the button lock go through the watch).
struct TuningSession {
    PrintChannel& channel;
    Pause& pause;
    Dialogs& dialogs;
    JobWatch& watch;
};

// The captions of Labgs, Labcgs and Labcgm as the panel shows them.
struct ModeCaptions {
    std::string highSpeed;
    std::string standard;
    std::string fine;
};

// A caption that is a whole number from 0 to 255 (blanks around it allowed) as its value byte.
std::optional<std::uint8_t> ReadModeValue(std::string_view caption);
// All three, or nothing when one of them is not such a number.
std::optional<ModeValues> ReadModeValues(const ModeCaptions& captions);

// The Text1 pause in milliseconds: the number at the start of the text rounded half-even; 0 for a text
// without a number or a negative one; at most kMaxExtraPauseMs.
int ExtraPauseOf(std::string_view text1);

// One alignment sample at v: its label text, the bar row, ESC J 21, the bar row again (four
// documents, no pauses).
void PrintAlignmentSample(PrintChannel& channel, const std::int16_t& v, std::uint8_t highSpeedValue);

// Command3 "设置单项": stores the three values, then prints an alignment sample for each value of the
// high-speed value's test window; RunKind 88. Command8 "设置全部": stores the values, then prints the
// test page of all three modes; RunKind 99.
// Both check all three captions first: one that is not a whole number from 0 to 255 shows
// kMsgValueNotWhole and the run does nothing else (returns false). Otherwise the run locks the run
// buttons and hands itself to the watch, which unlocks them; returns true.
bool SingleModeRun(TuningSession& session, const ModeCaptions& captions, std::string_view text1);
bool AllModesRun(TuningSession& session, const ModeCaptions& captions, std::string_view text1);

}  // namespace qvset
