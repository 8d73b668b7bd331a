#include "console/TestPrints.h"

#include <cstdint>
#include <vector>

namespace qvset {
namespace {

const std::vector<std::uint8_t> kSelfTest = {0x1B, 0x3A, 0x00, 0x00, 0x50};
const std::vector<std::uint8_t> kFeedForward = {0x1B, 0x4A, 0x03};
const std::vector<std::uint8_t> kFeedBack = {0x1B, 0x6A, 0x03};
const std::vector<std::uint8_t> kPinTestStart = {0x0A};
constexpr std::string_view kLineFeed = "0A";
constexpr std::string_view kFormFeed = "0C";
constexpr std::string_view kPinTestEnd = "1B4A50";
constexpr std::string_view kPinLineHead = "1B2A013207";
constexpr std::string_view kPinLineTail = "0D0A";
constexpr int kLeadingBlankColumns = 42;
constexpr int kPinColumns = 200;
constexpr int kTrailingBlankColumns = 1600;
constexpr int kPins = 8;
constexpr std::uint8_t kCarriageReturn = 0x0D;

void AppendRepeated(std::string& hex, std::string_view pair, int times) {
    for (int i = 0; i < times; ++i) hex += pair;
}

}  // namespace

void PrintSelfTest(PrintChannel& channel) {
    channel.SendBytes(kSelfTest);
}
void FeedLine(PrintChannel& channel) {
    channel.SendHex(kLineFeed);
}
void FeedPage(PrintChannel& channel) {
    channel.SendHex(kFormFeed);
}
void FeedForward(PrintChannel& channel) {
    channel.SendBytes(kFeedForward);
}
void FeedBack(PrintChannel& channel) {
    channel.SendBytes(kFeedBack);
}

std::string BuildPinTestLine(int pin) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    if (pin < 1 || pin > kPins) return {};
    const auto dots = static_cast<unsigned>(0x80u >> (pin - 1));
    const std::string pair{kDigits[(dots >> 4) & 0xF], kDigits[dots & 0xF]};
    std::string hex(kPinLineHead);
    AppendRepeated(hex, "00", kLeadingBlankColumns);
    AppendRepeated(hex, pair, kPinColumns);
    AppendRepeated(hex, "00", kTrailingBlankColumns);
    hex += kPinLineTail;
    return hex;
}

void PrintPinTest(PrintChannel& channel) {
    channel.SendBytes(kPinTestStart);
    for (int pin = 1; pin <= kPins; ++pin) {
        channel.SendBytes({static_cast<std::uint8_t>('0' + pin), kCarriageReturn});
        channel.SendHex(BuildPinTestLine(pin));
    }
    channel.SendHex(kPinTestEnd);
}

}  // namespace qvset
