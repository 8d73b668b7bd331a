#include <gtest/gtest.h>

#include "printer/HexCodec.h"
#include "settings/FlagCommands.h"

namespace qvset {
namespace {

struct FlagCase {
    int item;
    std::int16_t code;
    const char* hex;
};

TEST(BuildFlagCommand, EveryRecordedChoiceBuildsItsEscB) {
    const FlagCase cases[] = {
        {10, 99, "1B4201"}, {1, 99, "1B4202"}, {1, 88, "1B4203"}, {2, 99, "1B4204"}, {2, 88, "1B4205"},
        {5, 99, "1B4206"},  {5, 88, "1B4207"}, {6, 99, "1B4208"}, {6, 88, "1B4209"}, {3, 99, "1B420A"},
        {3, 88, "1B420B"},  {4, 99, "1B420C"}, {4, 88, "1B420D"}, {11, 1, "1B420E"}, {11, 2, "1B420F"},
        {11, 3, "1B4210"},  {11, 4, "1B4211"}, {11, 5, "1B4212"}, {11, 6, "1B4213"}, {11, 7, "1B4214"},
        {11, 8, "1B4215"},
    };
    for (const auto& c : cases) EXPECT_EQ(BuildFlagCommand(c.item, c.code), c.hex) << c.item << "/" << c.code;
}

TEST(BuildFlagCommand, CodesWithoutAChoiceBuildNothing) {
    const FlagCase cases[] = {{1, 0, ""},   {1, 5, ""},  {10, 88, ""}, {11, 0, ""}, {11, 9, ""},
                              {11, 99, ""}, {7, 99, ""}, {8, 99, ""},  {9, 99, ""}, {0, 99, ""},
                              {12, 99, ""}, {2, 1, ""},  {6, -99, ""}, {4, 100, ""}};
    for (const auto& c : cases) EXPECT_EQ(BuildFlagCommand(c.item, c.code), "") << c.item << "/" << c.code;
}

TEST(SwitchChoices, RunFromOneToTwentyOneWithoutGapsAndDecodeToThreeBytes) {
    const auto table = SwitchChoices();
    ASSERT_EQ(table.size(), 21u);
    for (std::size_t i = 0; i < table.size(); ++i) {
        EXPECT_EQ(table[i].n, i + 1);
        const auto bytes = DecodeHex(BuildFlagCommand(table[i].item, table[i].code));
        ASSERT_TRUE(bytes);
        EXPECT_EQ(*bytes, (std::vector<std::uint8_t>{0x1B, 0x42, table[i].n}));
    }
}

}  // namespace
}  // namespace qvset
