// The printer's state as a printer application reports it: the attribute text of each setting's
// command and document, read back and joined with the -default values, and the state qvctl plans
// against built from it in place of the PC's own record.
#include <gtest/gtest.h>

#include "decode/CommandDecoder.h"
#include "printer/HexCodec.h"
#include "printer/ServiceSettings.h"
#include "record/RecordWithServer.h"
#include "record/TicketPlan.h"

namespace qvset {
namespace {

TEST(ServiceStateReadTest, SettingSentTextsReadBackOrAreRefused) {
    const struct {
        std::string text;
        bool read;
        std::string name, command, job, when, sender;
    } cases[] = {
        {"qvset-black-mark;1B4202;job 3 #4;2026-12-09T14:02:11Z;alice@pc7", true, "qvset-black-mark",
         "1B4202", "job 3 #4", "2026-12-09T14:02:11Z", "alice@pc7"},
        // The sender is last and keeps its own separators.
        {"qvset-paper;1b4205;settings #2;;a;b", true, "qvset-paper", "1b4205", "settings #2", "", "a;b"},
        {"qvset-black-mark;1B4202;job 3", false, "", "", "", "", ""},
        {"black-mark;1B4202;j;w;s", false, "", "", "", "", ""},
        {"qvset-;1B4202;j;w;s", false, "", "", "", "", ""},
        {"qvset-paper;1B420;j;w;s", false, "", "", "", "", ""},
        {"qvset-paper;1B42zz;j;w;s", false, "", "", "", "", ""},
    };
    for (const auto& c : cases) {
        const auto read = ParseSettingSent(c.text);
        ASSERT_EQ(read.has_value(), c.read) << c.text;
        if (!read) continue;
        EXPECT_EQ(read->name, c.name);
        EXPECT_EQ(read->command, c.command);
        EXPECT_EQ(read->job, c.job);
        EXPECT_EQ(read->when, c.when);
        EXPECT_EQ(read->sender, c.sender);
        EXPECT_EQ(SettingSentText(*read), c.text);
    }
}

TEST(ServiceStateReadTest, SentEntriesJoinTheirDefaultsByNameAndKeepTheDefaultsOrder) {
    const auto joined = JoinServiceSettings(
        {{"qvset-black-mark", "on"}, {"qvset-edge", "high"}},
        {"qvset-ticket-length;1D28460400040065 03;x;y;z",
         "qvset-ticket-length;1D2846040004006503;job 2;w;bob", "qvset-black-mark;1B4202;job 1;t;alice"});
    ASSERT_EQ(joined.size(), 3u);
    EXPECT_EQ(joined[0], (ServiceSetting{"qvset-black-mark", "on", "1B4202", "job 1", "t", "alice"}));
    // A default no document set (the model's edge) says no job.
    EXPECT_EQ(joined[1], (ServiceSetting{"qvset-edge", "high"}));
    // A damaged entry is left out; the sound one of the same name stays.
    EXPECT_EQ(joined[2],
              (ServiceSetting{"qvset-ticket-length", "", "1D2846040004006503", "job 2", "w", "bob"}));
}

TEST(ServiceStateReadTest, TheServiceStateReplacesTheRecordsSettingsAndKeepsWhatItDoesNotReport) {
    // The PC's record: black mark off, paper 76, one mode value and an unknown paper item.
    RecordedState record;
    record.state.Apply(DecodeDocument(*DecodeHex("1B42031B4204")), "local");
    record.unknown.emplace(2, "job 9 on the server is not in this record");
    // The service: black mark on by its command, paper 58 by its value alone, an unknown name.
    const auto state =
        StateFromService({{"qvset-black-mark", "on", "1B4202", "job 1 #1", "2026-12-09T14:02:11Z", "bob"},
                          {"qvset-paper", "58"},
                          {"qvset-no-such-setting", "on"}},
                         record);
    ASSERT_EQ(state.state.Switches().size(), 2u);
    EXPECT_EQ(EncodeHex(state.state.Switches().at(1).bytes), "1B4202");
    EXPECT_NE(state.state.Switches().at(1).job.find("bob"), std::string::npos);
    EXPECT_EQ(state.setAt.at(1), "2026-12-09T14:02:11Z");
    EXPECT_EQ(EncodeHex(state.state.Switches().at(2).bytes), "1B4205");
    // The service saw every document: the record's doubt about the paper is gone.
    EXPECT_TRUE(state.unknown.empty());

    // The plan against it sends what differs from the service, not from the record.
    TicketDescription description;
    description.SetCode(1, 99);  // black mark on: the service holds it
    description.SetCode(2, 99);  // paper 76: the service holds 58
    const auto plan = PlanTicket(description, state.state, state.unknown);
    ASSERT_TRUE(plan.has_value());
    ASSERT_EQ(plan->size(), 2u);
    EXPECT_EQ((*plan)[0].reason, ItemPlanReason::Same);
    EXPECT_EQ((*plan)[1].reason, ItemPlanReason::Differs);
}

}  // namespace
}  // namespace qvset
