// The command line's words read against the commands' declarations: options, their values and the
// operands.
#include "cli/ArgumentParsing.h"

#include <algorithm>
#include <sstream>
#include <tuple>

#include "cli/ArgumentValues.h"

namespace qvset::cli {

bool IsHelp(const std::string& arg) {
    return arg == "--help" || arg == "-h";
}

bool IsOption(const std::string& arg) {
    return arg.size() > 1 && arg[0] == '-';
}

bool ReadJobsOption(const std::vector<std::string>& args, std::size_t& i, FleetChoice& choice,
                    std::string& problem) {
    const std::string joined = std::string(kJobsOption) + '=';
    std::string value;
    if (args[i] == kJobsOption && i + 1 < args.size()) {
        value = args[++i];
    } else if (args[i].rfind(joined, 0) == 0) {
        value = args[i].substr(joined.size());
    } else if (args[i] == kJobsOption) {
        problem = std::string(kJobsOption) + " needs a number of printers";
        return false;
    } else {
        return false;
    }
    constexpr NumberRange kJobsRange{"printers at once", 1, static_cast<double>(kMostJobs), true};
    const auto jobs = ReadNumberArgument(kJobsOption, value, kJobsRange, problem);
    if (!jobs) return false;
    choice.jobs = static_cast<std::size_t>(*jobs);
    return true;
}

// The command whose words begin args[next...], the longest one ("ticket apply" before "ticket").
const CliCommand* FindCommand(const CommandRegistry& registry, const std::vector<std::string>& args,
                              std::size_t next, std::size_t& words) {
    const CliCommand* found = nullptr;
    words = 0;
    for (const auto& command : registry.Commands()) {
        std::vector<std::string> parts;
        std::istringstream name(command.name);
        for (std::string part; name >> part;) parts.push_back(part);
        if (next + parts.size() > args.size()) continue;
        if (!std::equal(parts.begin(), parts.end(), args.begin() + static_cast<std::ptrdiff_t>(next)))
            continue;
        if (found == nullptr || parts.size() > words) {
            found = &command;
            words = parts.size();
        }
    }
    return found;
}

// Reads one of the options that choose printers and servers, or --json, at args[i] into `choice`,
// moving i onto its value. False when args[i] is none of them, or (with the problem) lacks its value.
bool ReadChoiceOption(const std::vector<std::string>& args, std::size_t& i, FleetChoice& choice,
                      std::string& problem) {
    const std::string& arg = args[i];
    if (arg == kJsonOption) {
        choice.json = true;
        return true;
    }
    for (const auto& [option, values, what] :
         {std::tuple{kPrinterOption, &choice.printers, "a printer name"},
          std::tuple{kServerOption, &choice.servers, "a print server"},
          std::tuple{kDeviceOption, &choice.devices, "a device URI or name"}}) {
        const std::string joined = std::string(option) + '=';
        std::string value;
        if (arg == option && i + 1 < args.size()) {
            value = args[++i];
        } else if (arg.rfind(joined, 0) == 0) {
            value = arg.substr(joined.size());
        } else if (arg != option) {
            continue;
        }
        if (value.empty()) {
            problem = std::string(option) + " needs " + what;
            return false;
        }
        values->push_back(value);
        return true;
    }
    return false;
}

std::vector<UsageOption> OptionsOfUsage(const std::string& usage) {
    std::vector<std::string> tokens;
    std::istringstream words(usage);
    for (std::string token; words >> token;) tokens.push_back(token);
    std::vector<UsageOption> options;
    for (std::size_t i = 0; i < tokens.size(); ++i) {
        std::string token = tokens[i];
        if (!token.empty() && token.front() == '[') token.erase(0, 1);
        if (token.rfind("--", 0) != 0) continue;
        // "[--threshold]" is a switch; "[--pause MS]" and "--style 1|2]" take the next word as value.
        const bool closed = token.back() == ']';
        if (closed) token.pop_back();
        const bool takesValue =
            !closed && i + 1 < tokens.size() && tokens[i + 1].front() != '[' && tokens[i + 1].front() != '-';
        options.push_back({token, takesValue});
    }
    return options;
}

OperandCount OperandsOfUsage(const std::string& usage) {
    std::vector<std::string> tokens;
    std::istringstream words(usage);
    for (std::string token; words >> token;) tokens.push_back(token);
    OperandCount count;
    for (std::size_t i = 0; i < tokens.size(); ++i) {
        const std::string& token = tokens[i];
        if (token.front() == '[') {
            // A bracketed group: options ("[--pause MS]") take no operand, "[PATH]" an optional one.
            const bool option = token.rfind("[-", 0) == 0;
            while (tokens[i].back() != ']' && i + 1 < tokens.size()) ++i;
            if (!option && count.most != kManyOperands) ++count.most;
            continue;
        }
        ++count.least;
        const bool repeats = token.find("...") != std::string::npos;
        count.most = repeats || count.most == kManyOperands ? kManyOperands : count.most + 1;
    }
    return count;
}

ParsedArguments ParseArguments(const std::vector<UsageOption>& options, const std::vector<std::string>& args,
                               std::size_t operandsFrom) {
    ParsedArguments parsed;
    for (std::size_t i = 0; i < args.size(); ++i) {
        ParsedArgument argument{.text = args[i], .index = i};
        const auto option = std::find_if(options.begin(), options.end(),
                                         [&](const UsageOption& o) { return o.name == args[i]; });
        if (i >= operandsFrom) {
            argument.afterEnd = true;
        } else if (args[i].rfind("--", 0) == 0 && !options.empty()) {
            // Without options of its own, a command takes "--x" as an operand like any other word.
            argument.option = true;
            argument.declared = option != options.end();
            if (argument.declared && option->takesValue && i + 1 < args.size()) argument.value = args[++i];
        }
        parsed.inOrder.push_back(std::move(argument));
    }
    return parsed;
}

bool ParsedArguments::Has(std::string_view name) const {
    return std::any_of(inOrder.begin(), inOrder.end(),
                       [&](const ParsedArgument& a) { return a.declared && a.text == name; });
}

std::optional<std::string> ParsedArguments::Value(std::string_view name) const {
    const std::vector<std::string> values = Values(name);
    if (values.empty()) return std::nullopt;
    return values.back();
}

std::vector<std::string> ParsedArguments::Values(std::string_view name) const {
    std::vector<std::string> values;
    for (const ParsedArgument& argument : inOrder) {
        if (argument.declared && argument.text == name && argument.value) values.push_back(*argument.value);
    }
    return values;
}

std::vector<std::string> ParsedArguments::Operands() const {
    std::vector<std::string> operands;
    for (const ParsedArgument& argument : inOrder) {
        if (!argument.option) operands.push_back(argument.text);
    }
    return operands;
}

const ParsedArgument* ParsedArguments::FirstUndeclared() const {
    const auto found = std::find_if(inOrder.begin(), inOrder.end(),
                                    [](const ParsedArgument& a) { return a.option && !a.declared; });
    return found == inOrder.end() ? nullptr : &*found;
}

// Where the operands stand among a command's arguments (every one from `operandsFrom` on followed
// "--"), or nullopt when an argument is an option that a usage with options does not declare (the
// command itself says what is wrong with it).
std::optional<std::vector<std::size_t>> FindOperands(const std::vector<UsageOption>& options,
                                                     const std::vector<std::string>& args,
                                                     std::size_t operandsFrom) {
    const ParsedArguments parsed = ParseArguments(options, args, operandsFrom);
    if (parsed.FirstUndeclared() != nullptr) return std::nullopt;
    std::vector<std::size_t> operands;
    for (const ParsedArgument& argument : parsed.inOrder) {
        if (!argument.option) operands.push_back(argument.index);
    }
    return operands;
}

// The usage error for a wrong number of operands, or an empty text when the count is right: too few
// says what the command needs, too many names the first word too many.
std::string OperandCountProblem(const CliCommand& command, const std::vector<std::string>& args,
                                const std::vector<std::size_t>& operands) {
    const OperandCount expected = OperandsOfUsage(command.usage);
    if (operands.size() < expected.least) {
        return command.countProblem.empty() ? command.usage + " expected" : command.countProblem;
    }
    if (operands.size() <= expected.most) return {};
    if (expected.most == 0) return "takes no arguments";
    return "unexpected argument " + args[operands[expected.most]];
}

bool SplitJoinedOptions(const std::vector<UsageOption>& options, std::vector<std::string>& args,
                        std::string& problem) {
    std::vector<std::string> split;
    for (const std::string& arg : args) {
        const std::size_t equals = arg.find('=');
        const auto option = arg.rfind("--", 0) != 0 || equals == std::string::npos
                                ? options.end()
                                : std::find_if(options.begin(), options.end(), [&](const UsageOption& o) {
                                      return o.name == arg.substr(0, equals);
                                  });
        if (option == options.end()) {
            split.push_back(arg);
            continue;
        }
        if (!option->takesValue) {
            problem = option->name + " takes no value";
            return false;
        }
        split.push_back(option->name);
        split.push_back(arg.substr(equals + 1));
    }
    args = std::move(split);
    return true;
}

}  // namespace qvset::cli
