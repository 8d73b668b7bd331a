#include <gtest/gtest.h>

#include <cmath>
#include <optional>
#include <string>

#include "printer/SpoolerDeadline.h"
#include "support/DecimalCommaLocale.h"
#include "ticket/NumericText.h"
#include "ticket/TicketGeometry.h"
#include "tuning/TuningRuns.h"

namespace qvset {
namespace {

// Typed numbers keep "." as their point whatever the process locale says.
using TypedNumbersUnderDecimalComma = testing::DecimalCommaLocale;

TEST_F(TypedNumbersUnderDecimalComma, ReadWithAPoint) {
    const struct {
        const char* text;
        double value;
    } cases[] = {{"44.8", 44.8},   {"152.5", 152.5},   {"-0.75", -0.75}, {"+.5", 0.5}, {"1.5E1", 15},
                 {"2.5D-1", 0.25}, {" 4 0 . 5", 40.5}, {"1,5", 1},       {"3.", 3},    {"&H1F", 31}};
    for (const auto& c : cases) EXPECT_DOUBLE_EQ(NumericValue(c.text), c.value) << '"' << c.text << '"';
    EXPECT_TRUE(std::isinf(NumericValue("1.5E999")));
    EXPECT_EQ(NumericValue("-1.5E-999"), 0.0);
}

TEST_F(TypedNumbersUnderDecimalComma, GeometryCommandsCountTheFraction) {
    const struct {
        std::uint8_t fn;
        const char* millimetres;
        const char* command;
    } cases[] = {{kFnBlackMarkOffset, "44.8", "1D2846040006000001"},
                 {kFnTicketLength, "152.5", "1D2846040004006803"},
                 {kFnStartOffset, "0.2", "1D2846040005000200"}};
    for (const auto& c : cases) {
        EXPECT_EQ(BuildGeometryCommand(c.fn, c.millimetres), std::optional<std::string>(c.command))
            << c.millimetres;
    }
    EXPECT_EQ(BuildTicketFormatCommand(1, "152.5", "20.5", "27.9"),
              std::optional<std::string>("1D2846040001017400"
                                         "1D2846040002009E00"
                                         "1D2846040003006203"));
}

TEST_F(TypedNumbersUnderDecimalComma, ModeValueCapSeesTheFraction) {
    EXPECT_EQ(ClampModeValue("40.5"), "40");
    EXPECT_EQ(ClampModeValue("40.0"), "40.0");
}

TEST_F(TypedNumbersUnderDecimalComma, SpoolerDeadlineSecondsTakeAPoint) {
    EXPECT_EQ(ParseSpoolerDeadline("2.5"), std::chrono::milliseconds(2500));
    EXPECT_EQ(ParseSpoolerDeadline("0.25"), std::chrono::milliseconds(250));
    EXPECT_EQ(ParseSpoolerDeadline("2,5"), std::nullopt);
}

}  // namespace
}  // namespace qvset
