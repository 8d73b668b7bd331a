#include "decode/PrinterState.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <nlohmann/json.hpp>

#include "DecodeTestSupport.h"
#include "settings/BatchSend.h"
#include "support/TestFolder.h"
#include "ticket/TicketGeometry.h"
#include "tuning/ParameterCommands.h"
#include "tuning/TuningJobs.h"

namespace qvset {
namespace {

namespace fs = std::filesystem;
using testing::DecodeCovering;
using testing::DecodeHexCovering;
using testing::FactoryRestoreDocuments;
using testing::TypicalBatch;

std::map<int, std::string> SwitchCommands(const PrinterState& state) {
    std::map<int, std::string> commands;
    for (const auto& [item, stored] : state.Switches())
        commands[item] = EncodeHex(stored.bytes) + "@" + stored.job;
    return commands;
}

TEST(PrinterState, TheTypicalBatchLeavesExactlyTheRecordedItems) {
    PrinterState state;
    state.Apply(DecodeCovering(TypicalBatch()), "7");
    EXPECT_EQ(SwitchCommands(state), (std::map<int, std::string>{{1, "1B4202@7"},
                                                                 {2, "1B4205@7"},
                                                                 {4, "1B420C@7"},
                                                                 {5, "1B4206@7"},
                                                                 {6, "1B4209@7"},
                                                                 {11, "1B4210@7"}}));
    ASSERT_EQ(state.Distances().size(), 2u);
    EXPECT_EQ(state.Distances().at(7).Decoded().Number("count"), 868);
    EXPECT_EQ(state.Distances().at(9).Decoded().Number("count"), 154);
    EXPECT_EQ(state.Distances().at(9).job, "7");
    EXPECT_TRUE(state.ModeValues().empty());
    EXPECT_FALSE(state.ParameterTable());
}

TEST(PrinterState, ALaterJobOverridesOnlyWhatItSets) {
    PrinterState state;
    state.Apply(DecodeCovering(TypicalBatch()), "7");
    state.Apply(DecodeHexCovering("1B42031D284604000400C900"), "8");
    EXPECT_EQ(SwitchCommands(state).at(1), "1B4203@8");
    EXPECT_EQ(SwitchCommands(state).at(2), "1B4205@7");
    EXPECT_EQ(state.Distances().at(7).job, "8");
    EXPECT_EQ(state.Distances().at(9).job, "7");
    // a format set sets the same distances, in its own encoding
    state.Apply(DecodeHexCovering(BuildTicketFormatCommand(1, "152", "20", "27").value()), "9");
    EXPECT_EQ(state.Distances().at(8).Decoded().Text("encoding"), "format set");
    EXPECT_EQ(state.Distances().at(8).Decoded().Number("style"), 1);
    EXPECT_EQ(state.Distances().at(7).job, "9");
    // each distance under its own name in the state file
    const auto parsed = nlohmann::ordered_json::parse(state.ToJson())["distances"];
    std::vector<std::string> names;
    for (const auto& [name, distance] : parsed.items())
        names.push_back(name + "@" + distance["job"].get<std::string>());
    EXPECT_EQ(names, (std::vector<std::string>{"length@9", "start@9", "mark@9"}));
}

TEST(PrinterState, TheFactoryRestoresThreeDocumentsLeaveTheFactoryTable) {
    PrinterState state;
    state.Apply(DecodeCovering(DecodeHex(FactoryParameterTable().substr(0, 58) + "0900").value()), "1");
    EXPECT_FALSE(state.HasFactoryTable());
    int job = 2;
    for (const auto& document : FactoryRestoreDocuments()) {
        state.Apply(DecodeCovering(document), std::to_string(job++));
    }
    ASSERT_TRUE(state.ParameterTable());
    EXPECT_TRUE(state.HasFactoryTable());
    EXPECT_EQ(EncodeHex(state.ParameterTable()->bytes), FactoryParameterTable());
    EXPECT_EQ(state.ParameterTable()->job, "3");
}

TEST(PrinterState, OnlyStoredModeValuesCountNotTestPrints) {
    PrinterState state;
    state.Apply(DecodeCovering(BuildStoreJob({16, 18, 20})), "1");
    state.Apply(DecodeCovering(BuildTestPage({30, 31, 32})), "2");
    ASSERT_EQ(state.ModeValues().size(), 3u);
    EXPECT_EQ(state.ModeValues().at(0x0A).Decoded().Number("value"), 16);
    EXPECT_EQ(state.ModeValues().at(0x0B).Decoded().Number("value"), 18);
    EXPECT_EQ(state.ModeValues().at(0x0C).Decoded().Number("value"), 20);
    EXPECT_EQ(state.ModeValues().at(0x0C).job, "1");
}

TEST(PrinterState, CutOffAndUnknownCommandsChangeNothing) {
    PrinterState state;
    state.Apply(DecodeHexCovering("1B4216"
                                  "1B0140"
                                  "4142313233"
                                  "0A1000"
                                  "1D2846040004"),
                "1");
    EXPECT_TRUE(state.IsEmpty());
}

TEST(PrinterState, JsonReadsBackToTheSameState) {
    PrinterState state;
    state.Apply(DecodeCovering(TypicalBatch()), "7");
    state.Apply(DecodeCovering(BuildStoreJob({16, 18, 20})), "8");
    state.Apply(DecodeHexCovering(FactoryParameterTable()), "9");
    const std::string json = state.ToJson();
    const auto read = PrinterState::FromJson(json);
    ASSERT_TRUE(read);
    EXPECT_EQ(read->ToJson(), json);
    const auto parsed = nlohmann::json::parse(json);
    EXPECT_EQ(parsed["switches"]["black-mark"]["choice"], "on");
    EXPECT_EQ(parsed["switches"]["baud"]["job"], "7");
    EXPECT_EQ(parsed["distances"]["length"]["count"], 868);
    EXPECT_EQ(parsed["mode-values"]["fine"]["value"], 20);
    EXPECT_EQ(parsed["parameter-table"]["factory"], true);
    EXPECT_FALSE(parsed["switches"].contains("head"));
}

TEST(PrinterState, JsonThatIsNotAStateIsRefusedWithAReason) {
    struct Case {
        const char* json;
        const char* reason;
    };
    const Case cases[] = {
        {"{", "not JSON (it stops too soon)"},
        {"{\"format\": 1,, }", "not JSON (broken at byte 13)"},
        {"[1, 2]", "not a JSON object"},
        // Said as what it is, not as "not a JSON object":
        {"{\"format\": 1, \"job\": \"\xFF\"}", "not UTF-8 text (byte 22 is no character)"},
        {"{\"format\": 1, \"job\": \"\xE6\x89\"}", "not UTF-8 text (byte 22 is no character)"},
        {"{\"format\": 1, \"job\": \"\xED\xA0\x80\"}", "not UTF-8 text (byte 22 is no character)"},
        {"{\"format\": 1e999}", "a number out of range"},
        {"{\"format\": 2}", "not a printer state of format 1"},
        {"{\"format\": 1, \"switches\": []}", "\"switches\" is not an object"},
        {"{\"format\": 1, \"switches\": {\"paper\": {\"command\": \"1B4202\", \"job\": \"1\"}}}",
         "\"paper\" holds a command for \"black-mark\""},
        {"{\"format\": 1, \"switches\": {\"paper\": {\"command\": \"1B4202\"}}}",
         "an entry needs the texts \"command\" and \"job\""},
        {"{\"format\": 1, \"distances\": {\"length\": {\"command\": \"1B4202\", \"job\": \"1\"}}}",
         "\"1B4202\" is not one geometry command"},
        {"{\"format\": 1, \"distances\": {\"length\": {\"command\": \"1D28460400040065\", \"job\": \"1\"}}}",
         "\"1D28460400040065\" is not one geometry command"},
        {"{\"format\": 1, \"mode-values\": {\"high\": {\"command\": \"1B014051563630300A10FF\", \"job\": "
         "\"1\"}}}",
         "a stored mode value carries the test flag"},
        {"{\"format\": 1, \"parameter-table\": {\"command\": \"zz\", \"job\": \"1\"}}",
         "\"zz\" is not a command in hex"},
    };
    for (const auto& c : cases) {
        std::string reason;
        EXPECT_FALSE(PrinterState::FromJson(c.json, &reason)) << c.json;
        EXPECT_EQ(reason, c.reason) << c.json;
    }
}

TEST(PrinterState, SavesAndLoadsItsFileAndAMissingFileIsTheEmptyState) {
    testing::TestFolder folder("qvset-state-");
    const auto path = folder.Path() / std::string(kPrinterStateFile);
    const auto missing = PrinterState::Load(path);
    ASSERT_TRUE(missing);
    EXPECT_TRUE(missing->IsEmpty());
    PrinterState state;
    state.Apply(DecodeCovering(TypicalBatch()), "3");
    ASSERT_TRUE(state.Save(path));
    const auto loaded = PrinterState::Load(path);
    ASSERT_TRUE(loaded);
    EXPECT_EQ(loaded->ToJson(), state.ToJson());
    std::ofstream(path) << "{\"format\": 1, \"switches\": 5}";
    std::string error;
    EXPECT_FALSE(PrinterState::Load(path, &error));
    EXPECT_EQ(error, path.string() + ": \"switches\" is not an object");
}

TEST(PrinterState, OnlyAMissingFileIsTheEmptyStateAndAnUnreadableOneIsAFailure) {
    testing::TestFolder folder("qvset-state-");
    struct Case {
        const char* name;
        std::function<bool(const fs::path&)> make;  // makes the state file; false where it cannot
        const char* error;                          // after "cannot read PATH"; nullptr: the empty state
    };
    const Case cases[] = {
        {"missing", [](const fs::path&) { return true; }, nullptr},
        // Wine and Windows without the privilege make no symbolic links: the row is left out there.
        {"a link loop",
         [](const fs::path& p) {
             std::error_code code;
             fs::create_symlink(p.filename(), p, code);
             return !code;
         },
         " (Too many levels of symbolic links)"},
        {"a folder", [](const fs::path& p) { return fs::create_directory(p); }, " (not a regular file)"},
    };
    for (const auto& c : cases) {
        const fs::path dir = folder.Path() / c.name;
        fs::create_directory(dir);
        const fs::path path = dir / std::string(kPrinterStateFile);
        if (!c.make(path)) continue;
        std::string error;
        const auto state = PrinterState::Load(path, &error);
        if (c.error == nullptr) {
            ASSERT_TRUE(state) << c.name << ": " << error;
            EXPECT_TRUE(state->IsEmpty()) << c.name;
        } else {
            EXPECT_FALSE(state) << c.name;
            EXPECT_EQ(error, "cannot read " + path.string() + c.error) << c.name;
        }
    }
}

}  // namespace
}  // namespace qvset
