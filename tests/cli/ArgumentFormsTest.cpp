// qvctl's argument forms: help, version, joined and separate option values, one-line usage errors.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <regex>
#include <sstream>

#include "Version.h"
#include "cli/ArgumentParsing.h"
#include "cli/CommandRegistry.h"
#include "cli/ConsoleDialogs.h"
#include "printer/MemorySpooler.h"
#include "support/DocumentsAsHex.h"
#include "support/FileBytes.h"
#include "support/QvctlFixture.h"
#include "support/RecordingDialogs.h"

using qvset::testing::ReadFileBytes;

namespace qvset {
namespace {

namespace fs = std::filesystem;
using Args = std::vector<std::string>;

struct Outcome {
    int status = 0;
    std::string out;
    std::string err;
    std::vector<std::string> documents;  // "printer: HEX" for each document, in order
};

class QvctlArguments : public testing::QvctlFixture {
  protected:
    QvctlArguments() : QvctlFixture({{"QV640", "drv", "usb"}, {"Office", "drv", "lpt"}}) {
        spooler.SetCurrentPrinter("QV640");
        cli::RegisterPrinterCommands(registry);
        cli::RegisterSettingsCommands(registry);
        cli::RegisterTicketCommands(registry);
        cli::RegisterTuningCommands(registry);
        cli::RegisterConsoleCommands(registry);
    }

    Outcome Run(const Args& args) {
        spooler.ClearDocuments();
        Outcome outcome{RunQvctl(args), out.str(), err.str(), {}};
        for (const auto& document : spooler.Documents()) {
            outcome.documents.push_back(document.printer + ": " + EncodeHex(document.bytes));
        }
        return outcome;
    }

