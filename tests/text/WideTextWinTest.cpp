// The one conversion between the program's UTF-8 and Windows' UTF-16, and what it makes of what is
// not text.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "text/WideText.h"

namespace qvset {
namespace {

std::vector<std::uint16_t> Units(const std::wstring& wide) {
    return {wide.begin(), wide.end()};
}

std::wstring Wide(const std::vector<std::uint16_t>& units) {
    std::wstring wide;
    for (const std::uint16_t unit : units) wide.push_back(static_cast<wchar_t>(unit));
    return wide;
}

constexpr std::uint16_t kFffd = 0xFFFD;

TEST(WideText, Utf8BecomesUtf16AndEachMalformedSequenceOneReplacement) {
    struct Row {
        std::string utf8;
        std::vector<std::uint16_t> utf16;
    };
    const Row rows[] = {
        {"", {}},
        {"A", {0x41}},
        {std::string("\0", 1), {0}},
        {"\xC2\x80", {0x80}},
        {"\xDF\xBF", {0x7FF}},
        {"\xE0\xA0\x80", {0x800}},
        {"打印", {0x6253, 0x5370}},
        {"\xEF\xBF\xBF", {0xFFFF}},
        {"😀", {0xD83D, 0xDE00}},
        {"\xF4\x8F\xBF\xBF", {0xDBFF, 0xDFFF}},
        {"\x80", {kFffd}},              // a continuation byte alone
        {"\xFF", {kFffd}},              // a byte that starts nothing
        {"\xC0\x80", {kFffd}},          // an overlong zero
        {"\xE0\x80\x80", {kFffd}},      // an overlong three-byte form
        {"\xF0\x8F\xBF\xBF", {kFffd}},  // an overlong four-byte form
        {"\xED\xA0\x80", {kFffd}},      // a surrogate written as UTF-8
        {"\xF4\x90\x80\x80", {kFffd}},  // above U+10FFFF
        {"\xE4\x41", {kFffd, 0x41}},    // cut short: the A is read on its own
        {"\xE6\x89", {kFffd}},          // cut short by the end
        {"\xF0\x9F\x98", {kFffd}},      // cut short by the end
        {"a\xE6\x89\xE6\x89\x93", {0x61, kFffd, 0x6253}},
        {"\xF8\x88\x80", {kFffd, kFffd, kFffd}},  // no lead: each byte on its own
        {"\x80\x80", {kFffd, kFffd}},
    };
    for (const Row& row : rows) {
        std::string hex;
        for (const char c : row.utf8) hex += std::to_string(static_cast<unsigned char>(c)) + " ";
        EXPECT_EQ(Units(ToWide(row.utf8)), row.utf16) << hex;
    }
}

TEST(WideText, TheReplacementCanBeChosen) {
    EXPECT_EQ(Units(ToWide("a\x80"
                           "b\xE4",
                           L'?')),
              (std::vector<std::uint16_t>{'a', '?', 'b', '?'}));
}

TEST(WideText, Utf16BecomesUtf8AndALoneSurrogateU_FFFD) {
    struct Row {
        std::vector<std::uint16_t> utf16;
        std::string utf8;
    };
    const Row rows[] = {
        {{}, ""},
        {{0}, std::string("\0", 1)},
        {{0x41, 0x6253}, "A打"},
        {{0x7F, 0x80, 0x7FF, 0x800, 0xFFFF}, "\x7F\xC2\x80\xDF\xBF\xE0\xA0\x80\xEF\xBF\xBF"},
        {{0xD83D, 0xDE00}, "😀"},
        {{0xDBFF, 0xDFFF}, "\xF4\x8F\xBF\xBF"},
        {{0xD83D}, "\xEF\xBF\xBD"},  // a high half at the end
        {{0xD83D, 0x41},
         "\xEF\xBF\xBD"
         "A"},                                           // a high half before a character
        {{0xDE00, 0xD83D}, "\xEF\xBF\xBD\xEF\xBF\xBD"},  // the halves the wrong way round
        {{0xD83D, 0xD83D, 0xDE00},
         "\xEF\xBF\xBD"
         "😀"},  // two high halves, then a low one
    };
    for (const Row& row : rows) {
        EXPECT_EQ(ToUtf8(Wide(row.utf16)), row.utf8) << row.utf16.size() << " units";
    }
}

}  // namespace
}  // namespace qvset
