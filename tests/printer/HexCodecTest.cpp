#include <gtest/gtest.h>

#include "printer/HexCodec.h"

namespace qvset {
namespace {

struct HexCase {
    const char* text;
    const char* bytes;  // expected bytes as upper-case hex
};

void PrintTo(const HexCase& c, std::ostream* os) {
    *os << '"' << c.text << '"';
}

class DecodeHexTest : public ::testing::TestWithParam<HexCase> {};

TEST_P(DecodeHexTest, DecodesPairsWithTheOddLengthRule) {
    const auto bytes = DecodeHex(GetParam().text);
    ASSERT_TRUE(bytes.has_value()) << GetParam().text;
    EXPECT_EQ(EncodeHex(*bytes), GetParam().bytes) << GetParam().text;
}

INSTANTIATE_TEST_SUITE_P(Table, DecodeHexTest,
                         ::testing::Values(HexCase{"0C", "0C"}, HexCase{"1B4A15", "1B4A15"},
                                           HexCase{"1b4a15", "1B4A15"}, HexCase{"1B4a15", "1B4A15"},
                                           // length 1: the single digit is a byte
                                           HexCase{"7", "07"},
                                           // length 3: the third character is ignored
                                           HexCase{"1BF", "1B"},
                                           // length 5: the fifth character alone is a byte
                                           HexCase{"1B4A1", "1B4A01"},
                                           // length 7: the seventh character is ignored
                                           HexCase{"1B4A15F", "1B4A15"}, HexCase{"1B4A15F0C", "1B4A15F00C"},
                                           HexCase{"1B4A15F0C1D", "1B4A15F0C1"},
                                           // a blank beside a digit in a pair is trimmed
                                           HexCase{"A 0B", "0A0B"}, HexCase{" A0B", "0A0B"},
                                           HexCase{"00FF", "00FF"}));

TEST(DecodeHex, ByteCountFollowsRoundingWithTiesToEven) {
    const std::size_t expected[] = {0, 1, 1, 1, 2, 3, 3, 3, 4, 5, 5, 5, 6};
    for (std::size_t length = 0; length < std::size(expected); ++length) {
        EXPECT_EQ(HexByteCount(length), expected[length]) << "length " << length;
    }
}

TEST(DecodeHex, RefusesTextsThatCannotBeConverted) {
    for (const char* text : {"", "  ", "1B  ", "1G", "ZZ", "1B4A1X", "+1", "0x"}) {
        EXPECT_FALSE(DecodeHex(text).has_value()) << '"' << text << '"';
    }
}

TEST(DecodeHex, EveryByteValueRoundTrips) {
    std::vector<std::uint8_t> all;
    for (int i = 0; i < 256; ++i) all.push_back(static_cast<std::uint8_t>(i));
    const auto decoded = DecodeHex(EncodeHex(all));
    ASSERT_TRUE(decoded.has_value());
    EXPECT_EQ(*decoded, all);
}

TEST(DecodeStrictHex, ReadsTwoDigitsPerByteAndRefusesEverythingElse) {
    EXPECT_EQ(DecodeStrictHex(""), std::vector<std::uint8_t>{});
    EXPECT_EQ(DecodeStrictHex("1b4A00ff"), (std::vector<std::uint8_t>{0x1B, 0x4A, 0x00, 0xFF}));
    for (const char* text : {"1B4", "1B 4A", " 1B", "1G", "0x1B", "+1"}) {
        EXPECT_FALSE(DecodeStrictHex(text).has_value()) << '"' << text << '"';
    }
}

TEST(HexPair, UpperAndLowerCaseDigitsOfOneByte) {
    EXPECT_EQ(HexPair(0x0A), "0A");
    EXPECT_EQ(HexPair(0xFF), "FF");
    EXPECT_EQ(LowerHexPair(0x9F), "9f");
    EXPECT_EQ(LowerHexPair(0x00), "00");
}

}  // namespace
}  // namespace qvset
