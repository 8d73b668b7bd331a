#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "printer/PrintChannel.h"
#include "seams/Dialogs.h"
#include "seams/Pause.h"
#include "tuning/JobWatch.h"
#include "tuning/TuningJobs.h"

namespace qvset {

inline constexpr std::string_view kMsgValueNotWhole = "参数必须是整数，请重新输入";
// The extra pause of a run before its samples, in milliseconds, as the window starts with it.
inline constexpr std::string_view kInitialExtraPause = "5000";
// A run never waits longer than this for its extra pause.
inline constexpr int kMaxExtraPauseMs = 60000;

// What a run works with: the channel, the blocking pause and the watch that takes the run over
// (the run's captions and the button lock go through the watch).
struct TuningSession {
    PrintChannel& channel;
    Pause& pause;
    Dialogs& dialogs;
    JobWatch& watch;
};

// The three mode values as typed texts (the captions the speed and quality panel shows).
struct ModeCaptions {
    std::string highSpeed;
    std::string standard;
    std::string fine;
};

// The three mode values the window starts with: "16", "18", "20".
ModeCaptions InitialModeCaptions();

// A caption that is a whole number from 0 to 255 (blanks around it allowed) as its value byte.
std::optional<std::uint8_t> ReadModeValue(std::string_view caption);
// All three, or nothing when one of them is not such a number.
std::optional<ModeValues> ReadModeValues(const ModeCaptions& captions);

// The extra pause in milliseconds: the number at the start of the text rounded half-even; 0 for a text
// without a number or a negative one; at most kMaxExtraPauseMs.
int ExtraPauseOf(std::string_view extraPause);

// "40" when the numeric value of a typed mode value is greater than 40, otherwise the text unchanged.
std::string ClampModeValue(std::string_view text);

// The mode values offered for choosing: "1" to "50".
std::vector<std::string> ModeValueEntries();

// One alignment sample at v: its label text, the bar row, ESC J 21, the bar row again (four
// documents, no pauses).
void PrintAlignmentSample(PrintChannel& channel, const std::int16_t& v, std::uint8_t highSpeedValue);

// The single-mode run ("设置单项"): stores the three values, then prints an alignment sample for each
// value of the high-speed value's test window; RunKind 88. The all-modes run ("设置全部"): stores the
// values, then prints the test page of all three modes; RunKind 99.
// Both check all three captions first: one that is not a whole number from 0 to 255 shows
// kMsgValueNotWhole and the run does nothing else (returns false). Otherwise the run locks the run
// buttons and hands itself to the watch, which unlocks them; returns true.
bool SingleModeRun(TuningSession& session, const ModeCaptions& captions, std::string_view extraPause);
bool AllModesRun(TuningSession& session, const ModeCaptions& captions, std::string_view extraPause);

}  // namespace qvset
