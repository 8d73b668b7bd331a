// The window program's command line, read the same way by qvset and qvset.exe.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "forms/ProgramOptions.h"

namespace qvset::forms::testing {
namespace {

using Action = ProgramOptions::Action;

struct Row {
    std::vector<std::string> args;
    Action action;
    std::string detail;  // Run: the first window; Screenshot: "FILE Form"; Refused: the error
};

std::string Detail(const ProgramOptions& options) {
    switch (options.action) {
        case Action::Run:
            return options.startForm;
        case Action::Screenshot:
            return options.screenshotFile + " " + options.screenshotForm;
        case Action::Refused:
            return options.error;
        case Action::Help:
        case Action::Version:
            break;
    }
    return {};
}

TEST(ProgramOptions, EachCommandLineIsTakenOrRefusedWithOneLineNamingTheProblem) {
    const Row rows[] = {
        {{}, Action::Run, "Form1"},
        {{"--preview"}, Action::Run, "Form3"},
        {{"--help"}, Action::Help, ""},
        {{"-h"}, Action::Help, ""},
        {{"--version"}, Action::Version, ""},
        {{"--preview", "--help"}, Action::Help, ""},
        {{"--help", "--version"}, Action::Help, ""},
        {{"--screenshot", "a.png"}, Action::Screenshot, "a.png Form1"},
        {{"--screenshot=a.png"}, Action::Screenshot, "a.png Form1"},
        {{"--screenshot", "设置.png", "--form", "2"}, Action::Screenshot, "设置.png Form2"},
        {{"--form", "3", "--screenshot", "a.png"}, Action::Screenshot, "a.png Form3"},
        {{"--screenshot=a.png", "--form=1"}, Action::Screenshot, "a.png Form1"},
        {{"--screenshot", "--form", "2"}, Action::Refused, "--screenshot needs a value"},
        {{"--screenshot=--form"}, Action::Screenshot, "--form Form1"},
        {{"--screenshot", "-"}, Action::Screenshot, "- Form1"},
        {{"--form", "1"}, Action::Refused, "--form goes with --screenshot"},
        {{"--form=3", "--preview"}, Action::Refused, "--form goes with --screenshot"},
        {{"--screenshot", "a.png", "--form", "4"}, Action::Refused, "--form takes 1, 2 or 3"},
        {{"--screenshot", "a.png", "--form", "01"}, Action::Refused, "--form takes 1, 2 or 3"},
        {{"--form", "0"}, Action::Refused, "--form takes 1, 2 or 3"},
        {{"--screenshot"}, Action::Refused, "--screenshot needs a value"},
        {{"--screenshot="}, Action::Refused, "--screenshot needs a value"},
        {{"--screenshot", "a.png", "--form"}, Action::Refused, "--form needs a value"},
        {{"--screenshot", "a.png", "--form="}, Action::Refused, "--form needs a value"},
        {{"--screenshot", "a.png", "--screenshot=b.png"}, Action::Refused, "--screenshot given twice"},
        {{"--screenshot", "a.png", "--form", "1", "--form", "2"}, Action::Refused, "--form given twice"},
        {{"--preview", "--preview"}, Action::Refused, "--preview given twice"},
        {{"--preview", "--screenshot", "a.png"},
         Action::Refused,
         "--preview does not go with --screenshot (use --form 3)"},
        {{"--bogus"}, Action::Refused, "unknown option --bogus"},
        {{"-v"}, Action::Refused, "unknown option -v"},
        {{"--preview=1"}, Action::Refused, "unknown option --preview=1"},
        {{"--screenshots", "a.png"}, Action::Refused, "unknown option --screenshots"},
        {{"a.png"}, Action::Refused, "unexpected argument a.png"},
        {{"-"}, Action::Refused, "unexpected argument -"},
        // A refusal wins over help and version: a typo is not hidden behind the help text.
        {{"--help", "--bogus"}, Action::Refused, "unknown option --bogus"},
        {{"--version", "--form", "2"}, Action::Refused, "--form goes with --screenshot"},
    };
    for (const Row& row : rows) {
        std::string line;
        for (const auto& arg : row.args) line += " " + arg;
        const ProgramOptions options = ParseProgramArguments(row.args);
        EXPECT_EQ(options.action, row.action) << line;
        EXPECT_EQ(Detail(options), row.detail) << line;
    }
}

TEST(ProgramOptions, ARefusalNamesTheProblemAndWhereToReadMore) {
    const ProgramOptions options = ParseProgramArguments({"--form", "1"});
    EXPECT_EQ(RefusalText(options), "qvset: --form goes with --screenshot\nsee 'qvset --help'\n");
}

TEST(ProgramOptions, TheHelpNamesTheProgramAndEveryOption) {
    const std::string help = ProgramHelp("qvset.exe");
    EXPECT_EQ(
        help.rfind("Usage: qvset.exe [--preview]\n  or:  qvset.exe --screenshot FILE [--form 1|2|3]\n", 0),
        0u)
        << help;
    std::size_t at = 0;
    for (const char* option : {"-h, --help", "--version", "--preview", "--screenshot FILE", "--form 1|2|3"}) {
        const std::size_t found = help.find(std::string("\n  ") + option, at);
        EXPECT_NE(found, std::string::npos) << option << " in order";
        if (found != std::string::npos) at = found;
    }
}

}  // namespace
}  // namespace qvset::forms::testing
