#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "cli/CommandRegistry.h"
#include "cli/ParsedArguments.h"

namespace qvset::cli {

// qvctl's own options.
inline constexpr const char* kPrinterOption = "--printer";
inline constexpr const char* kVersionOption = "--version";
inline constexpr const char* kDryRunOption = "--dry-run";
inline constexpr const char* kServerOption = "--server";
inline constexpr const char* kJsonOption = "--json";
inline constexpr const char* kDeviceOption = "--device";
inline constexpr const char* kFollowBaudOption = "--follow-baud";
inline constexpr const char* kJobsOption = "--jobs";
// The most --jobs takes: beyond it the threads, not the servers, would be the limit.
inline constexpr std::size_t kMostJobs = 4096;
inline constexpr const char* kEndOfOptions = "--";

bool IsHelp(const std::string& arg);
bool IsOption(const std::string& arg);

// The printers and print servers chosen on the command line.
struct FleetChoice {
    std::vector<std::string> servers;   // --server, in the order given
    std::vector<std::string> printers;  // --printer, names and patterns, in the order given
    std::vector<std::string> devices;   // --device, URIs (names from the devices file already resolved)
    bool json = false;
    bool dryRun = false;
    bool followBaud = false;               // --follow-baud
    std::optional<std::size_t> jobs = {};  // --jobs N: at most N printers at once
};

// Reads --jobs N (or --jobs=N) at args[i] into `choice`, moving i onto its value. False when args[i] is
// not --jobs, or (with the problem) its value is no whole number from 1 to kMostJobs.
bool ReadJobsOption(const std::vector<std::string>& args, std::size_t& i, FleetChoice& choice,
                    std::string& problem);

// The command whose words begin args[next...], the longest one ("ticket apply" before "ticket"), with
// the number of its words in `words`; nullptr for none.
const CliCommand* FindCommand(const CommandRegistry& registry, const std::vector<std::string>& args,
                              std::size_t next, std::size_t& words);

// Reads one of the options that choose printers and servers, or --json, at args[i] into `choice`,
// moving i onto its value. False when args[i] is none of them, or (with the problem) lacks its value.
bool ReadChoiceOption(const std::vector<std::string>& args, std::size_t& i, FleetChoice& choice,
                      std::string& problem);

// An option as a command's usage text writes it: "[--pause MS]" takes a value, "[--no-watch]" does not.
struct UsageOption {
    std::string name;  // "--pause"
    bool takesValue = false;
};
std::vector<UsageOption> OptionsOfUsage(const std::string& usage);

// How many operands (arguments that are not options or their values) a usage text takes: "ITEM CHOICE"
// two; "[PATH]" none or one; "HEX..." and "FILE...|-" one or more; "single|all" one; an option group
// "[--pause MS]" none.
struct OperandCount {
    std::size_t least = 0;
    std::size_t most = 0;  // kManyOperands: no limit
};
inline constexpr std::size_t kManyOperands = static_cast<std::size_t>(-1);
OperandCount OperandsOfUsage(const std::string& usage);

// Turns "--pause=MS" into "--pause" "MS" for the options that take a value, so that every command reads
// the two forms alike. Returns false with the problem for "--no-watch=..." (a switch given a value).
bool SplitJoinedOptions(const std::vector<UsageOption>& options, std::vector<std::string>& args,
                        std::string& problem);

// A command's arguments read against its options, every one from `operandsFrom` on an operand (it
// followed "--"). Before that a word beginning "--" is an option: a declared one that takes a value
// takes the next word, whatever it is (none at the end); one the usage does not declare is kept as
// given, to be refused by the command; a command without options takes every word as an operand.
ParsedArguments ParseArguments(const std::vector<UsageOption>& options, const std::vector<std::string>& args,
                               std::size_t operandsFrom);

// Where the operands stand among a command's arguments (every one from `operandsFrom` on followed
// "--"), or nullopt when an argument is an option that a usage with options does not declare (the
// command itself says what is wrong with it).
std::optional<std::vector<std::size_t>> FindOperands(const std::vector<UsageOption>& options,
                                                     const std::vector<std::string>& args,
                                                     std::size_t operandsFrom);

// The usage error for a wrong number of operands, or an empty text when the count is right: too few
// says what the command needs, too many names the first word too many.
std::string OperandCountProblem(const CliCommand& command, const std::vector<std::string>& args,
                                const std::vector<std::size_t>& operands);

}  // namespace qvset::cli
