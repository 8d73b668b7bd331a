#include "service/ServiceState.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "record/SettingAttributes.h"
#include "support/TestFolder.h"

namespace qvset {
namespace {

std::vector<std::uint8_t> Bytes(std::initializer_list<int> values) {
    std::vector<std::uint8_t> bytes;
    for (const int value : values) bytes.push_back(static_cast<std::uint8_t>(value));
    return bytes;
}

ServiceJob Job(std::string label, std::string sender = "alice@pc1") {
    return ServiceJob{std::move(label), "2026-12-09T14:00:00Z", std::move(sender), "ticket", 3};
}

TEST(ServiceStateTest, DocumentsFromEverySenderFoldInOrderAndSayWhoSentEachSetting) {
    ServiceState state;
    state.ApplyDocument(Bytes({0x1B, 0x42, 0x02, 0x1B, 0x42, 0x04}), Job("job 1 #1", "alice@pc1"));
    state.ApplyDocument(Bytes({0x1B, 0x42, 0x03}), Job("job 2 #2", "bob@pc2"));
    state.ApplyDocument(Bytes({0x1B, 0x42, 0x0D}), Job("settings #3", "carol@192.0.2.9"));
    const auto& black = *FindSettingAttribute("qvset-black-mark");
    EXPECT_EQ(SettingValue(black, state.State()), "off");
    const ServiceJob* last = state.FindJob(SettingJob(black, state.State()));
    ASSERT_NE(last, nullptr);
    EXPECT_EQ(last->sender, "bob@pc2");
    EXPECT_EQ(SettingValue(*FindSettingAttribute("qvset-paper"), state.State()), "76");
    EXPECT_EQ(state.FindJob(SettingJob(*FindSettingAttribute("qvset-edge"), state.State()))->sender,
              "carol@192.0.2.9");
    ASSERT_EQ(state.Journal().size(), 3U);
    EXPECT_EQ(state.Journal()[0].job, "job 1 #1");
    EXPECT_EQ(state.Journal()[2].job, "settings #3");
}

TEST(ServiceStateTest, ADocumentIsCountedOnce) {
    ServiceState state;
    state.ApplyDocument(Bytes({0x1B, 0x42, 0x02}), Job("job 1 #1"));
    state.ApplyDocument(Bytes({0x1B, 0x42, 0x03}), Job("job 2 #2"));
    state.ApplyDocument(Bytes({0x1B, 0x42, 0x02}), Job("job 1 #1"));  // the same document again
    EXPECT_EQ(state.Journal().size(), 2U);
    EXPECT_EQ(SettingValue(*FindSettingAttribute("qvset-black-mark"), state.State()), "off");
}

TEST(ServiceStateTest, TheJournalIsBoundedButKeepsTheJobsTheStateNames) {
    ServiceState state;
    state.ApplyDocument(Bytes({0x1B, 0x42, 0x05}), Job("paper #1"));  // paper 58, never sent again
    for (std::size_t i = 0; i < kMostJournalJobs + 50; ++i) {
        state.ApplyDocument(Bytes({0x1B, 0x42, i % 2 == 0 ? 0x02 : 0x03}),
                            Job("job #" + std::to_string(i + 2)));
    }
    EXPECT_LE(state.Journal().size(), kMostJournalJobs + 1);
    EXPECT_NE(state.FindJob("paper #1"), nullptr);
    EXPECT_EQ(state.FindJob("job #2"), nullptr);
    EXPECT_EQ(state.Journal().back().job, "job #" + std::to_string(kMostJournalJobs + 51));
}

TEST(ServiceStateTest, TheStateFileGivesBackTheSameStateAndADamagedOneIsRefused) {
    testing::TestFolder folder("service-state");
    const auto path = folder.Path() / "printer-1.json";
    auto missing = ServiceState::Load(path);
    ASSERT_TRUE(missing);
    EXPECT_TRUE(missing->State().IsEmpty());

    ServiceState state;
    state.TakeSequence();
    state.ApplyDocument(Bytes({0x1B, 0x42, 0x0B, 0x1D, 0x28, 0x46, 0x04, 0x00, 0x04, 0x00, 0x65, 0x03}),
                        Job("job 7 #1"));
    ASSERT_TRUE(state.Save(path));
    const auto loaded = ServiceState::Load(path);
    ASSERT_TRUE(loaded);
    EXPECT_EQ(loaded->ToJson(), state.ToJson());
    EXPECT_EQ(loaded->NextSequence(), 2U);
    EXPECT_EQ(SettingValue(*FindSettingAttribute("qvset-ticket-length"), loaded->State()), "152");
    EXPECT_EQ(loaded->Journal(), state.Journal());

    std::ofstream(path) << "{\"sequence\": 1, \"journal\": [";
    std::string error;
    EXPECT_FALSE(ServiceState::Load(path, &error));
    EXPECT_FALSE(error.empty());
}

}  // namespace
}  // namespace qvset
