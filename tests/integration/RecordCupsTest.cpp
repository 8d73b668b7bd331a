// The record qvctl keeps, against the private CUPS server: what a virtual QV6 printer holds after the
// jobs it was sent is what the record of the same documents implies.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <nlohmann/json.hpp>

#include "Sandbox.h"
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

}  // namespace
}  // namespace qvset