    static std::string FirstLine(const std::string& text) { return text.substr(0, text.find('\n')); }
};

struct FormRow {
    Args args;
    int status;
    std::string firstLine;     // of stdout when the status is 0, of stderr otherwise
    std::string seeLine = {};  // the usage error's second line: the help to read
};

TEST_F(QvctlArguments, EachFormGivesItsStatusAndFirstLine) {
    const std::string overview =
        "usage: qvctl [--server HOST[:PORT]]... [--printer NAME|PATTERN]... [--json] [--dry-run]";
    const std::string ticketGroup = "usage: qvctl [--printer NAME] ticket show|apply|plan|new ...";
    const std::string tune =
        "usage: qvctl [--printer NAME] tune single|all [--high N] [--standard N] [--fine N] "
        "[--pause MS] [--no-watch]";
    const std::vector<FormRow> rows = {
        {{"--version"}, 0, "qvctl " + std::string(kVersion)},
        {{"--printer", "QV640", "--version"}, 0, "qvctl " + std::string(kVersion)},
        {{"--help"}, 0, overview},
        {{"-h"}, 0, overview},
        {{"help"}, 0, overview},
        {{"--printer=Office", "-h"}, 0, overview},
        {{"tune", "--help"}, 0, tune},
        {{"tune", "-h"}, 0, tune},
        {{"help", "tune"}, 0, tune},
        {{"tune", "all", "--high", "3", "-h"}, 0, tune},
        {{"ticket", "--help"}, 0, ticketGroup},
        {{"ticket", "-h"}, 0, ticketGroup},
        {{"help", "ticket"}, 0, ticketGroup},
        {{"ticket", "new", "-h"},
         0,
         "usage: qvctl [--printer NAME] ticket new OUT [--black-mark on|off] "
         "[--paper 76|58] [--head standard|quiet] [--edge high|low]"},
        {{"help", "ticket", "show"}, 0, "usage: qvctl [--printer NAME] ticket show [--json] FILE"},
        {{}, 2, "qvctl: no command given", "see: qvctl --help"},
        {{"frob"}, 2, "qvctl: unknown command frob", "see: qvctl --help"},
        {{"help", "frob"}, 2, "qvctl: unknown command frob", "see: qvctl --help"},
        {{"-x"}, 2, "qvctl: unknown option -x", "see: qvctl --help"},
        {{"--frob", "hex", "0A"}, 2, "qvctl: unknown option --frob", "see: qvctl --help"},
        {{"--printer"}, 2, "qvctl: --printer needs a printer name", "see: qvctl --help"},
        {{"--printer=", "line-feed"}, 2, "qvctl: --printer needs a printer name", "see: qvctl --help"},
        {{"--printer", "QV640"}, 2, "qvctl: no command given", "see: qvctl --help"},
        {{"ticket"}, 2, "qvctl: ticket needs one of its commands", "see: qvctl ticket --help"},
        {{"ticket", "frob"}, 2, "qvctl: unknown command ticket frob", "see: qvctl ticket --help"},
        {{"printers", "extra"}, 2, "qvctl: printers: takes no arguments", "see: qvctl printers --help"},
        {{"format", "152", "20"},
         2,
         "qvctl: format: three values L P B in millimetres",
         "see: qvctl format --help"},
        {{"format", "--style=3", "152", "20", "27"},
         2,
         "qvctl: format: --style takes 1 or 2",
         "see: qvctl format --help"},
        {{"tune", "single", "--no-watch=yes"},
         2,
         "qvctl: tune: --no-watch takes no value",
         "see: qvctl tune --help"},
        {{"console", "--table=1", "0A"},
         2,
         "qvctl: console: --table takes no value",
         "see: qvctl console --help"},
        {{"tune", "single", "--pause"}, 2, "qvctl: tune: --pause needs a value", "see: qvctl tune --help"},
        {{"--printer=Office", "line-feed"}, 0, ""},
        // The operand count comes from each command's usage, checked before anything is read or sent.
        {{"set", "head"}, 2, "qvctl: set: an item and a choice", "see: qvctl set --help"},
        {{"set", "head", "quiet", "now"}, 2, "qvctl: set: unexpected argument now", "see: qvctl set --help"},
        {{"length"}, 2, "qvctl: length: one value in millimetres", "see: qvctl length --help"},
        {{"ticket", "apply"}, 2, "qvctl: ticket apply: one file", "see: qvctl ticket apply --help"},
        {{"ticket", "new", "--threshold"},
         2,
         "qvctl: ticket new: one output file",
         "see: qvctl ticket new --help"},
        {{"file", "a.prn", "b.prn"}, 2, "qvctl: file: unexpected argument b.prn", "see: qvctl file --help"},
        {{"save", "now"}, 2, "qvctl: save: takes no arguments", "see: qvctl save --help"},
        {{"factory-restore", "now"},
         2,
         "qvctl: factory-restore: takes no arguments",
         "see: qvctl factory-restore --help"},
        {{"tune", "--pause", "0"}, 2, "qvctl: tune: single or all is needed", "see: qvctl tune --help"},
        {{"hex"}, 2, "qvctl: hex: no hex digits given", "see: qvctl hex --help"},
        {{"text"}, 2, "qvctl: text: one text argument", "see: qvctl text --help"},
        {{"text", "a", "b"}, 2, "qvctl: text: unexpected argument b", "see: qvctl text --help"},
        {{"text", "\xF3\xA0\x80\x81\xF3\xA0\x80\x82"},
         2,
         "qvctl: text: the text holds no character of the printer's character set (GBK): nothing of it could "
         "be "
         "printed",
         "see: qvctl text --help"},
        {{"text", "😀"},
         2,
         "qvctl: text: the text holds no character of the printer's character set (GBK): nothing of it could "
         "be "
         "printed",
         "see: qvctl text --help"},
        {{"text", "--a", "b"}, 2, "qvctl: text: unexpected argument b", "see: qvctl text --help"},
    };
    for (const auto& row : rows) {
        std::string shown;
        for (const auto& arg : row.args) shown += arg + ' ';
        const Outcome outcome = Run(row.args);
        EXPECT_EQ(outcome.status, row.status) << shown << outcome.err;
        EXPECT_EQ(FirstLine(row.status == 0 ? outcome.out : outcome.err), row.firstLine) << shown;
        if (row.status == 2) {
            // A usage error is the problem and the help to read: no overview, nothing on stdout,
            // nothing sent.
            EXPECT_EQ(outcome.err, row.firstLine + "\n" + row.seeLine + "\n") << shown;
            EXPECT_EQ(outcome.out, "") << shown;
            EXPECT_TRUE(outcome.documents.empty()) << shown;
        }
    }
}

// Where the window reads "abc" as 0 and "l52" as 0, a command line refuses what is not a number: a
// typo would otherwise write the printer's stored geometry or its mode values.
TEST_F(QvctlArguments, AValueThatIsNotANumberOfItsRangeIsRefusedAndNothingIsSent) {
    const std::string mm = " (millimetres from 0 to 1000)";
    const std::string mode = " (a mode value from 1 to 40)";
    const std::string ms = " (milliseconds from 0 to 60000)";
    const std::string newFile = (folder / "new.txt").string();
    const std::vector<FormRow> rows = {
        {{"length", "abc"}, 2, "qvctl: length: \"abc\" is not a number" + mm, "see: qvctl length --help"},
        {{"length", "l52"}, 2, "qvctl: length: \"l52\" is not a number" + mm, "see: qvctl length --help"},
        {{"length", "152mm"}, 2, "qvctl: length: \"152mm\" is not a number" + mm, "see: qvctl length --help"},
        {{"length", "152,5"}, 2, "qvctl: length: \"152,5\" is not a number" + mm, "see: qvctl length --help"},
        {{"length", "1e2"}, 2, "qvctl: length: \"1e2\" is not a number" + mm, "see: qvctl length --help"},
        {{"length", "&H98"}, 2, "qvctl: length: \"&H98\" is not a number" + mm, "see: qvctl length --help"},
        {{"length", " 152"}, 2, "qvctl: length: \" 152\" is not a number" + mm, "see: qvctl length --help"},
        {{"length", "1.2.3"}, 2, "qvctl: length: \"1.2.3\" is not a number" + mm, "see: qvctl length --help"},
        {{"length", ""}, 2, "qvctl: length: \"\" is not a number" + mm, "see: qvctl length --help"},
        {{"length", "9999"}, 2, "qvctl: length: \"9999\" is out of range" + mm, "see: qvctl length --help"},
        {{"length", "-1"}, 2, "qvctl: length: \"-1\" is out of range" + mm, "see: qvctl length --help"},
        {{"start", "1000.5"}, 2, "qvctl: start: \"1000.5\" is out of range" + mm, "see: qvctl start --help"},
        {{"mark", "x"}, 2, "qvctl: mark: \"x\" is not a number" + mm, "see: qvctl mark --help"},
        {{"format", "152", "2O", "27"},
         2,
         "qvctl: format: P \"2O\" is not a number" + mm,
         "see: qvctl format --help"},
        {{"format", "152", "20", "2000"},
         2,
         "qvctl: format: B \"2000\" is out of range" + mm,
         "see: qvctl format --help"},
        {{"tune", "all", "--high", "abc", "--no-watch"},
         2,
         "qvctl: tune: --high \"abc\" is not a number" + mode,
         "see: qvctl tune --help"},
        {{"tune", "all", "--fine", "2.5"},
         2,
         "qvctl: tune: --fine \"2.5\" is not a whole number" + mode,
         "see: qvctl tune --help"},
        {{"tune", "single", "--standard=41"},
         2,
         "qvctl: tune: --standard \"41\" is out of range" + mode,
         "see: qvctl tune --help"},
        {{"tune", "single", "--high", "0"},
         2,
         "qvctl: tune: --high \"0\" is out of range" + mode,
         "see: qvctl tune --help"},
        {{"tune", "single", "--pause", "5s"},
         2,
         "qvctl: tune: --pause \"5s\" is not a number" + ms,
         "see: qvctl tune --help"},
        {{"tune", "single", "--pause", "-1"},
         2,
         "qvctl: tune: --pause \"-1\" is out of range" + ms,
         "see: qvctl tune --help"},
        {{"set", "paper", "60"},
         2,
         "qvctl: set: paper \"60\" is not a choice (76|58)",
         "see: qvctl set --help"},
        {{"set", "baud", "3"},
         2,
         "qvctl: set: baud \"3\" is not a choice (1|2|4|12|24|30|36|42)",
         "see: qvctl set --help"},
        {{"set", "papr", "58"},
         2,
         "qvctl: set: \"papr\" is not an item (threshold, black-mark, paper, start-position, end-position, "
         "head, edge, baud)",
         "see: qvctl set --help"},
        {{"ticket", "new", newFile, "--paper", "60"},
         2,
         "qvctl: ticket new: --paper \"60\" is not a choice (76|58)",
         "see: qvctl ticket new --help"},
        {{"ticket", "new", newFile, "--length", "abc"},
         2,
         "qvctl: ticket new: --length \"abc\" is not a number" + mm,
         "see: qvctl ticket new --help"},
    };
    for (const auto& row : rows) {
        std::string shown;
        for (const auto& arg : row.args) shown += arg + ' ';
        const Outcome outcome = Run(row.args);
        EXPECT_EQ(outcome.status, row.status) << shown;
        EXPECT_EQ(outcome.err, row.firstLine + "\n" + row.seeLine + "\n") << shown;
        EXPECT_TRUE(outcome.documents.empty()) << shown;
        EXPECT_TRUE(pause.Waits().empty()) << shown;
    }
    EXPECT_FALSE(fs::exists(newFile));
}

// The numbers a command line takes are those the window reads the same way, and are sent as it sends
// them.
TEST_F(QvctlArguments, ANumberOfItsRangeIsSentAsTheWindowSendsIt) {
    const std::vector<std::pair<Args, std::string>> rows = {
        {{"length", "152"}, "QV640: 1D2846040004006503"},   {{"length", "+152"}, "QV640: 1D2846040004006503"},
        {{"length", "152.0"}, "QV640: 1D2846040004006503"}, {{"start", "35"}, "QV640: 1D284604000500C900"},
        {{"mark", "0"}, "QV640: 1D2846040006000000"},       {{"length", "1000"}, "QV640: 1D2846040004005316"},
    };
    for (const auto& [args, document] : rows) {
        const Outcome outcome = Run(args);
        EXPECT_EQ(outcome.status, 0) << args[0] << ' ' << args[1] << outcome.err;
        EXPECT_EQ(outcome.documents, std::vector<std::string>{document}) << args[0] << ' ' << args[1];
    }
}

TEST_F(QvctlArguments, ErrorsNameTheThingTheyAreAbout) {
    // The hex pair that refuses the document, counted across the arguments as they are joined.
    Outcome outcome = Run({"hex", "1B", "4Z", "0A"});
    EXPECT_EQ(outcome.status, 2);
    EXPECT_EQ(outcome.err, "指令格式错误，未发送：第 2 对 \"4Z\"\n");
    outcome = Run({"hex", "1B4", "0G1"});  // the pairs of the joined digits: 1B 40 G1
    EXPECT_EQ(outcome.err, "指令格式错误，未发送：第 3 对 \"G1\"\n");
    EXPECT_TRUE(outcome.documents.empty());
    // A command that only reads says so for a printer that the print server does not have.
    std::ofstream(folder / "t.txt") << "";
    outcome = Run({"--printer", "QV64O", "ticket", "plan", (folder / "t.txt").string()});
    EXPECT_EQ(outcome.status, 1);
    EXPECT_EQ(outcome.err, "qvctl: ticket plan: the print server has no printer QV64O\n");
}

// A help line that ends without a stop, followed by one that begins a sentence ("default, the system's"
// and "Both repeat: ...") runs two sentences together; the man page is made of these texts too.
TEST_F(QvctlArguments, HelpRunsNoTwoSentencesTogether) {
    const std::regex runOn("[a-z,'] *\n +[A-Z][a-z]");
    std::vector<Args> helps = {{"--help"}};
    for (const auto& command : registry.Commands()) {
        Args args;
        std::istringstream words(command.name);
        for (std::string word; words >> word;) args.push_back(word);
        args.push_back("--help");
        helps.push_back(args);
    }
    for (const Args& args : helps) {
        const Outcome outcome = Run(args);
        std::smatch found;
        EXPECT_FALSE(std::regex_search(outcome.out, found, runOn)) << args[0] << ": " << found.str();
    }
}

TEST_F(QvctlArguments, HelpOfAGroupListsEachOfItsCommands) {
    const Outcome outcome = Run({"ticket", "--help"});
    std::size_t at = 0;
    for (const char* name : {"ticket show", "ticket apply", "ticket new"}) {
        at = outcome.out.find(std::string("  ") + name + " ", at);
        EXPECT_NE(at, std::string::npos) << name << " in\n" << outcome.out;
    }
}

TEST_F(QvctlArguments, AJoinedValueSendsWhatTheSeparateValueSends) {
    const std::vector<std::pair<Args, Args>> pairs = {
        {{"--printer=Office", "hex", "1B", "40"}, {"--printer", "Office", "hex", "1B", "40"}},
        {{"format", "--style=1", "152", "20", "27"}, {"format", "--style", "1", "152", "20", "27"}},
        {{"tune", "single", "--pause=0", "--high=22", "--fine=30", "--no-watch"},
         {"tune", "single", "--pause", "0", "--high", "22", "--fine", "30", "--no-watch"}},
        {{"tune", "all", "--standard=7", "--pause=0", "--no-watch"},
         {"tune", "all", "--standard", "7", "--pause", "0", "--no-watch"}},
    };
    for (const auto& [joined, separate] : pairs) {
        const Outcome a = Run(joined);
        const Outcome b = Run(separate);
        EXPECT_EQ(a.status, 0) << joined[0] << ' ' << a.err;
        EXPECT_EQ(b.status, 0) << separate[0] << ' ' << b.err;
        EXPECT_FALSE(a.documents.empty()) << joined[0];
        EXPECT_EQ(a.documents, b.documents) << joined[0];
    }
    EXPECT_EQ(Run({"--printer=Office", "hex", "1B", "40"}).documents,
              std::vector<std::string>{"Office: 1B40"});
}

TEST_F(QvctlArguments, TicketNewWritesTheSameFileWithJoinedValues) {
    const fs::path joined = folder / "joined.txt";
    const fs::path separate = folder / "separate.txt";
    EXPECT_EQ(Run({"ticket", "new", joined.string(), "--black-mark=on", "--length=160", "--baud=12"}).status,
              0);
    EXPECT_EQ(
        Run({"ticket", "new", separate.string(), "--black-mark", "on", "--length", "160", "--baud", "12"})
            .status,
        0);
    EXPECT_EQ(Run({"ticket", "new", (folder / "x.txt").string(), "--threshold=1"}).err,
              "qvctl: ticket new: --threshold takes no value\nsee: qvctl ticket new --help\n");
    ASSERT_FALSE(ReadFileBytes(separate).empty());
    EXPECT_EQ(ReadFileBytes(joined), ReadFileBytes(separate));
}

TEST_F(QvctlArguments, TextThatLooksLikeAnOptionIsSentAsWritten) {
    // Only the options a command names in its usage are split at "=".
    const Outcome outcome = Run({"text", "--a=b"});
    EXPECT_EQ(outcome.status, 0) << outcome.err;
    EXPECT_EQ(outcome.documents, std::vector<std::string>{"QV640: 2D2D613D62"});
}

TEST_F(QvctlArguments, ATextWithSomethingPrintableSendsOneQuestionMarkPerCharacterGbkLacks) {
    const std::vector<std::pair<std::string, std::string>> rows = {
        {"?", "3F"},
        {"😀a", "3F61"},
        {"a\xF3\xA0\x80\x81打", "613FB4F2"},  // a tag character between
        {"😀?", "3F3F"},
    };
    for (const auto& [text, hex] : rows) {
        const Outcome outcome = Run({"text", text});
        EXPECT_EQ(outcome.status, 0) << hex << outcome.err;
        EXPECT_EQ(outcome.documents, std::vector<std::string>{"QV640: " + hex});
    }
}

struct EndOfOptionsRow {
    Args args;
    int status;
    std::vector<std::string> documents;
    std::string err;
};

TEST_F(QvctlArguments, AfterADoubleDashEveryWordIsAnArgument) {
    const std::string outFile = (folder / "out.txt").string();
    const std::vector<EndOfOptionsRow> rows = {
        {{"--", "line-feed"}, 0, {"QV640: 0A"}, ""},
        {{"--printer=Office", "--", "hex", "0A"}, 0, {"Office: 0A"}, ""},
        {{"--", "--version"}, 2, {}, "qvctl: unknown command --version\nsee: qvctl --help\n"},
        {{"hex", "--", "0A"}, 0, {"QV640: 0A"}, ""},
        {{"text", "--", "--help"}, 0, {"QV640: 2D2D68656C70"}, ""},
        {{"text", "--", "-h"}, 0, {"QV640: 2D68"}, ""},
        {{"text", "--", "--"}, 0, {"QV640: 2D2D"}, ""},
        {{"format", "--style", "1", "--", "152", "20", "27"},
         0,
         {"QV640: 1D28460400010171001D28460400020099001D2846040003005F03"},
         ""},
        {{"console", "--", "--table"}, 2, {}, "请输入的数据是16进制的范围\n"},
        {{"tune", "single", "--", "--no-watch"},
         2,
         {},
         "qvctl: tune: unexpected argument --no-watch\nsee: qvctl tune --help\n"},
        {{"ticket", "new", "--", outFile, "--black-mark", "on"},
         2,
         {},
         "qvctl: ticket new: unexpected argument --black-mark\nsee: qvctl ticket new --help\n"},
    };
    for (const auto& row : rows) {
        std::string shown;
        for (const auto& arg : row.args) shown += arg + ' ';
        const Outcome outcome = Run(row.args);
        EXPECT_EQ(outcome.status, row.status) << shown << outcome.err;
        EXPECT_EQ(outcome.err, row.err) << shown;
        if (row.status == 0) {
            ASSERT_FALSE(outcome.documents.empty()) << shown;
            EXPECT_EQ(outcome.documents.front(), row.documents.front()) << shown;
        } else {
            EXPECT_TRUE(outcome.documents.empty()) << shown;
        }
    }
    EXPECT_FALSE(fs::exists(outFile));
}

TEST_F(QvctlArguments, TheFirstWrongWordInTheOrderGivenIsTheOneRefused) {
    const std::string outFile = (folder / "out.txt").string();
    const std::vector<EndOfOptionsRow> rows = {
        {{"format", "--style", "3", "--style", "1", "152", "20", "27"},
         2,
         {},
         "qvctl: format: --style takes 1 or 2\nsee: qvctl format --help\n"},
        {{"tune", "single", "--high", "50", "--bogus"},
         2,
         {},
         "qvctl: tune: --high \"50\" is out of range (a mode value from 1 to 40)\nsee: qvctl tune --help\n"},
        {{"tune", "single", "--bogus", "--high", "50"},
         2,
         {},
         "qvctl: tune: unknown option --bogus\nsee: qvctl tune --help\n"},
        {{"tune", "single", "foo", "--bogus"},
         2,
         {},
         "qvctl: tune: unknown option foo\nsee: qvctl tune --help\n"},
        {{"tune", "--high", "5", "single"},
         2,
         {},
         "qvctl: tune: unknown run --high (single or all)\nsee: qvctl tune --help\n"},
        {{"tune", "single", "--high", "--", "5"},
         2,
         {},
         "qvctl: tune: unexpected argument 5\nsee: qvctl tune --help\n"},
        {{"ticket", "new", outFile, "--frob"},
         2,
         {},
         "qvctl: ticket new: --frob needs a value\nsee: qvctl ticket new --help\n"},
        {{"ticket", "new", "--frob", "x", outFile},
         2,
         {},
         "qvctl: ticket new: unknown option --frob\nsee: qvctl ticket new --help\n"},
        {{"ticket", "new", outFile, "--paper", "58", "--paper"},
         2,
         {},
         "qvctl: ticket new: --paper needs a value\nsee: qvctl ticket new --help\n"},
        {{"console", "--table", "--x", "0A"}, 2, {}, "请输入的数据是16进制的范围\n"},
    };
    for (const auto& row : rows) {
        std::string shown;
        for (const auto& arg : row.args) shown += arg + ' ';
        const Outcome outcome = Run(row.args);
        EXPECT_EQ(outcome.status, row.status) << shown;
        EXPECT_EQ(outcome.err, row.err) << shown;
        EXPECT_TRUE(outcome.documents.empty()) << shown;
    }
    EXPECT_FALSE(fs::exists(outFile));
}

TEST_F(QvctlArguments, ARepeatedOptionCountsItsLastValue) {
    const Outcome two = Run({"format", "--style", "2", "152", "20", "27"});
    const Outcome oneThenTwo = Run({"format", "--style", "1", "--style", "2", "152", "20", "27"});
    const Outcome twoThenOne = Run({"format", "--style", "2", "--style", "1", "152", "20", "27"});
    const Outcome one = Run({"format", "--style", "1", "152", "20", "27"});
    ASSERT_EQ(two.status, 0) << two.err;
    EXPECT_NE(two.documents, one.documents);
    EXPECT_EQ(oneThenTwo.documents, two.documents);
    EXPECT_EQ(twoThenOne.documents, one.documents);
    const Outcome highTwice = Run({"tune", "single", "--no-watch", "--high", "3", "--high", "7"});
    const Outcome highOnce = Run({"tune", "single", "--no-watch", "--high", "7"});
    ASSERT_EQ(highOnce.status, 0) << highOnce.err;
    EXPECT_EQ(highTwice.documents, highOnce.documents);
}

TEST_F(QvctlArguments, TicketApplyTakesQvctlsJsonWordAndSendsAsWithout) {
    const std::string file = (folder / "ticket.txt").string();
    ASSERT_EQ(Run({"ticket", "new", file, "--paper", "58", "--length", "152"}).status, 0);
    const Outcome plain = Run({"ticket", "apply", file});
    const Outcome json = Run({"ticket", "apply", "--json", file});
    ASSERT_EQ(plain.status, 0) << plain.err;
    EXPECT_EQ(json.status, 0) << json.err;
    EXPECT_FALSE(plain.documents.empty());
    EXPECT_EQ(json.documents, plain.documents);
}

struct UsageRow {
    std::string usage;
    std::vector<std::pair<std::string, bool>> options;
};

TEST_F(QvctlArguments, UsageTextsNameTheirOptionsAndWhetherTheyTakeAValue) {
    const std::vector<UsageRow> rows = {
        {"[--style 1|2] L P B", {{"--style", true}}},
        {"[--table] HEX...", {{"--table", false}}},
        {"single|all [--pause MS] [--no-watch]", {{"--pause", true}, {"--no-watch", false}}},
        {"OUT [--end-position on|off]\n    [--threshold] [--baud 1|2]",
         {{"--end-position", true}, {"--threshold", false}, {"--baud", true}}},
        {"HEX...", {}},
    };
    for (const auto& row : rows) {
        std::vector<std::pair<std::string, bool>> found;
        for (const auto& option : cli::OptionsOfUsage(row.usage))
            found.emplace_back(option.name, option.takesValue);
        EXPECT_EQ(found, row.options) << row.usage;
    }
}

TEST(OperandsOfUsage, CountsWhatIsNeitherAnOptionNorItsValue) {
    using cli::kManyOperands;
    using cli::OperandCount;
    const struct {
        const char* usage;
        std::size_t least;
        std::size_t most;
    } rows[] = {
        {"", 0, 0},
        {"ITEM CHOICE", 2, 2},
        {"[PATH]", 0, 1},
        {"HEX...", 1, kManyOperands},
        {"[--table] HEX...", 1, kManyOperands},
        {"[--json] FILE...|-", 1, kManyOperands},
        {"[--json] [FOLDER]", 0, 1},
        {"[--style 1|2] L P B", 3, 3},
        {"single|all [--high N] [--pause MS] [--no-watch]", 1, 1},
        {"OUT [--black-mark on|off]\n    [--threshold] [--baud 1|2|4]", 1, 1},
    };
    for (const auto& row : rows) {
        const OperandCount count = cli::OperandsOfUsage(row.usage);
        EXPECT_EQ(count.least, row.least) << row.usage;
        EXPECT_EQ(count.most, row.most) << row.usage;
    }
}

}  // namespace
}  // namespace qvset
