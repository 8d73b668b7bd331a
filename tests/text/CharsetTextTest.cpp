// The conversions between UTF-8 and a terminal's character set: one "?" (U+FFFD) per character that
// cannot be converted, whatever kind of character it is.
#include <gtest/gtest.h>

#include "text/CharsetText.h"
#include "text/Utf8.h"

namespace qvset {
namespace {

constexpr const char* kReplacement = "\xEF\xBF\xBD";

TEST(CharsetText, EachCharacterTheTargetCannotHoldIsOneQuestionMark) {
    const struct {
        std::string utf8;
        std::string gb18030;
    } cases[] = {
        {"a\xF3\xA0\x80\x81"
         "b",
         "a?b"},                                     // a tag character, which iconv would drop
        {"\xF3\xA0\x80\x81\xF3\xA0\x81\xBF", "??"},  // the first and the last tag character
        {"\xF3\xA0\x81", "?"},                       // a tag character cut short
        {"\xFF"
         "A",
         "?A"},  // malformed
    };
    for (const auto& c : cases) EXPECT_EQ(Utf8ToCharset(c.utf8, "GB18030"), c.gb18030) << c.utf8;
    EXPECT_EQ(ReplaceTagCharacters("x\xF3\xA0\x80\x80y\xF3\xA0\x82\x80", "?"), "x?y\xF3\xA0\x82\x80");
}

TEST(CharsetText, AGb18030FourByteFormThatIsNoCharacterIsOneReplacement) {
    // 84 31 A5 30 has the four-byte form but stands for no character: one U+FFFD, its digits with it.
    EXPECT_EQ(CharsetToUtf8("\x84\x31\xA5\x30"
                            "A",
                            "GB18030"),
              std::string(kReplacement) + "A");
    EXPECT_EQ(CharsetToUtf8("\xFE\x39\xFE\x39\x84\x31\xA4\x39", "gb18030"),
              std::string(kReplacement) + "\xEF\xBF\xBF");  // 84 31 A4 39 is U+FFFF
    // Elsewhere a bad lead byte alone is replaced: what follows it is read again.
    EXPECT_EQ(CharsetToUtf8("\x81\x30"
                            "A",
                            "GB18030"),
              std::string(kReplacement) + "0A");
    EXPECT_EQ(CharsetToUtf8("\x84\x31"
                            "A",
                            "GBK"),
              std::string(kReplacement) + "1A");
}

}  // namespace
}  // namespace qvset
