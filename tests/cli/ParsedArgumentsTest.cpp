// A command's arguments read once against its usage: which words are options, which take the next word
// as value, which are operands, in the order given.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "cli/ArgumentParsing.h"

namespace qvset {
namespace {

using Args = std::vector<std::string>;
constexpr std::size_t kNoEnd = static_cast<std::size_t>(-1);

// "--high=5" an option with its value, "?--x" an option the usage does not declare, "--:x" an operand
// after "--", anything else an operand or a switch (or an option whose value is missing).
std::string Shown(const cli::ParsedArguments& parsed) {
    std::string shown;
    for (const cli::ParsedArgument& argument : parsed.inOrder) {
        if (!shown.empty()) shown += " | ";
        if (argument.option && !argument.declared) shown += '?';
        if (argument.afterEnd) shown += "--:";
        shown += argument.text;
        if (argument.value) shown += '=' + *argument.value;
    }
    return shown;
}

struct ParseRow {
    const char* usage;
    Args args;
    std::size_t operandsFrom;
    std::string shown;
};

TEST(ParsedArguments, EachWordIsAnOptionItsValueOrAnOperandInOrder) {
    const char* tune = "single|all [--high N] [--standard N] [--fine N] [--pause MS] [--no-watch]";
    const std::vector<ParseRow> rows = {
        // Values follow their option; switches take none; the order given is kept.
        {tune, {"single", "--high", "5", "--no-watch"}, kNoEnd, "single | --high=5 | --no-watch"},
        {tune, {"--no-watch", "all", "--pause", "0"}, kNoEnd, "--no-watch | all | --pause=0"},
        {tune, {"single", "--high", "1", "--high", "2"}, kNoEnd, "single | --high=1 | --high=2"},
        {tune, {"single", "--no-watch", "--no-watch"}, kNoEnd, "single | --no-watch | --no-watch"},
        // A value is the next word whatever it looks like; at the end there is none.
        {tune, {"single", "--high", "--pause"}, kNoEnd, "single | --high=--pause"},
        {tune, {"single", "--pause"}, kNoEnd, "single | --pause"},
        // An option the usage does not declare takes no value: the next word stays an operand.
        {tune, {"single", "--bogus", "5"}, kNoEnd, "single | ?--bogus | 5"},
        // Only "--" begins an option; "-x" and "-" are operands.
        {"[--json] FILE...|-", {"-x", "-", "--json"}, kNoEnd, "-x | - | --json"},
        // After "--" nothing is an option, declared or not.
        {tune, {"single", "--no-watch", "--bogus"}, 1, "single | --:--no-watch | --:--bogus"},
        {"[--style 1|2] L P B", {"--style", "1", "152"}, 2, "--style=1 | --:152"},
        // A command without options takes every word as an operand.
        {"HEX...", {"--table", "--x", "0A"}, kNoEnd, "--table | --x | 0A"},
        {"", {}, kNoEnd, ""},
    };
    for (const auto& row : rows) {
        const auto parsed = cli::ParseArguments(cli::OptionsOfUsage(row.usage), row.args, row.operandsFrom);
        std::string given;
        for (const auto& arg : row.args) given += arg + ' ';
        EXPECT_EQ(Shown(parsed), row.shown) << row.usage << ": " << given;
    }
}

TEST(ParsedArguments, AnswersWhatWasGivenAndFindsTheFirstUndeclaredOption) {
    const auto options = cli::OptionsOfUsage("OUT [--paper 76|58] [--threshold] [--length MM]");
    const auto parsed = cli::ParseArguments(
        options, {"--paper", "76", "out", "--frob", "--paper", "58", "--length", "--late", "--threshold"},
        kNoEnd);
    EXPECT_TRUE(parsed.Has("--paper"));
    EXPECT_TRUE(parsed.Has("--length"));
    EXPECT_FALSE(parsed.Has("--frob"));
    EXPECT_FALSE(parsed.Has("--mark"));
    EXPECT_EQ(parsed.Value("--paper"), "58");
    EXPECT_EQ(parsed.Values("--paper"), (Args{"76", "58"}));
    EXPECT_EQ(parsed.Value("--length"), "--late");
    EXPECT_EQ(parsed.Value("--threshold"), std::nullopt);
    EXPECT_EQ(parsed.Operands(), (Args{"out"}));
    ASSERT_NE(parsed.FirstUndeclared(), nullptr);
    EXPECT_EQ(parsed.FirstUndeclared()->text, "--frob");
    EXPECT_EQ(parsed.FirstUndeclared()->index, 3U);
    EXPECT_EQ(cli::ParseArguments(options, {"out", "--threshold"}, kNoEnd).FirstUndeclared(), nullptr);
}

TEST(ParsedArguments, OperandPlacesAreThoseOfTheParse) {
    const auto options = cli::OptionsOfUsage("[--style 1|2] L P B");
    EXPECT_EQ(cli::FindOperands(options, {"--style", "1", "152", "20", "27"}, kNoEnd),
              (std::vector<std::size_t>{2, 3, 4}));
    EXPECT_EQ(cli::FindOperands(options, {"152", "--style", "2", "--style"}, 3),
              (std::vector<std::size_t>{0, 3}));
    EXPECT_EQ(cli::FindOperands(options, {"152", "--styl", "2"}, kNoEnd), std::nullopt);
}

}  // namespace
}  // namespace qvset
