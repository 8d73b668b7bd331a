#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "tuning/ParameterCommands.h"

namespace qvset {

// The 125 GB2312 characters 0xB0A1..0xB0FE and 0xB1A1..0xB1BF in code order ("啊阿埃挨哎唉哀..."),
// as UTF-8. Test lines are cut from it; each character is two bytes on the printer.
const std::string& SampleText();

// The values printed around a current value x, increasing: x-4..x+4 for 4 < x < 37, 1..x+4 for
// x <= 4, x-4..40 for x >= 37. Never outside 1..40; empty from 45 on.
std::vector<int> TestWindow(int x);

// "*" or "-" (star when v is the current value x), the digits of v with a leading 0 below 10, the
// same character again: "*05*", "-12-".
std::string ValueMarker(int v, int x);

// A line of sample characters with the value marker of v in it; how many characters stand before and
// after the marker depends on the mode (22/21, 30/28, 45/43). UTF-8.
std::string BuildTestLine(TuningMode mode, int v, int x);

// The three mode values, each already a byte.
struct ModeValues {
    std::uint8_t highSpeed = 16;
    std::uint8_t standard = 18;
    std::uint8_t fine = 20;

    std::uint8_t Of(TuningMode mode) const;
};

// Stores the three values: per mode the mode value command with the store flag and two line feeds,
// then SaveCommand. 44 bytes.
Bytes BuildStoreJob(const ModeValues& values);

// One block per mode (a header and one test line per value of its test window, each line preceded by
// the mode value command with the test flag), then SaveCommand. Text converted to GBK.
Bytes BuildTestPage(const ModeValues& values);

// The label of an alignment sample: fifteen asterisks and the digits of v when v is the high-speed
// value, the digits alone otherwise.
std::string BuildAlignmentLabel(int v, int highSpeedValue);

// The text document of an alignment sample: the high-speed mode value command for v with the test
// flag, three line feeds, the label, two line feeds.
Bytes BuildAlignmentText(std::uint8_t v, std::uint8_t highSpeedValue);

// ESC '*' mode 1 with 2,880 columns (a full column every 80) and CR, as a hex command string:
// 2,886 bytes.
const std::string& AlignmentBarRow();

// ESC 'J' 21: the feed between the two bar rows of an alignment sample.
inline constexpr std::string_view kAlignmentFeed = "1B4A15";

}  // namespace qvset
