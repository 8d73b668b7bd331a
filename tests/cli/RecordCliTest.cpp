// qvctl's record of what it sent: every document of a command, in order, with whether it was taken;
// nothing under --dry-run or QVSET_RECORD=off; a record that cannot be written said once while every
// document is still sent; history and printer-state reading it back.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>

#include "cli/CommandLine.h"
#include "cli/ConsoleDialogs.h"
#include "decode/CommandDecoder.h"
#include "decode/StateListing.h"
#include "printer/HexCodec.h"
#include "printer/MemorySpooler.h"
#include "record/RecordBook.h"
#include "support/RecordingDialogs.h"
#include "support/TestFolder.h"

namespace qvset {
namespace {

namespace fs = std::filesystem;
using Names = std::vector<std::string>;

class RecordCliTest : public ::testing::Test {
  protected:
    RecordCliTest()
        : spooler({{"QV640", "drv", "usb"},
                   {"QV650", "drv", "lpt"},
                   {"QV640_Virtual", "raw", "qvprinter:/tmp/v"}}),
          folder("qvset-record-cli-") {
        cli::RegisterAllCommands(registry);
        spooler.SetCurrentPrinter("QV640");
        MakeBook(folder.Path() / "records");
    }

    void MakeBook(const fs::path& records) {
        said.clear();
        book = std::make_unique<RecordBook>(records, "localhost:631",
                                            [this](const std::string& s) { said.push_back(s); });
        book->SetClock([this] { return "2026-12-08T21:10:" + std::to_string(10 + ticks++) + ".000Z"; });
    }

    int Run(const Names& args) {
        out.str("");
        err.str("");
        cli::ConsoleDialogs dialogs(err);
        cli::CliEnvironment environment{spooler, dialogs, pause, folder.Path(), out, err};
        environment.record = book.get();
        return cli::RunCommandLine(registry, args, environment);
    }

    std::vector<RecordEntry> Entries(const std::string& printer) {
        const auto record = book->Read(printer);
        EXPECT_TRUE(record);
        return record ? record->entries : std::vector<RecordEntry>{};
    }

