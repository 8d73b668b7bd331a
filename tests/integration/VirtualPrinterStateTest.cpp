// The virtual QV6 printer behind the private CUPS server: what qvctl sends to it is what
// qvctl printer-state then shows, item by item, with the job that set it.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <map>
#include <nlohmann/json.hpp>
#include <set>

#include "Sandbox.h"
#include "printer/HexCodec.h"
#include "support/TestFolder.h"

namespace qvset {
namespace {

namespace fs = std::filesystem;
using testing::Sandbox;
using Json = nlohmann::json;

class VirtualPrinterStateTest : public ::testing::Test {
  protected:
    // Each test has a virtual printer of its own, so that no other test's jobs are in its state.
    void SetUp() override {
        Sandbox::UseClientEnvironment();
        static int made = 0;
        queue = "QV640_State_" + std::to_string(::getpid()) + "_" + std::to_string(++made);
        ASSERT_EQ(Sandbox::Shell(std::string(QVSET_SANDBOX_SCRIPT) + " add-queue " + QVSET_SANDBOX_DIR + " " +
                                 queue + " >/dev/null"),
                  0);
        folder = fs::path(QVSET_SANDBOX_DIR) / "capture" / queue;
    }
    void TearDown() override { Sandbox::Shell("lpadmin -x " + queue); }

    // printer-state --json of the test's printer, found through its device URI.
    Json StateOf() {
        const auto result = Sandbox::RunQvctl("--printer " + queue + " printer-state --json");
        EXPECT_EQ(result.status, 0) << result.err;
        EXPECT_EQ(result.err, "virtual printer state " + (folder / "state.json").string() +
                                  " (the folder of " + queue +
                                  ", the current printer (qvprinter:" + folder.string() + "))\n");
        return Json::parse(result.out, nullptr, false);
    }

    static std::set<std::string> Keys(const Json& section) {
        std::set<std::string> keys;
        for (const auto& [key, value] : section.items()) keys.insert(key);
        return keys;
    }

    std::string queue;
    fs::path folder;
};

TEST_F(VirtualPrinterStateTest, TicketApplyLeavesExactlyTheRecordedItems) {
    const testing::TestFolder ticketFolder("qvset-state-");
    const fs::path ticket = ticketFolder.Path() / (queue + ".txt");
    const auto made = Sandbox::RunQvctl("ticket new " + ticket.string() +
                                        " --black-mark on --paper 58 --edge high --start-position on"
                                        " --end-position off --length 152 --mark 27 --baud 4");
    ASSERT_EQ(made.status, 0) << made.err;
    const auto applied = Sandbox::RunQvctl("--printer " + queue + " ticket apply " + ticket.string());
    ASSERT_EQ(applied.status, 0) << applied.err;
    const auto jobs = Sandbox::WaitForJobs(queue, 1);
    ASSERT_EQ(jobs.size(), 1u);

    const Json state = StateOf();
    ASSERT_TRUE(state.is_object());
    EXPECT_EQ(Keys(state["switches"]), (std::set<std::string>{"black-mark", "paper", "edge", "start-position",
                                                              "end-position", "baud"}));
    EXPECT_EQ(Keys(state["distances"]), (std::set<std::string>{"length", "mark"}));
    EXPECT_TRUE(state["mode-values"].empty());
    EXPECT_TRUE(state["parameter-table"].is_null());

    // The recorded commands, in item order, are the batch the printer was sent, and its job set them.
    std::map<int, std::string> byItem;
    for (const char* section : {"switches", "distances"}) {
        for (const auto& [word, entry] : state[section].items()) {
            EXPECT_EQ(entry["job"], jobs[0].id) << word;
            byItem[entry["item"].get<int>()] = entry["command"].get<std::string>();
        }
    }
    std::string joined;
    for (const auto& [item, command] : byItem) joined += command;
    EXPECT_EQ(joined, EncodeHex(jobs[0].bytes));
    EXPECT_EQ(state["switches"]["paper"]["meaning"], "paper 58 mm (纸张类型设置: 58mm, item 2, code 88)");

    // The listing and the picture of the job lie beside its bytes.
    EXPECT_TRUE(fs::file_size(folder / (jobs[0].id + ".png")) > 0);
    EXPECT_TRUE(fs::file_size(folder / (jobs[0].id + ".txt")) > 0);
}

TEST_F(VirtualPrinterStateTest, FactoryRestoreLeavesTheFactoryTable) {
    const auto restored = Sandbox::RunQvctl("--printer " + queue + " factory-restore");
    ASSERT_EQ(restored.status, 0) << restored.err;
    const auto jobs = Sandbox::WaitForJobs(queue, 3);
    ASSERT_EQ(jobs.size(), 3u);

    const Json state = StateOf();
    ASSERT_TRUE(state.is_object());
    EXPECT_TRUE(state["switches"].empty());
    EXPECT_TRUE(state["distances"].empty());
    EXPECT_TRUE(state["mode-values"].empty());
    ASSERT_TRUE(state["parameter-table"].is_object());
    EXPECT_EQ(state["parameter-table"]["factory"], true);
    // save, table, save: the table came with the second job
    EXPECT_EQ(state["parameter-table"]["job"], jobs[1].id);
    EXPECT_EQ(state["parameter-table"]["command"], EncodeHex(jobs[1].bytes));

    const auto text = Sandbox::RunQvctl("printer-state " + folder.string());
    EXPECT_EQ(text.status, 0) << text.err;
    EXPECT_NE(text.out.find("parameter table:\n  factory "), std::string::npos) << text.out;
    EXPECT_NE(text.out.find("(the factory table)  (job " + jobs[1].id + ")"), std::string::npos) << text.out;
}

}  // namespace
}  // namespace qvset
