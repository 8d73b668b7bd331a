#include <gtest/gtest.h>

#include "printer/AnsiText.h"
#include "printer/HexCodec.h"

namespace qvset {
namespace {

std::string Hex(const std::string& bytes) {
    return EncodeHex({bytes.begin(), bytes.end()});
}

TEST(AnsiText, ConvertsToGbk) {
    EXPECT_EQ(Hex(ToAnsi("AB")), "4142");
    EXPECT_EQ(Hex(ToAnsi("打印")), "B4F2D3A1");
    EXPECT_EQ(Hex(ToAnsi("啊")), "B0A1");
    EXPECT_EQ(Hex(ToAnsi("A打")), "41B4F2");
}

TEST(AnsiText, KeepsNulAndControlCharacters) {
    const std::string text("\x1B\x3A\x00\x00\x50", 5);
    EXPECT_EQ(Hex(ToAnsi(text)), "1B3A000050");
}

TEST(AnsiText, UnrepresentableCharactersBecomeQuestionMarks) {
    EXPECT_EQ(ToAnsi("a😀b"), "a?b");     // outside GBK's repertoire
    EXPECT_EQ(ToAnsi("x\xFFy"), "x?y");  // malformed UTF-8
    EXPECT_EQ(ToAnsi("\xE6\x89"), "?");  // truncated sequence at the end
    // tag characters, which iconv would drop: one "?" each, as every other character GBK lacks
    EXPECT_EQ(ToAnsi("a\xF3\xA0\x80\x81\xF3\xA0\x81\xBF"
                     "b"),
              "a??b");
    // Cyrillic is in GBK: its own double-byte codes, no question marks.
    EXPECT_EQ(Hex(ToAnsi("Привет")), "A7B1A7E2A7DAA7D3A7D6A7E4");
}

TEST(AnsiText, AnInvalidByteNeverSwallowsTheCharactersAfterIt) {
    const struct {
        const char* utf8;
        const char* gbk;
    } cases[] = {
        {"\xE4"
         "AB",
         "?AB"},  // a three-byte lead followed by ASCII
        {"\xF0\x9F"
         "AB",
         "?AB"},  // a four-byte sequence cut after two
        {"\xE4\xE4"
         "A",
         "??A"},  // two leads in a row
        {"\x80\x80"
         "A",
         "??A"},  // stray continuation bytes, one mark each
        {"\xC3"
         "\r\n",
         "?\r\n"},  // a line end after a lead byte stays
        {"\xE6\x89"
         "打",
         "?\xB4\xF2"},  // a cut sequence before a whole one
    };
    for (const auto& c : cases) EXPECT_EQ(ToAnsi(c.utf8), c.gbk) << Hex(c.utf8);
}

TEST(AnsiText, AByteThatIsNotGbkKeepsTheAsciiAfterIt) {
    EXPECT_EQ(FromAnsi("\x81"
                       "1"),
              "\xEF\xBF\xBD"
              "1");  // a lead byte before a digit
    EXPECT_EQ(FromAnsi("\xFF"
                       "A"),
              "\xEF\xBF\xBD"
              "A");
    EXPECT_EQ(FromAnsi("\xB4\xF2"), "打");
}

TEST(AnsiText, RoundTripsChineseText) {
    const std::string text = "黑标设置    打开\r\n纸张类型设置";
    EXPECT_EQ(FromAnsi(ToAnsi(text)), text);
}

TEST(AnsiText, ConvertsLongTexts) {
    std::string text;
    for (int i = 0; i < 20000; ++i) text += "打A";
    EXPECT_EQ(ToAnsi(text).size(), 60000u);
}

}  // namespace
}  // namespace qvset