    cli::CommandRegistry registry;
    MemorySpooler spooler;
    testing::RecordingPause pause;
    testing::TestFolder folder;
    std::unique_ptr<RecordBook> book;
    std::vector<std::string> said;
    int ticks = 0;
    std::ostringstream out;
    std::ostringstream err;
};

TEST_F(RecordCliTest, EveryDocumentOfACommandIsRecordedInTheOrderItWasSent) {
    struct Case {
        Names args;
        std::string printer;
        std::string command;
        std::size_t documents;
    };
    const Case cases[] = {
        {{"pin-test"}, "QV640", "pin-test", 18},
        {{"tune", "single", "--pause", "0", "--no-watch"}, "QV640", "tune", 1 + 9 * 4},
        {{"--printer", "QV650", "hex", "1B", "42", "02"}, "QV650", "hex", 1},
        {{"--printer=QV650", "factory-restore"}, "QV650", "factory-restore", 3},
    };
    for (const Case& c : cases) {
        const std::size_t before = Entries(c.printer).size();
        spooler.ClearDocuments();
        ASSERT_EQ(Run(c.args), 0) << c.command << err.str();
        ASSERT_EQ(spooler.Documents().size(), c.documents) << c.command;
        const auto entries = Entries(c.printer);
        ASSERT_EQ(entries.size(), before + c.documents) << c.command;
        for (std::size_t i = 0; i < c.documents; ++i) {
            const RecordEntry& entry = entries[before + i];
            EXPECT_EQ(EncodeHex(entry.bytes), EncodeHex(spooler.Documents()[i].bytes))
                << c.command << " #" << i;
            EXPECT_EQ(entry.printer, c.printer);
            EXPECT_EQ(entry.server, "localhost:631");
            EXPECT_EQ(entry.command, c.command);
            EXPECT_TRUE(entry.taken);
        }
    }
    EXPECT_TRUE(said.empty());
}

TEST_F(RecordCliTest, ADocumentTheSpoolerRefusedIsRecordedAsNotTaken) {
    spooler.SetCannotOpen("QV650");
    struct Case {
        Names args;
        int status;
        std::string printer;
        bool taken;
    };
    for (const Case& c :
         {Case{{"--printer", "QV650", "hex", "0A"}, 1, "QV650", false}, Case{{"hex", "0C"}, 0, "QV640", true},
          Case{{"--printer", "QV650", "line-feed"}, 1, "QV650", false}}) {
        const std::size_t before = Entries(c.printer).size();
        EXPECT_EQ(Run(c.args), c.status);
        const auto entries = Entries(c.printer);
        ASSERT_EQ(entries.size(), before + 1) << c.args.back();
        EXPECT_EQ(entries.back().taken, c.taken) << c.args.back();
    }
}

TEST_F(RecordCliTest, NothingIsRecordedUnderDryRunOrWhenTurnedOff) {
    struct Case {
        const char* record;  // QVSET_RECORD, nullptr: unset
        Names args;
        std::size_t sent;
        std::size_t recorded;
    };
    for (const Case& c : {Case{"off", {"pin-test"}, 18, 0}, Case{nullptr, {"--dry-run", "pin-test"}, 0, 0},
                          Case{"on", {"line-feed"}, 1, 1}, Case{nullptr, {"line-feed"}, 1, 1}}) {
        MakeBook(folder.Path() / ("records-" + std::to_string(ticks)));
        spooler.ClearDocuments();
        if (c.record != nullptr) ::setenv("QVSET_RECORD", c.record, 1);
        EXPECT_EQ(Run(c.args), 0) << c.args.back();
        ::unsetenv("QVSET_RECORD");
        EXPECT_EQ(spooler.Documents().size(), c.sent);
        EXPECT_EQ(Entries("QV640").size(), c.recorded) << (c.record ? c.record : "unset") << " " << c.args[0];
        if (c.recorded == 0) {
            EXPECT_FALSE(fs::exists(book->FileOf("QV640")));
        }
    }
}

TEST_F(RecordCliTest, ARecordThatCannotBeWrittenIsSaidOnceAndEveryDocumentIsStillSent) {
    std::ofstream(folder.Path() / "plain-file") << "x";
    MakeBook(folder.Path() / "plain-file" / "records");
    EXPECT_EQ(Run({"pin-test"}), 0);
    EXPECT_EQ(Run({"--printer", "QV650", "line-feed"}), 0);
    EXPECT_EQ(spooler.Documents().size(), 18u + 1u);
    ASSERT_EQ(said.size(), 1u);
    EXPECT_NE(said[0].find("plain-file"), std::string::npos) << said[0];
}

TEST_F(RecordCliTest, HistoryListsWhatWasSentOldestFirst) {
    spooler.SetCannotOpen("QV650");
    ASSERT_EQ(Run({"hex", "1B", "42", "02", "1B", "42", "05", "1B", "42", "0C", "0A", "0A"}), 0);
    ASSERT_EQ(Run({"line-feed"}), 0);
    ASSERT_EQ(Run({"--printer", "QV650", "hex", "0A"}), 1);
    const std::string file = book->FileOf("QV640").string();

    struct Case {
        Names args;
        std::string out;
    };
    const Case cases[] = {
        {{"history"},
         "record of QV640 on localhost:631 (" + file +
             ")\n"
             "     1  2026-12-08T21:10:10.000Z  taken      hex  11 bytes 1B 42 02 1B 42 05 1B 42 … "
             "(ESC B 02, ESC B 05, ESC B 0C, LF × 2)\n"
             "     2  2026-12-08T21:10:11.000Z  taken      line-feed  1 byte 0A (LF)\n"},
        {{"--printer", "QV650", "history"},
         "record of QV650 on localhost:631 (" + book->FileOf("QV650").string() +
             ")\n"
             "     1  2026-12-08T21:10:12.000Z  not taken  hex  1 byte 0A (LF)\n"},
        {{"--printer", "QV640_Virtual", "history"},
         "record of QV640_Virtual on localhost:631 (" + book->FileOf("QV640_Virtual").string() +
             ")\n"
             "nothing recorded yet\n"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Run(c.args), 0) << err.str();
        EXPECT_EQ(out.str(), c.out);
    }

    ASSERT_EQ(Run({"history", "--json"}), 0);
    const auto json = nlohmann::json::parse(out.str());
    EXPECT_EQ(json, nlohmann::json::parse(R"({"server": "localhost:631", "printer": "QV640", "file": )" +
                                          nlohmann::json(file).dump() + R"(, "folded": 0, "documents": [
        {"number": 1, "time": "2026-12-08T21:10:10.000Z", "command": "hex", "taken": true,
         "fate": "answered", "job": null, "bytes": "1B42021B42051B420C0A0A"},
        {"number": 2, "time": "2026-12-08T21:10:11.000Z", "command": "line-feed", "taken": true,
         "fate": "answered", "job": null, "bytes": "0A"}]})"));
    EXPECT_EQ(Run({"history", "--jsn"}), 2);
    EXPECT_EQ(Run({"history", "extra"}), 2);
}

TEST_F(RecordCliTest, PrinterStateOfANamedPrinterIsTheStateItsRecordImplies) {
    spooler.SetCannotOpen("QV650");
    ASSERT_EQ(Run({"hex", "1B", "42", "02"}), 0);  // black mark on, taken
    ASSERT_EQ(Run({"hex", "1B", "42", "05", "1B", "42", "0C"}), 0);
    ASSERT_EQ(Run({"--printer", "QV650", "hex", "1B", "42", "05"}), 1);  // not taken: no state
    PrinterState expected;
    expected.Apply(DecodeDocument(*DecodeHex("1B4202")), "1");
    expected.Apply(DecodeDocument(*DecodeHex("1B42051B420C")), "2");

    const std::string heading =
        "state implied by the record of QV640 on localhost:631 (" + book->FileOf("QV640").string() + ")\n";
    EXPECT_EQ(Run({"--printer", "QV640", "printer-state"}), 0);
    EXPECT_EQ(out.str(), heading + RenderPrinterState(expected));
    EXPECT_NE(out.str().find("(job 2)"), std::string::npos);

    EXPECT_EQ(Run({"--printer", "QV640", "printer-state", "--json"}), 0);
    EXPECT_EQ(out.str(), expected.ToJson());
    EXPECT_EQ(err.str(), heading);

    // Its one document was not taken: the printer holds nothing of it.
    EXPECT_EQ(Run({"--printer", "QV650", "printer-state"}), 0);
    EXPECT_EQ(out.str(), "state implied by the record of QV650 on localhost:631 (" +
                             book->FileOf("QV650").string() + ")\n" + RenderPrinterState(PrinterState()));

    // Without --printer, and for a virtual printer, the virtual printer's own folder as before.
    for (const Names& args : {Names{"printer-state"}, Names{"--printer", "QV640_Virtual", "printer-state"}}) {
        Run(args);
        EXPECT_EQ(out.str().rfind("virtual printer state ", 0), 0u) << out.str();
    }
}

TEST_F(RecordCliTest, ChangedOnlySendsWhatTheRecordDoesNotAlreadyHoldInItemOrder) {
    const std::string file = (folder.Path() / "ticket.txt").string();
    ASSERT_EQ(Run({"ticket", "new", file, "--black-mark", "on", "--paper", "58", "--length", "100"}),
              cli::kExitOk);
    const auto documents = [this] {
        std::vector<std::string> hex;
        for (const auto& document : spooler.Documents()) hex.push_back(EncodeHex(document.bytes));
        spooler.ClearDocuments();
        return hex;
    };
    const std::string blackMarkOn = "1B4202";
    const std::string paper58 = "1B4205";
    const std::string length100 = "1D2846040004003C02";

    struct Step {
        Names args;
        std::vector<std::string> sent;
        std::string plan;  // the reasons ticket plan gives for the file's items afterwards
    };
    const Step steps[] = {
        // Nothing recorded: every item, as plain apply sends it.
        {{"ticket", "apply", "--changed-only", file}, {blackMarkOn + paper58 + length100}, "same same same"},
        // Everything as recorded: nothing at all.
        {{"ticket", "apply", "--changed-only", file}, {}, "same same same"},
        // Another command changed one item: that item alone.
        {{"set", "black-mark", "off"}, {"1B4203"}, "differs same same"},
        {{"ticket", "apply", "--changed-only", file}, {blackMarkOn}, "same same same"},
    };
    for (const Step& step : steps) {
        Names args{"--printer", "QV650"};
        args.insert(args.end(), step.args.begin(), step.args.end());
        ASSERT_EQ(Run(args), cli::kExitOk) << err.str();
        EXPECT_EQ(documents(), step.sent) << step.args[0];
        ASSERT_EQ(Run({"--printer", "QV650", "--json", "ticket", "plan", file}), cli::kExitOk);
        std::string reasons;
        const auto plan = nlohmann::json::parse(out.str());
        for (const auto& item : plan["items"]) {
            reasons += (reasons.empty() ? "" : " ") + item["reason"].get<std::string>();
        }
        EXPECT_EQ(reasons, step.plan) << step.args[0];
    }
    // The record of another printer is its own: there everything is still to send.
    ASSERT_EQ(Run({"--printer", "QV640", "ticket", "plan", file}), cli::kExitOk);
    EXPECT_NE(out.str().find("--changed-only sends " + blackMarkOn + paper58 + length100), std::string::npos);
}

TEST_F(RecordCliTest, ReadingCommandsTakeThePrinterAfterTheirNameAsBefore) {
    ASSERT_EQ(Run({"--printer", "QV650", "hex", "1B40"}), cli::kExitOk);
    ASSERT_EQ(Run({"--printer", "QV650", "history", "--json"}), cli::kExitOk);
    const std::string before = out.str();
    for (const Names& args :
         {Names{"history", "--printer", "QV650", "--json"}, Names{"history", "--json", "--printer=QV650"},
          Names{"--json", "history", "--printer", "QV650"}}) {
        EXPECT_EQ(Run(args), cli::kExitOk) << args[1];
        EXPECT_EQ(out.str(), before) << args[1];
    }
    EXPECT_EQ(Run({"history", "--printer"}), cli::kExitRefused);
    EXPECT_NE(err.str().find("--printer needs a printer name"), std::string::npos) << err.str();
}

TEST_F(RecordCliTest, HistoryNamesTheCommonReceiptCommandsOfADocument) {
    // A cut and a centred line as other programs write them, after one of the printer's own commands.
    ASSERT_EQ(
        Run({"hex", "1B", "42", "02", "1B", "61", "01", "1D", "56", "00", "1B", "70", "00", "32", "FA"}), 0);
    ASSERT_EQ(Run({"history"}), 0);
    EXPECT_NE(out.str().find("(ESC B 02, ESC a, GS V, ESC p)"), std::string::npos) << out.str();
}

}  // namespace
}  // namespace qvset
