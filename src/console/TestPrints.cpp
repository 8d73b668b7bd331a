#include "console/TestPrints.h"

#include <cstdint>
#include <vector>

#include "printer/HexCodec.h"

namespace qvset {
namespace {

const std::vector<std::uint8_t> kPinTestStart = {0x0A};
constexpr std::string_view kPinTestEnd = "1B4A50";
constexpr std::string_view kPinLineHead = "1B2A013207";
constexpr std::string_view kPinLineTail = "0D0A";
constexpr int kLeadingBlankColumns = 42;
constexpr int kPinColumns = 200;
constexpr int kTrailingBlankColumns = 1600;
constexpr int kPins = 8;

template <std::size_t N>
std::vector<std::uint8_t> Payload(const std::array<std::uint8_t, N>& command) {
    return {command.begin(), command.end()};
}

void AppendRepeated(std::string& hex, std::string_view pair, int times) {
    for (int i = 0; i < times; ++i) hex += pair;
}

}  // namespace

void PrintSelfTest(PrintChannel& channel) {
    channel.SendBytes(Payload(kSelfTestCommand));
}
void FeedLine(PrintChannel& channel) {
    channel.SendHex(kLineFeedHex);
}
void FeedPage(PrintChannel& channel) {
    channel.SendHex(kFormFeedHex);
}
void FeedForward(PrintChannel& channel) {
    channel.SendBytes(Payload(kFeedForwardCommand));
}
void FeedBack(PrintChannel& channel) {
    channel.SendBytes(Payload(kFeedBackCommand));
}

std::uint8_t PinDots(int pin) {
    if (pin < 1 || pin > kPins) return 0;
    return static_cast<std::uint8_t>(0x80u >> (pin - 1));
}

std::string BuildPinTestLine(int pin) {
    if (pin < 1 || pin > kPins) return {};
    const std::string pair = HexPair(PinDots(pin));
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
