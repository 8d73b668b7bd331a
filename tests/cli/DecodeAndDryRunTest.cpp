// qvctl decode, printer-state and --dry-run over an in-memory spooler: inputs, exit statuses and the
// lines they print, and the dry run's documents and pauses against those of the real run.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>

#include "cli/CommandLine.h"
#include "cli/ConsoleDialogs.h"
#include "decode/CommandDecoder.h"
#include "decode/PrinterState.h"
#include "printer/MemorySpooler.h"
#include "support/QvctlFixture.h"
#include "support/RecordingDialogs.h"
#include "support/SequenceLog.h"

namespace qvset {
namespace {

namespace fs = std::filesystem;
using Args = std::vector<std::string>;
using Lines = std::vector<std::string>;

struct Outcome {
    int status = 0;
    Lines out;
    std::string err;
};

Lines SplitLines(const std::string& text) {
    Lines lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

class DecodeAndDryRun : public testing::QvctlFixture {
  protected:
    DecodeAndDryRun()
        : QvctlFixture({{"QV640", "drv", "usb"}, {"Office", "drv", "lpt"}}), log(spooler, pause) {
        spooler.SetCurrentPrinter("QV640");
        cli::RegisterAllCommands(registry);
    }

    Outcome Run(const Args& args, const std::string& input = "") {
        std::istringstream in(input);
        const int status = RunQvctl(args, &in);
        return {status, SplitLines(out.str()), err.str()};
    }

    std::string Write(const std::string& name, const std::string& bytes) {
        std::ofstream(folder / name, std::ios::binary) << bytes;
        return (folder / name).string();
    }

    testing::SequenceLog log;
};

const std::string kBlackMarkOn =
    "     0     3  1B 42 02                    ESC B 02        black mark on (黑标设置: 打开, item 1, code "
    "99)";
const std::string kLineFeed = "     0     1  0A                          LF              line feed";

struct DecodeRow {
    std::string name;
    Args args;  // "@x" stands for the file x in the test's folder
    std::string input;
    int status;
    Lines out;
    std::string err;  // "@x" as in args
};

TEST_F(DecodeAndDryRun, DecodeListsEveryInputAndNamesTheOnesItCannotRead) {
    const std::string mark = Write("mark.prn", "\x1B\x42\x02");
    const std::string feed = Write("feed.prn", "\x0A");
    const std::string empty = Write("empty.prn", "");
    const std::string cut = Write("cut.prn", std::string("\x1B\x42\x02\x1D\x28", 5));
    fs::create_directory(folder / "sub");
    ASSERT_EQ(::mkfifo((folder / "fifo").c_str(), 0600), 0);
    const auto at = [&](const std::string& text) {
        std::string result = text;
        const auto pos = result.find('@');
        if (pos != std::string::npos) result.replace(pos, 1, folder.string() + "/");
        return result;
    };
    const std::vector<DecodeRow> rows = {
        {"one file", {"decode", "@mark.prn"}, "", 0, {kBlackMarkOn}, ""},
        {"standard input", {"decode", "-"}, "\x0A", 0, {kLineFeed}, ""},
        {"an empty file", {"decode", "@empty.prn"}, "", 0, {"(no bytes)"}, ""},
        {"two files, each under its name",
         {"decode", "@mark.prn", "@feed.prn"},
         "",
         0,
         {"==> " + mark + " <==", kBlackMarkOn, "==> " + feed + " <==", kLineFeed},
         ""},
        {"a command cut off is shown as such after the rest",
         {"decode", "@cut.prn"},
         "",
         0,
         {kBlackMarkOn,
          "     3     2  1D 28                       GS (            GS ( F, cut off by the end of the "
          "document "
          "after 2 bytes"},
         ""},
        {"a missing file among good ones: the others are listed, exit 2",
         {"decode", "@missing.prn", "@feed.prn"},
         "",
         2,
         {"==> " + feed + " <==", kLineFeed},
         "qvctl decode: @missing.prn: no such file\n"},
        {"a folder", {"decode", "@sub"}, "", 2, {}, "qvctl decode: @sub: is a folder, not a file\n"},
        {"a FIFO is not waited on",
         {"decode", "@fifo"},
         "",
         2,
         {},
         "qvctl decode: @fifo: is not a regular file (a device, a FIFO or a socket): not read\n"},
        {"no input",
         {"decode"},
         "",
         2,
         {},
         "qvctl: decode: a file (or - for standard input) is needed\nsee: qvctl decode --help\n"},
        {"an unknown option",
         {"decode", "--yaml", "-"},
         "",
         2,
         {},
         "qvctl: decode: unknown option --yaml (a file of that name: -- --yaml)\nsee: qvctl decode --help\n"},
    };
    for (const auto& row : rows) {
        Args args;
        for (const auto& arg : row.args) args.push_back(at(arg));
        const Outcome outcome = Run(args, row.input);
        EXPECT_EQ(outcome.status, row.status) << row.name << '\n' << outcome.err;
        EXPECT_EQ(outcome.out, row.out) << row.name;
        EXPECT_EQ(outcome.err, at(row.err)) << row.name;
    }
    EXPECT_TRUE(spooler.Documents().empty());
}

TEST_F(DecodeAndDryRun, DecodeJsonIsOneListingOrAnArrayNamingEachFile) {
    const std::string mark = Write("mark.prn", "\x1B\x42\x02\x0A");
    const Outcome one = Run({"decode", "--json", mark});
    ASSERT_EQ(one.status, 0) << one.err;
    std::string text;
    for (const auto& line : one.out) text += line + '\n';
    const auto listing = nlohmann::json::parse(text);
    EXPECT_EQ(listing["length"], 4);
    ASSERT_EQ(listing["commands"].size(), 2u);
    EXPECT_EQ(listing["commands"][0]["kind"], "flag");
    EXPECT_EQ(listing["commands"][1]["kind"], "line-feed");
    EXPECT_EQ(listing["commands"][1]["offset"], 3);

    const Outcome two = Run({"decode", "--json", mark, "-"}, "\x0D");
    ASSERT_EQ(two.status, 0) << two.err;
    text.clear();
    for (const auto& line : two.out) text += line + '\n';
    const auto listings = nlohmann::json::parse(text);
    ASSERT_TRUE(listings.is_array());
    ASSERT_EQ(listings.size(), 2u);
    EXPECT_EQ(listings[0]["file"], mark);
    EXPECT_EQ(listings[0]["commands"].size(), 2u);
    EXPECT_EQ(listings[1]["file"], "-");
    EXPECT_EQ(listings[1]["commands"][0]["kind"], "carriage-return");
}

// The dry run's output reduced to its sequence: "document N bytes" for each document, "wait MS" for
// each pause, in the order printed.
Lines DryRunSequence(const Lines& out) {
    Lines sequence;
    for (const auto& line : out) {
        std::size_t number = 0;
        int milliseconds = 0;
        char bytes[16] = {};
        if (std::sscanf(line.c_str(), "document %*d (%zu %15[a-z]):", &number, bytes) == 2) {
            sequence.push_back("document " + std::to_string(number) + " bytes");
        } else if (std::sscanf(line.c_str(), "(pause %d ms)", &milliseconds) == 1) {
            sequence.push_back(testing::SequenceLog::Wait(milliseconds));
        }
    }
    return sequence;
}

// The real run's log in the same form.
Lines RealSequence(const Lines& entries) {
    Lines sequence;
    for (const auto& entry : entries) {
        sequence.push_back(
            entry.rfind("wait ", 0) == 0 ? entry : "document " + std::to_string(entry.size() / 2) + " bytes");
    }
    return sequence;
}

TEST_F(DecodeAndDryRun, DryRunShowsTheDocumentsAndPausesOfTheRealRunInOrder) {
    const std::string ticket = (folder / "t.txt").string();
    ASSERT_EQ(Run({"ticket", "new", ticket, "--black-mark", "on", "--length", "152", "--baud", "4"}).status,
              0);
    const std::vector<Args> commands = {
        {"factory-restore"},
        {"console", "--table", "1B", "4A", "15"},
        {"tune", "single", "--pause", "300"},
        {"tune", "all", "--pause", "0", "--no-watch"},
        {"pin-test"},
        {"ticket", "apply", ticket},
        {"format", "152", "20", "27"},
        {"format", "9.5", "0", "0"},  // refused: nothing sent, exit 2
        {"hex", "1G"},                // refused: nothing sent, exit 2
        {"tune", "single", "--high", "x"},
    };
    for (const auto& command : commands) {
        std::string shown;
        for (const auto& arg : command) shown += arg + ' ';
        log.Clear();
        const Outcome real = Run(command);
        const Lines expected = RealSequence(log.Entries());
        log.Clear();
        spooler.ClearDocuments();
        Args dry{"--dry-run"};
        dry.insert(dry.end(), command.begin(), command.end());
        const Outcome outcome = Run(dry);
        EXPECT_EQ(outcome.status, real.status) << shown;
        EXPECT_EQ(outcome.err, real.err) << shown;
        EXPECT_EQ(DryRunSequence(outcome.out), expected) << shown;
        // Nothing reached the spooler and nothing was waited for.
        EXPECT_TRUE(log.Entries().empty()) << shown;
    }
}

TEST_F(DecodeAndDryRun, DryRunOfTheFactoryRestoreIsSaveTableSaveWithItsPauses) {
    const Outcome outcome = Run({"--dry-run", "factory-restore"});
    ASSERT_EQ(outcome.status, 0) << outcome.err;
    // Each document's header, then its one listing line by its command, then the pause that follows.
    const Lines expected = {"document 1 (5 bytes):",  "ESC : NUL NUL R", "(pause 2500 ms)",
                            "document 2 (31 bytes):", "ESC : E ",        "(pause 1000 ms)",
                            "document 3 (5 bytes):",  "ESC : NUL NUL R"};
    ASSERT_EQ(outcome.out.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        if (expected[i].rfind("document", 0) == 0 || expected[i].rfind("(pause", 0) == 0) {
            EXPECT_EQ(outcome.out[i], expected[i]) << "line " << i;
        } else {
            EXPECT_NE(outcome.out[i].find("  " + expected[i]), std::string::npos) << outcome.out[i];
        }
    }
    EXPECT_NE(outcome.out[4].find("(the factory table)"), std::string::npos) << outcome.out[4];
}

TEST_F(DecodeAndDryRun, DryRunHonoursThePrinterOptionAndRefusesCommandsThatSendNothing) {
    const std::vector<DecodeRow> rows = {
        {"--printer before",
         {"--printer", "Office", "--dry-run", "line-feed"},
         "",
         0,
         {"document 1 (1 byte):", kLineFeed},
         ""},
        {"--printer after",
         {"--dry-run", "--printer=Office", "hex", "1B4202"},
         "",
         0,
         {"document 1 (3 bytes):", kBlackMarkOn},
         ""},
        {"printers",
         {"--dry-run", "printers"},
         "",
         2,
         {},
         "qvctl: --dry-run: printers sends no documents\nsee: qvctl --help\n"},
        {"use",
         {"--dry-run", "use", "Office"},
         "",
         2,
         {},
         "qvctl: --dry-run: use sends no documents\nsee: qvctl --help\n"},
        {"pick",
         {"--dry-run", "pick"},
         "",
         2,
         {},
         "qvctl: --dry-run: pick sends no documents\nsee: qvctl --help\n"},
        {"ticket new",
         {"--dry-run", "ticket", "new", "@n.txt"},
         "",
         2,
         {},
         "qvctl: --dry-run: ticket new sends no documents\nsee: qvctl --help\n"},
        {"decode",
         {"--dry-run", "decode", "-"},
         "",
         2,
         {},
         "qvctl: --dry-run: decode sends no documents\nsee: qvctl --help\n"},
    };
    for (const auto& row : rows) {
        Args args;
        for (const auto& arg : row.args)
            args.push_back(arg[0] == '@' ? (folder / arg.substr(1)).string() : arg);
        const Outcome outcome = Run(args);
        EXPECT_EQ(outcome.status, row.status) << row.name;
        EXPECT_EQ(outcome.out, row.out) << row.name;
        EXPECT_EQ(outcome.err, row.err) << row.name;
    }
    EXPECT_TRUE(spooler.Documents().empty());
    EXPECT_TRUE(spooler.AppliedChoices().empty());
    EXPECT_FALSE(fs::exists(folder / "n.txt"));
}

TEST_F(DecodeAndDryRun, PrinterStateShowsTheFolderItReadsAndWhy) {
    PrinterState state;
    // black mark on, then paper 58, in job 7
    state.Apply(DecodeDocument(std::vector<std::uint8_t>{0x1B, 0x42, 0x02, 0x1B, 0x42, 0x05}), "7");
    fs::create_directory(folder / "vp");
    ASSERT_TRUE(state.Save(folder / "vp" / std::string(kPrinterStateFile)));
    spooler.SetPrinters(
        {{"QV640", "drv", "usb"}, {"QV640_Virtual", "raw", "qvprinter:" + (folder / "vp").string()}});

    const Outcome given = Run({"printer-state", (folder / "vp").string()});
    ASSERT_EQ(given.status, 0) << given.err;
    ASSERT_GE(given.out.size(), 3u);
    EXPECT_EQ(given.out[0],
              "virtual printer state " + (folder / "vp" / "state.json").string() + " (as given)");
    EXPECT_EQ(given.out[1], "stored switches:");
    EXPECT_EQ(given.out[2], "  black-mark         black mark on (黑标设置: 打开, item 1, code 99)  (job 7)");
    EXPECT_NE(given.out[3].find("paper 58 mm"), std::string::npos) << given.out[3];

    // QV640 is no virtual printer: the server's first one is taken, and named.
    const Outcome found = Run({"printer-state", "--json"});
    ASSERT_EQ(found.status, 0) << found.err;
    EXPECT_EQ(found.err,
              "virtual printer state " + (folder / "vp" / "state.json").string() +
                  " (the folder of QV640_Virtual, the print server's first virtual printer (qvprinter:" +
                  (folder / "vp").string() + "))\n");
    std::string json;
    for (const auto& line : found.out) json += line + '\n';
    EXPECT_EQ(json, state.ToJson());

    spooler.SetCurrentPrinter("QV640_Virtual");
    EXPECT_NE(Run({"printer-state"}).out.at(0).find("(the folder of QV640_Virtual, the current printer"),
              std::string::npos);

    // A server that cannot be asked which folder: exit 1 and no state shown (an empty one from the
    // current folder would read as a printer that recorded nothing), but a named folder is still read.
    // A folder that is not there: exit 2.
    spooler.SetUnreachable();
    const Outcome unreachable = Run({"printer-state"});
    EXPECT_EQ(unreachable.status, 1);
    EXPECT_TRUE(unreachable.out.empty());
    EXPECT_EQ(unreachable.err,
              "qvctl printer-state: the print server could not be asked for its virtual printers; "
              "name the folder: qvctl printer-state FOLDER\n");
    EXPECT_EQ(Run({"printer-state", (folder / "vp").string()}).status, 0);
    const Outcome missing = Run({"printer-state", (folder / "nowhere").string()});
    EXPECT_EQ(missing.status, 2);
    EXPECT_EQ(missing.err, "qvctl printer-state: " + (folder / "nowhere").string() + " is missing\n");

    std::ofstream(folder / "vp" / "state.json") << "{\"format\": 9}";
    const Outcome broken = Run({"printer-state", (folder / "vp").string()});
    EXPECT_EQ(broken.status, 2);
    EXPECT_NE(broken.err.find("not a printer state of format 1"), std::string::npos) << broken.err;
}

TEST_F(DecodeAndDryRun, PrinterStateThatCannotBeReadIsAFailureNeverAnEmptyState) {
    Write("plain", "not a folder");
    fs::create_directories(folder / "loop");
    fs::create_symlink("state.json", folder / "loop" / "state.json");
    fs::create_directories(folder / "latin1");
    Write("latin1/state.json", "{\"format\": 1, \"switches\": {}, \"x\": \"caf\xE9\"}");
    struct Row {
        std::string folder;
        std::string err;  // after "qvctl printer-state: "
    };
    const std::vector<Row> rows = {
        {"nowhere", (folder / "nowhere").string() + " is missing"},
        {"plain", (folder / "plain").string() + " is not a folder"},
        {"loop",
         "cannot read " + (folder / "loop" / "state.json").string() + " (Too many levels of symbolic links)"},
        {"latin1",
         (folder / "latin1" / "state.json").string() + ": not UTF-8 text (byte 39 is no character)"},
    };
    for (const auto& row : rows) {
        for (const Args& args : {Args{"printer-state", (folder / row.folder).string()},
                                 Args{"printer-state", "--json", (folder / row.folder).string()}}) {
            const Outcome outcome = Run(args);
            EXPECT_EQ(outcome.status, 2) << row.folder;
            EXPECT_EQ(outcome.err.substr(outcome.err.find("qvctl printer-state: ")),
                      "qvctl printer-state: " + row.err + "\n")
                << row.folder;
            // At most the heading: no "no job recorded yet", no empty parts, no JSON.
            EXPECT_LE(outcome.out.size(), 1u) << row.folder;
            for (const auto& line : outcome.out) EXPECT_EQ(line.rfind("virtual printer state ", 0), 0u);
        }
    }
}

TEST_F(DecodeAndDryRun, PrinterStateShowsTheJobsOfTheFileWithoutTheirControlCharacters) {
    PrinterState state;
    // Any program may have written the job names: an escape sequence, a bell, a C1 control.
    state.Apply(DecodeDocument(std::vector<std::uint8_t>{0x1B, 0x42, 0x02}), "7\x1B]0;owned\x07\xC2\x9B");
    fs::create_directory(folder / "vp");
    ASSERT_TRUE(state.Save(folder / "vp" / std::string(kPrinterStateFile)));
    const Outcome outcome = Run({"printer-state", (folder / "vp").string()});
    ASSERT_EQ(outcome.status, 0) << outcome.err;
    ASSERT_GE(outcome.out.size(), 3u);
    EXPECT_EQ(outcome.out[2],
              "  black-mark         black mark on (黑标设置: 打开, item 1, code 99)  "
              "(job 7\\x1B]0;owned\\x07\\xC2\\x9B)");
    // The JSON escapes all three, and still reads back to the same job.
    const Outcome json = Run({"printer-state", "--json", (folder / "vp").string()});
    ASSERT_EQ(json.status, 0) << json.err;
    std::string text;
    for (const auto& line : json.out) text += line + '\n';
    EXPECT_NE(text.find("\"job\": \"7\\u001b]0;owned\\u0007\\u009b\""), std::string::npos) << text;
    EXPECT_EQ(nlohmann::json::parse(text)["switches"]["black-mark"]["job"], "7\x1B]0;owned\x07\xC2\x9B");
}

TEST_F(DecodeAndDryRun, StandardInputThatFailsIsNamedAndNotListedAsEmpty) {
    // A stream buffer whose reading fails, as reading a folder or a closed descriptor does.
    struct FailingBuffer : std::streambuf {
        int_type underflow() override { throw std::ios_base::failure("cannot be read"); }
    } failing;
    std::istream in(&failing);
    std::ostringstream listing;
    std::ostringstream errors;
    cli::ConsoleDialogs dialogs(errors);
    cli::CliEnvironment environment{spooler, dialogs, pause, folder, listing, errors, {}, &in};
    const std::string feed = Write("feed.prn", "\x0A");
    EXPECT_EQ(cli::RunCommandLine(registry, {"decode", "-", feed}, environment), 2);
    EXPECT_EQ(listing.str(), "==> " + feed + " <==\n" + kLineFeed + "\n");
    EXPECT_EQ(errors.str(), "qvctl decode: -: standard input cannot be read (a folder, or closed)\n");
}

}  // namespace
}  // namespace qvset
