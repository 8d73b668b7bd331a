#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "printer/PrintChannel.h"

namespace qvset {

// The fixed paper-motion and test-print buttons. Each sends its bytes through the channel and changes
// nothing else.

// The bytes each button sends.
inline constexpr std::array<std::uint8_t, 5> kSelfTestCommand = {0x1B, 0x3A, 0x00, 0x00, 0x50};
inline constexpr std::array<std::uint8_t, 3> kFeedForwardCommand = {0x1B, 0x4A, 0x03};
inline constexpr std::array<std::uint8_t, 3> kFeedBackCommand = {0x1B, 0x6A, 0x03};
inline constexpr std::string_view kLineFeedHex = "0A";
inline constexpr std::string_view kFormFeedHex = "0C";
// Ends the pin number before its line.
inline constexpr std::uint8_t kCarriageReturn = 0x0D;

// Command1 "打印自检" and Command17 "测试": ESC ':' NUL NUL 'P'.
void PrintSelfTest(PrintChannel& channel);
// Command5 "换行": 0A.
void FeedLine(PrintChannel& channel);
// Command12 "换页": 0C.
void FeedPage(PrintChannel& channel);
// Command10 "微进纸": ESC 'J' 3.
void FeedForward(PrintChannel& channel);
// Command11 "微退纸": ESC 'j' 3.
void FeedBack(PrintChannel& channel);

// The column byte with only dot `pin` (1..8) set: 0x80 for pin 1 down to 0x01 for pin 8.
std::uint8_t PinDots(int pin);
// The bit-image line that prints 200 columns with only dot `pin` (1..8) set: 1,849 bytes as hex
// (empty for a pin outside 1..8).
std::string BuildPinTestLine(int pin);
// Command13 "测针功能": a line feed, then per pin its number and its line, then ESC 'J' 80; 18 documents.
void PrintPinTest(PrintChannel& channel);

}  // namespace qvset
