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
    EXPECT_EQ(ToAnsi("a😀b"), "a?b");                // outside GBK's repertoire
    EXPECT_EQ(ToAnsi("x\xFFy"), "x?y");             // malformed UTF-8
    EXPECT_EQ(ToAnsi("\xE6\x89"), "?");             // truncated sequence at the end
    EXPECT_EQ(ToAnsi("Привет"), ToAnsi("Привет"));  // Cyrillic is in GBK: no question marks
    EXPECT_EQ(ToAnsi("Привет").find('?'), std::string::npos);
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
