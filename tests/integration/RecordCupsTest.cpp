// The record qvctl keeps, against the private CUPS server: what a virtual QV6 printer holds after the
// jobs it was sent is what the record of the same documents implies.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <nlohmann/json.hpp>

#include "Sandbox.h"
#include "printer/HexCodec.h"
#include "record/RecordFile.h"

namespace qvset {
namespace {

namespace fs = std::filesystem;
using testing::Sandbox;
using Json = nlohmann::json;

// A state's JSON without the jobs that set each part: the virtual printer names CUPS' job ids, the
// record its own document numbers.
Json WithoutJobs(Json json) {
    if (json.is_object()) {
        json.erase("job");
        for (auto& [key, value] : json.items()) value = WithoutJobs(value);
    } else if (json.is_array()) {
        for (auto& value : json) value = WithoutJobs(value);
    }
    return json;
}

std::string ReadText(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

TEST(RecordCupsTest, TheRecordImpliesWhatTheVirtualPrinterHolds) {
    Sandbox::UseClientEnvironment();
    const std::string queue = "QV640_Record_" + std::to_string(::getpid());
    ASSERT_EQ(Sandbox::Shell(std::string(QVSET_SANDBOX_SCRIPT) + " add-queue " + QVSET_SANDBOX_DIR + " " +
                             queue + " >/dev/null"),
              0);
    const fs::path folder = fs::path(QVSET_SANDBOX_DIR) / "capture" / queue;
    const fs::path state = fs::temp_directory_path() / ("qvset-record-state-" + queue);
    const fs::path ticket = state / "t.txt";
    fs::create_directories(state);
    const std::string environment = "XDG_STATE_HOME=" + state.string();
    const std::string printer = "--printer " + queue + " ";

    const char* commands[] = {
        "ticket new T --black-mark on --paper 58 --edge high --length 152 --mark 27 --baud 4",
        "ticket apply T",
        "set paper 76",
        "hex 1B 42 0D 0A",
    };
    for (std::string command : commands) {
        if (const auto at = command.find(" T"); at != std::string::npos)
            command.replace(at, 2, " " + ticket.string());
        if (command.rfind("ticket new", 0) != 0) command = printer + command;
        const auto result = Sandbox::RunQvctlWith(environment, command);
        ASSERT_EQ(result.status, 0) << command << ": " << result.err;
    }
    ASSERT_EQ(Sandbox::WaitForJobs(queue, 3).size(), 3u);

    const auto history = Sandbox::RunQvctlWith(environment, printer + "history --json");
    ASSERT_EQ(history.status, 0) << history.err;
    const Json shown = Json::parse(history.out, nullptr, false);
    ASSERT_TRUE(shown.is_object()) << history.out;
    ASSERT_EQ(shown["documents"].size(), 3u);
    EXPECT_EQ(shown["documents"][0]["command"], "ticket apply");
    EXPECT_EQ(shown["documents"][1]["command"], "set");
    EXPECT_EQ(shown["documents"][2]["command"], "hex");
    EXPECT_EQ(shown["printer"], queue);
    EXPECT_EQ(fs::path(shown["file"].get<std::string>()).parent_path(), state / "qvset" / "records");

    const auto record = ParseRecord(ReadText(shown["file"].get<std::string>()));
    ASSERT_TRUE(record);
    const Json implied = Json::parse(ImpliedState(*record).ToJson());
    const Json held = Json::parse(ReadText(folder / "state.json"));
    EXPECT_EQ(WithoutJobs(implied), WithoutJobs(held));
    EXPECT_EQ(implied["switches"]["paper"]["command"], "1B4204") << implied.dump(2);

    fs::remove_all(state);
    Sandbox::Shell("lpadmin -x " + queue);
}

// A queue of its own and a state folder of its own for one test, removed after it.
class RecordQueue {
  public:
    explicit RecordQueue(const std::string& stem)
        : queue(stem + "_" + std::to_string(::getpid())),
          state(fs::temp_directory_path() / ("qvset-record-state-" + queue)) {
        Sandbox::UseClientEnvironment();
        added = Sandbox::Shell(std::string(QVSET_SANDBOX_SCRIPT) + " add-queue " + QVSET_SANDBOX_DIR + " " +
                               queue + " >/dev/null") == 0;
        fs::create_directories(state);
    }
    ~RecordQueue() {
        std::error_code ignored;
        fs::remove_all(state, ignored);
        Sandbox::Shell("lpadmin -x " + queue);
    }
    Sandbox::Result Run(const std::string& arguments) const {
        return Sandbox::RunQvctlWith("XDG_STATE_HOME=" + state.string(), arguments);
    }
    fs::path Ticket(const std::string& options) const {
        const fs::path file = state / "t.txt";
        EXPECT_EQ(Run("ticket new " + file.string() + " " + options).status, 0);
        return file;
    }

    std::string queue;
    fs::path state;
    bool added = false;
};

std::string Port() {
    return ReadText(fs::path(QVSET_SANDBOX_DIR) / "port").substr(0, 5);
}

TEST(RecordCupsTest, ThreeSpellingsOfTheServerServeEachPrinterOnceAndKeepOneRecord) {
    const RecordQueue q("QV640_Spelt");
    ASSERT_TRUE(q.added);
    std::string port = Port();
    while (!port.empty() && (port.back() < '0' || port.back() > '9')) port.pop_back();
    const std::string socket = std::getenv("CUPS_SERVER");
    const auto fleet = q.Run("--json --server 127.0.0.1:" + port + " --server localhost:" + port +
                             " --server " + socket + " --printer " + q.queue + " hex 1B40");
    ASSERT_EQ(fleet.status, 0) << fleet.out << fleet.err;
    const Json report = Json::parse(fleet.out, nullptr, false);
    ASSERT_TRUE(report.is_object()) << fleet.out;
    EXPECT_EQ(report["printers"].size(), 1u) << fleet.out;
    EXPECT_EQ(report["sameServers"].size(), 2u) << fleet.out;
    ASSERT_EQ(Sandbox::WaitForJobs(q.queue, 1).size(), 1u);

    // The name in another case and another spelling of the server: the same printer, the same record.
    std::string lower = q.queue;
    for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    ASSERT_EQ(q.Run("--server localhost:" + port + " --printer " + lower + " set paper 76").status, 0);
    const auto history = q.Run("--server 127.0.0.1:" + port + " --printer " + q.queue + " history --json");
    ASSERT_EQ(history.status, 0) << history.err;
    const Json shown = Json::parse(history.out, nullptr, false);
    ASSERT_TRUE(shown.is_object()) << history.out;
    ASSERT_EQ(shown["documents"].size(), 2u) << history.out;
    EXPECT_EQ(shown["documents"][0]["command"], "hex");
    EXPECT_EQ(shown["documents"][1]["command"], "set");
    EXPECT_GT(shown["documents"][1]["job"].get<int>(), 0) << history.out;
    EXPECT_EQ(fs::path(shown["file"].get<std::string>()).filename().string().rfind("queue-", 0), 0u);
    EXPECT_EQ(Sandbox::WaitForJobs(q.queue, 2).size(), 2u);

    // A control character in the name is refused before anything is sent.
    const auto refused = q.Run("--printer \"$(printf '" + q.queue + "\\r')\" hex 1B40");
    EXPECT_EQ(refused.status, 2) << refused.err;
    EXPECT_NE(refused.err.find("see: qvctl hex --help"), std::string::npos) << refused.err;
}

TEST(RecordCupsTest, AMisspeltPrinterLeavesNoRecordWhileARealOneThatCannotTakeTheDocumentKeepsItsTry) {
    const RecordQueue q("QV640_Spelling");
    ASSERT_TRUE(q.added);
    const auto misspelt = q.Run("--printer " + q.queue + "_Typo hex 1B40");
    EXPECT_EQ(misspelt.status, 1) << misspelt.err;
    ASSERT_EQ(q.Run("--printer " + q.queue + " hex 1B40").status, 0);
    ASSERT_EQ(Sandbox::Shell("cupsreject " + q.queue), 0);
    EXPECT_EQ(q.Run("--printer " + q.queue + " hex 0A").status, 1);
    std::vector<std::string> files;
    for (const auto& entry : fs::recursive_directory_iterator(q.state)) {
        if (entry.is_regular_file() && entry.path().extension() == ".jsonl")
            files.push_back(entry.path().filename().string());
    }
    // One record: the real queue's, holding the document it took and the one it refused.
    ASSERT_EQ(files.size(), 1u) << ::testing::PrintToString(files);
    EXPECT_EQ(files[0].rfind("queue-", 0), 0u) << files[0];
    const auto history = q.Run("--printer " + q.queue + " history --json");
    const Json shown = Json::parse(history.out, nullptr, false);
    ASSERT_TRUE(shown.is_object()) << history.out << history.err;
    EXPECT_EQ(shown["documents"].size(), 2u) << history.out;
}

TEST(RecordCupsTest, ACancelledJobAndAnotherSendersJobMakeTheirItemsUnknownAndChangedOnlySendsThem) {
    const RecordQueue q("QV640_Fates");
    ASSERT_TRUE(q.added);
    const fs::path ticket = q.Ticket("--paper 58 --black-mark on");
    const std::string printer = "--printer " + q.queue + " ";
    ASSERT_EQ(q.Run(printer + "ticket apply " + ticket.string()).status, 0);
    ASSERT_EQ(Sandbox::WaitForJobs(q.queue, 1).size(), 1u);
    // Every document confirmed: the plan is as it always was.
    auto plan = q.Run(printer + "ticket plan " + ticket.string());
    ASSERT_EQ(plan.status, 0) << plan.err;
    EXPECT_NE(plan.out.find("--changed-only sends nothing"), std::string::npos) << plan.out;

    // A job the queue took and then cancelled before printing it.
    ASSERT_EQ(Sandbox::Shell("cupsdisable " + q.queue), 0);
    ASSERT_EQ(q.Run(printer + "set paper 76").status, 0);
    ASSERT_EQ(Sandbox::Shell("cancel -a " + q.queue), 0);
    ASSERT_EQ(Sandbox::Shell("cupsenable " + q.queue), 0);
    plan = q.Run(printer + "ticket plan --json " + ticket.string());
    ASSERT_EQ(plan.status, 0) << plan.err;
    Json shown = Json::parse(plan.out, nullptr, false);
    ASSERT_TRUE(shown.is_object()) << plan.out;
    ASSERT_EQ(shown["items"].size(), 2u);
    EXPECT_EQ(shown["items"][0]["reason"], "same") << plan.out;
    EXPECT_EQ(shown["items"][1]["reason"], "unknown") << plan.out;
    EXPECT_NE(shown["items"][1]["why"].get<std::string>().find("cancelled"), std::string::npos) << plan.out;
    EXPECT_EQ(shown["sends"], "1B4205") << plan.out;

    // --changed-only sends what is unknown; then every item is known again.
    ASSERT_EQ(q.Run(printer + "ticket apply --changed-only " + ticket.string()).status, 0);
    ASSERT_EQ(Sandbox::WaitForJobs(q.queue, 2).size(), 2u);
    EXPECT_EQ(EncodeHex(Sandbox::CapturedJobs(q.queue)[1].bytes), "1B4205");
    plan = q.Run(printer + "ticket plan " + ticket.string());
    EXPECT_NE(plan.out.find("--changed-only sends nothing"), std::string::npos) << plan.out;

    // Another sender's job on the same printer (CUPS' own lp): what it may have changed is unknown.
    const fs::path raw = q.state / "other.prn";
    std::ofstream(raw, std::ios::binary) << "\x1b\x42\x04";
    ASSERT_EQ(Sandbox::Shell("lp -d " + q.queue + " -o raw " + raw.string() + " >/dev/null"), 0);
    ASSERT_EQ(Sandbox::WaitForJobs(q.queue, 3).size(), 3u);
    plan = q.Run(printer + "ticket plan " + ticket.string());
    ASSERT_EQ(plan.status, 0) << plan.err;
    EXPECT_NE(plan.out.find("unknown (job "), std::string::npos) << plan.out;
    EXPECT_NE(plan.out.find("is not in this record"), std::string::npos) << plan.out;
    EXPECT_NE(plan.out.find("--changed-only sends 1B42021B4205"), std::string::npos) << plan.out;
}

}  // namespace
}  // namespace qvset
