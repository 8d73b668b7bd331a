#pragma once

#include <string>

#include "printer/PrintChannel.h"

namespace qvset {

// The fixed paper-motion and test-print buttons. Each sends its bytes through the channel and changes
// nothing else.

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

// The bit-image line that prints 200 columns with only dot `pin` (1..8) set: 1,849 bytes as hex
// (empty for a pin outside 1..8).
std::string BuildPinTestLine(int pin);
// Command13 "测针功能": a line feed, then per pin its number and its line, then ESC 'J' 80; 18 documents.
void PrintPinTest(PrintChannel& channel);

}  // namespace qvset
