// The Windows conversion keeps to the same rules as the iconv one, where the code page functions
// would otherwise differ: no "best fit" look-alikes, one "?" per character, U+FFFD for bytes that are not
// GBK.
#include <gtest/gtest.h>

#include "printer/AnsiText.h"

namespace qvset {
namespace {

TEST(AnsiTextWindows, CharactersGbkLacksBecomeOneQuestionMarkEachNeverALookAlike) {
    EXPECT_EQ(ToAnsi("ä"), "?");    // Windows' best fit would give "a" (Wine has none)
    EXPECT_EQ(ToAnsi("ŀx"), "?x");  // best fit would give "l"
    EXPECT_EQ(ToAnsi("😀😀"), "??");  // one "?" per character, not per UTF-16 half
    EXPECT_EQ(ToAnsi(""), "");
}

TEST(AnsiTextWindows, BytesThatAreNotGbkBecomeReplacementCharacters) {
    EXPECT_EQ(FromAnsi("A\xFF"
                       "B"),
              "A\xEF\xBF\xBD"
              "B");
    EXPECT_EQ(FromAnsi("A\x81"), "A\xEF\xBF\xBD");  // lead byte without its trail byte
    EXPECT_EQ(FromAnsi("\xB4\xF2\xD3\xA1"), "打印");
    EXPECT_EQ(FromAnsi(std::string("\x00", 1)), std::string("\x00", 1));
    EXPECT_EQ(FromAnsi(""), "");
}

}  // namespace
}  // namespace qvset
