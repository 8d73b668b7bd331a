// The UTF-8 rules every conversion and check shares: what one character is, where a text stops being
// UTF-8, and how many columns a text takes.
#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "text/Utf8.h"

namespace qvset {
namespace {

TEST(Utf8, OneCharacterIsItsCodePointOrAMalformedSpan) {
    struct Row {
        std::string text;
        std::optional<char32_t> code;
        std::size_t span;
    };
    const Row rows[] = {
        {"A", U'A', 1},
        {std::string("\0", 1), U'\0', 1},
        {"\xC2\x80", 0x80, 2},
        {"\xDF\xBF", 0x7FF, 2},
        {"\xE0\xA0\x80", 0x800, 3},
        {"打", 0x6253, 3},
        {"\xEF\xBF\xBF", 0xFFFF, 3},
        {"\xF4\x8F\xBF\xBF", 0x10FFFF, 4},
        {"😀x", 0x1F600, 4},
        {"\x80", std::nullopt, 1},              // a continuation byte alone
        {"\xFF", std::nullopt, 1},              // a byte that starts nothing
        {"\xC0\x80", std::nullopt, 2},          // an overlong zero
        {"\xC1\xBF", std::nullopt, 2},          // an overlong DEL
        {"\xE0\x80\x80", std::nullopt, 3},      // an overlong three-byte form
        {"\xF0\x8F\xBF\xBF", std::nullopt, 4},  // an overlong four-byte form
        {"\xED\xA0\x80", std::nullopt, 3},      // a surrogate written as UTF-8
        {"\xF4\x90\x80\x80", std::nullopt, 4},  // above U+10FFFF
        {"\xF5\x80\x80\x80", std::nullopt, 4},  // a lead beyond U+10FFFF
        {"\xE4\x41", std::nullopt, 1},          // cut short: the A is not swallowed
        {"\xE6\x89", std::nullopt, 2},          // cut short by the end
    };
    for (const Row& row : rows) {
        const Utf8Character character = ReadUtf8Character(row.text);
        EXPECT_EQ(character.code, row.code) << testing::PrintToString(row.text);
        EXPECT_EQ(character.span, row.span) << testing::PrintToString(row.text);
    }
}

TEST(Utf8, TheFirstInvalidByteIsWhereTheFirstMalformedSequenceStarts) {
    struct Row {
        std::string text;
        std::optional<std::size_t> offset;
    };
    const Row rows[] = {
        {"", std::nullopt}, {"{\"state\": \"打印\"}", std::nullopt},
        {"ok\xFF", 2},      {"打\xE6\x89", 3},
        {"a\xC0\x80z", 1},  {"ab\xED\xA0\x80", 2},
        {"\x80", 0},
    };
    for (const Row& row : rows)
        EXPECT_EQ(FirstInvalidUtf8(row.text), row.offset) << testing::PrintToString(row.text);
}

TEST(Utf8, ColumnsCountCharactersAndPaddingFillsUpToTheWidth) {
    EXPECT_EQ(Utf8Columns(""), 0u);
    EXPECT_EQ(Utf8Columns("QV640"), 5u);
    EXPECT_EQ(Utf8Columns("打印机"), 3u);
    EXPECT_EQ(Utf8Columns("1B \xE2\x80\xA6"), 4u);  // the listing's cut mark is one column
    EXPECT_EQ(PadToColumns("打印", 5), "打印   ");
    EXPECT_EQ(PadToColumns("ok", 2), "ok");
    EXPECT_EQ(PadToColumns("longer", 3), "longer");
}

}  // namespace
}  // namespace qvset
