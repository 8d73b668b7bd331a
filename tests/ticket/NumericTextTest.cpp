#include <gtest/gtest.h>

#include <cmath>

#include "ticket/NumericText.h"

namespace qvset {
namespace {

struct ValueCase {
    const char* text;
    double value;
};

void PrintTo(const ValueCase& c, std::ostream* os) {
    *os << '"' << c.text << '"';
}

class NumericValueTest : public ::testing::TestWithParam<ValueCase> {};

TEST_P(NumericValueTest, ReadsTheNumberAtTheStart) {
    EXPECT_DOUBLE_EQ(NumericValue(GetParam().text), GetParam().value);
}

INSTANTIATE_TEST_SUITE_P(
    Table, NumericValueTest,
    ::testing::Values(ValueCase{"152", 152}, ValueCase{"", 0}, ValueCase{"abc", 0}, ValueCase{"27.5", 27.5},
                      ValueCase{"-3", -3}, ValueCase{"+4", 4}, ValueCase{".5", 0.5}, ValueCase{"5.", 5},
                      // blanks, tabs and line feeds are ignored anywhere
                      ValueCase{" 1 5 2 ", 152}, ValueCase{"\t1\n2", 12}, ValueCase{"- 7", -7},
                      // a carriage return is not a blank: reading stops there
                      ValueCase{"15\r2", 15}, ValueCase{"\r152", 0}, ValueCase{"152\r", 152},
                      // reading stops at the first character that does not fit
                      ValueCase{"5a", 5}, ValueCase{"1.5.3", 1.5}, ValueCase{"12mm", 12}, ValueCase{"1,5", 1},
                      ValueCase{"--1", 0}, ValueCase{".", 0}, ValueCase{"-", 0},
                      // exponents with E or D; an exponent without digits is not read
                      ValueCase{"1E3", 1000}, ValueCase{"1e3", 1000}, ValueCase{"2D2", 200},
                      ValueCase{"15E-1", 1.5}, ValueCase{"3E", 3}, ValueCase{"3E+", 3},
                      ValueCase{"1 e 2", 100},
                      // hexadecimal and octal prefixes
                      ValueCase{"&HFF", 255}, ValueCase{"&hff", 255}, ValueCase{"&H1G", 1},
                      ValueCase{"&O17", 15}, ValueCase{"&O9", 0}, ValueCase{"&H", 0}, ValueCase{"&X1", 0},
                      ValueCase{" & H 1 0", 16}));

TEST(NumericValue, HugeExponentIsInfinite) {
    EXPECT_TRUE(std::isinf(NumericValue("1E999")));
    EXPECT_TRUE(std::isinf(NumericValue("-1D999")));
}

TEST(RoundHalfEven, TiesGoToTheEvenNeighbour) {
    const double cases[][2] = {{0.5, 0},   {1.5, 2},    {2.5, 2},    {3.5, 4}, {-0.5, 0},  {-1.5, -2},
                               {-2.5, -2}, {2.4999, 2}, {2.5001, 3}, {7, 7},   {-7.6, -8}, {1120.0, 1120}};
    for (const auto& c : cases) EXPECT_EQ(RoundHalfEven(c[0]), c[1]) << c[0];
}

TEST(RoundToInt32, RefusesWhatDoesNotFit) {
    EXPECT_EQ(RoundToInt32(2147483647.4), 2147483647);
    EXPECT_FALSE(RoundToInt32(2147483648.0).has_value());
    EXPECT_EQ(RoundToInt32(-2147483648.0), -2147483647 - 1);
    EXPECT_FALSE(RoundToInt32(-2147483649.0).has_value());
    EXPECT_FALSE(RoundToInt32(INFINITY).has_value());
    EXPECT_FALSE(RoundToInt32(NAN).has_value());
}

}  // namespace
}  // namespace qvset
