// qvctl status: one row per printer with its queue, its last document and what its record implies; a
// broken queue (stopped, rejecting, a job stuck) stands out and fails.
#include <gtest/gtest.h>

#include <ctime>
#include <nlohmann/json.hpp>

#include "cli/CommandLine.h"
#include "cli/ConsoleDialogs.h"
#include "printer/MemorySpooler.h"
#include "record/RecordBook.h"
#include "support/RecordingDialogs.h"
#include "support/TestFolder.h"

namespace qvset {
namespace {

class StatusCliTest : public ::testing::Test {
  protected:
    StatusCliTest() : spooler({{"QV640", "drv", "usb"}, {"QV650", "drv", "lpt"}}), folder("qvset-status-") {
        cli::RegisterAllCommands(registry);
        spooler.SetCurrentPrinter("QV640");
        book = std::make_unique<RecordBook>(folder.Path() / "records", "localhost:631",
                                            [](const std::string&) {});
        book->SetClock([] { return std::string("2026-12-09T10:00:00.000Z"); });
    }

    int Run(const std::vector<std::string>& args) {
        out.str("");
        err.str("");
        cli::ConsoleDialogs dialogs(err);
        cli::CliEnvironment environment{spooler, dialogs, pause, folder.Path(), out, err};
        environment.record = book.get();
        return cli::RunCommandLine(registry, args, environment);
    }

    cli::CommandRegistry registry;
    MemorySpooler spooler;
    testing::RecordingPause pause;
    testing::TestFolder folder;
    std::unique_ptr<RecordBook> book;
    std::ostringstream out;
    std::ostringstream err;
};

TEST_F(StatusCliTest, ARowSaysTheQueueTheLastDocumentAndWhatTheRecordImplies) {
    EXPECT_EQ(Run({"status"}), 0) << err.str();
    EXPECT_EQ(out.str(),
              "  QV640  idle  0 waiting  nothing sent yet  paper unknown, ticket length unknown, black mark "
              "unknown\n");
    ASSERT_EQ(Run({"set", "paper", "58"}), 0);
    ASSERT_EQ(Run({"set", "black-mark", "on"}), 0);
    ASSERT_EQ(Run({"length", "152"}), 0);
    EXPECT_EQ(Run({"status"}), 0) << err.str();
    EXPECT_EQ(
        out.str(),
        "  QV640  idle  0 waiting  last sent 2026-12-09T10:00:00.000Z (length)  paper 58 mm, ticket length "
        "151.900 to 152.074 mm, black mark on\n");
    EXPECT_EQ(err.str(), "");
}

TEST_F(StatusCliTest, AStoppedRejectingQueueWithAStuckJobStandsOutAndFails) {
    const std::int64_t now = std::time(nullptr);
    spooler.SetQueueStatus("QV650", {QueueState::Stopped, false, 2, 1, now - 600, "Paused"});
    EXPECT_EQ(Run({"--printer", "QV650", "status"}), 1);
    EXPECT_EQ(
        out.str(),
        "! QV650  stopped, rejecting  2 waiting (oldest 10 min)  nothing sent yet  paper unknown, ticket "
        "length unknown, black mark unknown  << the queue is stopped  << the queue rejects new jobs  << 1 "
        "job is "
        "held  << a job has waited 10 min\n");
    EXPECT_EQ(err.str(),
              "qvctl: status: QV650: the queue is stopped\nqvctl: status: QV650: the queue rejects new jobs\n"
              "qvctl: status: QV650: 1 job is held\nqvctl: status: QV650: a job has waited 10 min\n");
    // A job that has waited less than a minute is no problem yet.
    spooler.SetQueueStatus("QV650", {QueueState::Printing, true, 1, 0, now - 5, ""});
    EXPECT_EQ(Run({"--printer", "QV650", "status"}), 0);
    EXPECT_EQ(out.str().substr(0, 40), "  QV650  printing  1 waiting (oldest 5 s");
    // A printer the server does not have.
    EXPECT_EQ(Run({"--printer", "QV66O", "status"}), 1);
    EXPECT_EQ(out.str(), "");
}

TEST_F(StatusCliTest, JsonHoldsTheSameFacts) {
    ASSERT_EQ(Run({"set", "paper", "76"}), 0);
    const std::int64_t now = std::time(nullptr);
    spooler.SetQueueStatus("QV640", {QueueState::Idle, true, 1, 0, now - 120, "ready"});
    EXPECT_EQ(Run({"--json", "status"}), 1);
    const auto json = nlohmann::json::parse(out.str());
    EXPECT_EQ(json["printer"], "QV640");
    EXPECT_EQ(json["server"], "localhost:631");
    EXPECT_EQ(json["queue"]["state"], "idle");
    EXPECT_EQ(json["queue"]["waiting"], 1);
    EXPECT_GE(json["queue"]["oldestSeconds"].get<int>(), 120);
    EXPECT_EQ(json["lastDocument"]["command"], "set");
    EXPECT_EQ(json["lastDocument"]["number"], 1);
    EXPECT_EQ(json["paper"], "paper 76 mm");
    EXPECT_TRUE(json["length"].is_null());
    EXPECT_EQ(json["problems"], nlohmann::json::array({"a job has waited 2 min"}));
}

TEST_F(StatusCliTest, StatusAndHistoryTakeJsonAfterTheirNameAndRefuseAnyOtherOption) {
    for (const std::string command : {"status", "history"}) {
        EXPECT_EQ(Run({command, "--json"}), 0) << command << ": " << err.str();
        EXPECT_TRUE(nlohmann::json::accept(out.str())) << command << ": " << out.str();
        EXPECT_EQ(Run({command, "--bogus"}), 2) << command;
        EXPECT_EQ(out.str(), "") << command;
        EXPECT_EQ(err.str(),
                  "qvctl: " + command + ": unknown argument --bogus\nsee: qvctl " + command + " --help\n");
    }
}

}  // namespace
}  // namespace qvset
