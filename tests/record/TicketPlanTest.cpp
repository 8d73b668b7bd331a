// A ticket description planned against what a printer was last sent: each item's reason, the one
// document --changed-only sends (the items not the same, in item order) and whether the baud rate
// notice goes with it.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "decode/CommandDecoder.h"
#include "printer/HexCodec.h"
#include "record/TicketPlan.h"
#include "ticket/Catalogue.h"

namespace qvset {
namespace {

struct Code {
    int item;
    std::int16_t code;
    std::string distance = {};  // the text of a distance recorded as kCodeFirst
};

TicketDescription DescriptionOf(const std::vector<Code>& codes) {
    TicketDescription description;
    for (const Code& c : codes) {
        description.SetCode(c.item, c.code);
        if (!c.distance.empty()) description.SetDistanceText(c.item, c.distance);
    }
    return description;
}

// The state the documents leave, each document the job "job N" by its place.
PrinterState StateOf(const std::vector<std::string>& documents) {
    PrinterState state;
    for (std::size_t d = 0; d < documents.size(); ++d) {
        state.Apply(DecodeDocument(*DecodeHex(documents[d])), "job " + std::to_string(d + 1));
    }
    return state;
}

// "item:reason" for each item planned, in the plan's order.
std::string Reasons(const std::vector<ItemPlan>& plan) {
    std::string words;
    for (const ItemPlan& entry : plan) {
        words += (words.empty() ? "" : " ") + std::to_string(entry.item) + ":" +
                 std::string(ItemPlanReasonWord(entry.reason));
    }
    return words;
}

constexpr const char* kBlackMarkOn = "1B4202";
constexpr const char* kBlackMarkOff = "1B4203";
constexpr const char* kPaper76 = "1B4204";
constexpr const char* kPaper58 = "1B4205";
constexpr const char* kRecalibrate = "1B4201";
constexpr const char* kBaud1 = "1B420E";
constexpr const char* kBaud4 = "1B4210";
constexpr const char* kLength100 = "1D2846040004003C02";
constexpr const char* kLength152 = "1D2846040004006503";

TEST(TicketPlanTest, EachItemHasItsReasonAndTheBatchIsTheItemsNotTheSameInItemOrder) {
    const struct {
        std::string name;
        std::vector<Code> codes;
        std::vector<std::string> sent;       // what the printer was sent, document by document
        std::map<int, std::string> unknown;  // items whose state the record cannot say
        std::string reasons;
        std::string bytes;
        bool baudNotice;
    } cases[] = {
        {"nothing sent yet",
         {{1, 99}, {2, 88}},
         {},
         {},
         "1:no record 2:no record",
         std::string(kBlackMarkOn) + kPaper58,
         false},
        {"one the same, one another value",
         {{1, 99}, {2, 88}},
         {std::string(kBlackMarkOn) + kPaper76},
         {},
         "1:same 2:differs",
         kPaper58,
         false},
        {"the last document counts",
         {{1, 99}},
         {kBlackMarkOn, kBlackMarkOff},
         {},
         "1:differs",
         kBlackMarkOn,
         false},
        {"everything the same sends nothing",
         {{1, 99}, {2, 88}},
         {kPaper58, kBlackMarkOn},
         {},
         "1:same 2:same",
         "",
         false},
        {"an unknown item is sent though it looks the same",
         {{1, 99}, {2, 88}},
         {std::string(kBlackMarkOn) + kPaper58},
         {{2, "its document may not have printed"}},
         "1:same 2:unknown",
         kPaper58,
         false},
        {"a new baud rate is sent with its notice",
         {{2, 99}, {11, 3}},
         {kBaud1},
         {},
         "2:no record 11:differs",
         std::string(kPaper76) + kBaud4,
         true},
        {"the same baud rate is neither sent nor noticed",
         {{2, 99}, {11, 3}},
         {kBaud4},
         {},
         "2:no record 11:same",
         kPaper76,
         false},
        {"item order, whatever the order of the choices",
         {{11, 3}, {10, 99}, {1, 88}},
         {},
         {},
         "1:no record 10:no record 11:no record",
         std::string(kBlackMarkOff) + kRecalibrate + kBaud4,
         true},
        {"a distance against its geometry command",
         {{7, 99, "100"}, {1, 99}},
         {kLength152, kBlackMarkOn},
         {},
         "1:same 7:differs",
         kLength100,
         false},
        {"a negative distance is planned as its default, as it is sent",
         {{7, 99, "-5"}},
         {kLength152},
         {},
         "7:same",
         "",
         false},
        {"a code that builds nothing is no item of the plan",
         {{1, 5}, {2, 99}},
         {},
         {},
         "2:no record",
         kPaper76,
         false},
    };
    for (const auto& c : cases) {
        const TicketDescription description = DescriptionOf(c.codes);
        const auto plan = PlanTicket(description, StateOf(c.sent), c.unknown);
        ASSERT_TRUE(plan) << c.name;
        EXPECT_EQ(Reasons(*plan), c.reasons) << c.name;
        const PlannedBatch batch = BatchOfPlan(*plan);
        EXPECT_EQ(EncodeHex(batch.bytes), c.bytes) << c.name;
        EXPECT_EQ(batch.baudNotice, c.baudNotice) << c.name;
        for (const ItemPlan& entry : *plan) {
            EXPECT_EQ(entry.why.empty(), entry.reason != ItemPlanReason::Unknown) << c.name << entry.item;
            if (entry.reason == ItemPlanReason::Unknown) continue;
            EXPECT_EQ(entry.recorded.has_value(), entry.reason != ItemPlanReason::NotRecorded)
                << c.name << entry.item;
        }
    }
}

TEST(TicketPlanTest, TheRecordedCommandNamesTheDocumentThatSentIt) {
    const auto plan = PlanTicket(DescriptionOf({{1, 99}, {2, 88}}), StateOf({kBlackMarkOff, kPaper58}));
    ASSERT_TRUE(plan);
    ASSERT_EQ(plan->size(), 2u);
    ASSERT_TRUE((*plan)[0].recorded);
    EXPECT_EQ(EncodeHex((*plan)[0].recorded->bytes), kBlackMarkOff);
    EXPECT_EQ((*plan)[0].recorded->job, "job 1");
    EXPECT_EQ(EncodeHex((*plan)[0].wanted), kBlackMarkOn);
    ASSERT_TRUE((*plan)[1].recorded);
    EXPECT_EQ((*plan)[1].recorded->job, "job 2");
}

TEST(TicketPlanTest, ADistanceOutOfRangeHasNoPlan) {
    EXPECT_FALSE(PlanTicket(DescriptionOf({{1, 99}, {7, 99, "99999"}}), PrinterState{}));
    EXPECT_TRUE(PlanTicket(DescriptionOf({{1, 99}, {7, 99, "100"}}), PrinterState{}));
}

}  // namespace
}  // namespace qvset
