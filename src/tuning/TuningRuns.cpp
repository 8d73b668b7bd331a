#include "tuning/TuningRuns.h"

#include <cmath>

#include "ticket/NumericText.h"

namespace qvset {
namespace {

constexpr std::string_view kCaptionTwoDots = "正在设置..";
constexpr std::string_view kCaptionThreeDots = "正在设置...";
constexpr std::string_view kCaptionFourDots = "正在设置....";
constexpr int kSettlePauseMs = 2500;
constexpr int kAfterStorePauseMs = 2000;
constexpr int kHighestValueByte = 255;
constexpr std::string_view kHighestModeValue = "40";
constexpr double kHighestModeNumber = 40;
constexpr int kModeValueEntries = 50;

// Steps shared by both runs once the buttons are locked: captions, the store job and the pauses that
// give the printer time to keep the values.
void StoreValues(TuningSession& session, const ModeValues& values, std::string_view extraPause) {
    JobWatch& watch = session.watch;
    watch.SetCaption(kCaptionThreeDots);
    session.pause.Wait(kSettlePauseMs);
    watch.SetCaption(kCaptionFourDots);
    session.channel.SendBytes(BuildStoreJob(values));
    session.pause.Wait(kAfterStorePauseMs);
    watch.SetCaption(kCaptionTwoDots);
    session.pause.Wait(kSettlePauseMs);
    watch.SetCaption(kCaptionThreeDots);
    session.pause.Wait(kSettlePauseMs);
    const int extra = ExtraPauseOf(extraPause);
    if (extra > 0) session.pause.Wait(extra);
    watch.SetCaption(kCaptionFourDots);
}

std::optional<ModeValues> CheckValues(TuningSession& session, const ModeCaptions& captions) {
    const auto values = ReadModeValues(captions);
    if (!values) session.dialogs.Message(kMsgValueNotWhole);
    return values;
}

}  // namespace

std::optional<std::uint8_t> ReadModeValue(std::string_view caption) {
    while (!caption.empty() && caption.front() == ' ') caption.remove_prefix(1);
    while (!caption.empty() && caption.back() == ' ') caption.remove_suffix(1);
    if (caption.empty()) return std::nullopt;
    int value = 0;
    for (char c : caption) {
        if (c < '0' || c > '9') return std::nullopt;
        value = value * 10 + (c - '0');
        if (value > kHighestValueByte) return std::nullopt;
    }
    return static_cast<std::uint8_t>(value);
}

std::optional<ModeValues> ReadModeValues(const ModeCaptions& captions) {
    const auto high = ReadModeValue(captions.highSpeed);
    const auto standard = ReadModeValue(captions.standard);
    const auto fine = ReadModeValue(captions.fine);
    if (!high || !standard || !fine) return std::nullopt;
    return ModeValues{*high, *standard, *fine};
}

ModeCaptions InitialModeCaptions() {
    return ModeCaptions{"16", "18", "20"};
}

std::string ClampModeValue(std::string_view text) {
    return NumericValue(text) > kHighestModeNumber ? std::string(kHighestModeValue) : std::string(text);
}

std::vector<std::string> ModeValueEntries() {
    std::vector<std::string> entries;
    for (int i = 1; i <= kModeValueEntries; ++i) entries.push_back(std::to_string(i));
    return entries;
}

int ExtraPauseOf(std::string_view extraPause) {
    const double rounded = RoundHalfEven(NumericValue(extraPause));
    if (!(rounded > 0)) return 0;  // also a text without a number
    if (rounded >= kMaxExtraPauseMs) return kMaxExtraPauseMs;
    return static_cast<int>(rounded);
}

void PrintAlignmentSample(PrintChannel& channel, const std::int16_t& v, std::uint8_t highSpeedValue) {
    channel.SendBytes(BuildAlignmentText(static_cast<std::uint8_t>(v), highSpeedValue));
    channel.SendHex(AlignmentBarRow());
    channel.SendHex(kAlignmentFeed);
    channel.SendHex(AlignmentBarRow());
}

bool SingleModeRun(TuningSession& session, const ModeCaptions& captions, std::string_view extraPause) {
    const auto values = CheckValues(session, captions);
    if (!values) return false;
    JobWatch& watch = session.watch;
    watch.SetRunKind(kRunSingleMode);
    watch.ClearQueueEntry(JobWatch::kRunQueueIndex);
    watch.SetCaption(kCaptionTwoDots);
    watch.LockRunButtons();
    StoreValues(session, *values, extraPause);
    // The samples of the high-speed test window: h-4..h+4 in the middle, cut at 1 and 40 at the ends.
    for (int v : TestWindow(values->highSpeed)) {
        const auto sample = static_cast<std::int16_t>(v);
        PrintAlignmentSample(session.channel, sample, values->highSpeed);
    }
    return true;
}

bool AllModesRun(TuningSession& session, const ModeCaptions& captions, std::string_view extraPause) {
    const auto values = CheckValues(session, captions);
    if (!values) return false;
    JobWatch& watch = session.watch;
    watch.SetRunKind(kRunAllModes);
    watch.SetCaption(kCaptionTwoDots);
    watch.ClearQueueEntry(JobWatch::kRunQueueIndex);
    watch.LockRunButtons();
    StoreValues(session, *values, extraPause);
    session.channel.SendBytes(BuildTestPage(*values));
    return true;
}

}  // namespace qvset
