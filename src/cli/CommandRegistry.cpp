#include "cli/CommandRegistry.h"

#include <algorithm>
#include <iostream>
#include <memory>
#include <optional>
#include <ostream>
#include <sstream>
#include <tuple>

#include "Version.h"
#include "cli/DeviceCommands.h"
#include "cli/DryRun.h"
#include "cli/FleetCommandLine.h"
#include "cli/TerminalText.h"
#include "printer/SpoolerDeadline.h"
#include "printer/device/DeviceSpooler.h"
#include "record/BaudFollowing.h"

namespace qvset::cli {
namespace {

constexpr const char* kProgram = "qvctl";
constexpr const char* kPrinterOption = "--printer";
constexpr const char* kVersionOption = "--version";
constexpr const char* kDryRunOption = "--dry-run";
constexpr const char* kServerOption = "--server";
constexpr const char* kJsonOption = "--json";
constexpr const char* kDeviceOption = "--device";
constexpr const char* kFollowBaudOption = "--follow-baud";
constexpr const char* kEndOfOptions = "--";

void PrintOverview(const CommandRegistry& registry, std::ostream& out) {
    out << "usage: " << kProgram
        << " [--server HOST[:PORT]]... [--printer NAME|PATTERN]... [--json] [--dry-run]\n"
        << "             [--device URI|NAME]... [--follow-baud] COMMAND [ARGS...]\n\n"
        << "Settings and test commands for QV6 thermal ticket printers. Every command is sent as one\n"
        << "RAW document per printer command to the current (default) printer through the spooler.\n\n"
        << "options:\n"
        << "  --printer NAME   send to NAME for this command, without changing the default printer;\n"
        << "                   a shell pattern ('QV6*') sends to every printer it matches\n"
        << "  --server HOST[:PORT]\n"
        << "                   the print server (CUPS over IPP; Windows: \\\\HOST); by default the "
           "system's.\n"
        << "                   A QV6 printer application (qvset-printer-app) is recognised: each job is\n"
        << "                   followed to its end, and the printer's settings are read from it.\n"
        << "                   --printer and --server repeat: the command then runs on every chosen printer\n"
        << "                   of every chosen server, concurrently, and a report says what each took.\n"
        << "  --device URI|NAME\n"
        << "                   send to a printer without a spooler: socket://HOST[:PORT], "
           "serial:PORT[?baud=N],\n"
        << "                   usb:DEVICE, a file or device path, or the NAME of one in the devices file\n"
        << "                   (qvctl device add); repeats, and goes with --server and --printer\n"
        << "  --follow-baud    when a document changes a serial printer's baud rate, change its device in\n"
        << "                   the devices file to the new rate too\n"
        << "  --json           the report (and printers, ticket show, ticket plan, history,\n"
        << "                   printer-state) as one JSON document\n"
        << "  --dry-run        send nothing: print each document the command would send, decoded, and\n"
        << "                   each pause it would wait, in order (the pauses are not waited)\n"
        << "  -h, --help       this text; COMMAND --help (or help COMMAND) explains one command\n"
        << "  --version        print the version and exit\n"
        << "An option's value may follow it (--printer NAME) or be joined to it (--printer=NAME).\n\n"
        << "commands:\n";
    std::size_t width = 0;
    for (const auto& command : registry.Commands()) width = std::max(width, command.name.size());
    for (const auto& command : registry.Commands()) {
        out << "  " << command.name << std::string(width - command.name.size() + 3, ' ') << command.summary
            << '\n';
    }
    out << "\nexit status: 0 every document was handed to the spooler, 1 a printer (or print server) could\n"
        << "not be opened, 2 refused input or wrong usage.\n";
}

// The commands whose name begins with the word `group` and a blank ("ticket" for "ticket show").
std::vector<const CliCommand*> CommandsOfGroup(const CommandRegistry& registry, const std::string& group) {
    std::vector<const CliCommand*> members;
    for (const auto& command : registry.Commands()) {
        if (command.name.rfind(group + ' ', 0) == 0) members.push_back(&command);
    }
    return members;
}

void PrintGroupHelp(const std::string& group, const std::vector<const CliCommand*>& members,
                    std::ostream& out) {
    std::string words;
    std::size_t width = 0;
    for (const CliCommand* command : members) {
        words += (words.empty() ? "" : "|") + command->name.substr(group.size() + 1);
        width = std::max(width, command->name.size());
    }
    out << "usage: " << kProgram << " [--printer NAME] " << group << ' ' << words << " ...\n";
    for (const CliCommand* command : members) {
        out << "  " << command->name << std::string(width - command->name.size() + 3, ' ') << command->summary
            << '\n';
    }
    out << "'" << kProgram << ' ' << members.front()->name << " --help' explains one of them.\n";
}

bool IsHelp(const std::string& arg) {
    return arg == "--help" || arg == "-h";
}

bool IsOption(const std::string& arg) {
    return arg.size() > 1 && arg[0] == '-';
}

// The problem on one line ("qvctl: length: ..."), the help to read on the next ("see: qvctl length
// --help"; "see: qvctl --help" for qvctl's own options), then the wrong-usage status. `command` is
// empty for a problem of qvctl's own options; `helpOf` names another help than the command's (a
// group's, for a word that is none of its commands).
int ReportUsage(std::ostream& err, const std::string& command, const std::string& problem,
                const std::string& helpOf = {}) {
    const std::string named = command.empty() ? std::string() : TerminalSafe(command) + ": ";
    const std::string& help = helpOf.empty() ? command : helpOf;
    const std::string helpWords = help.empty() ? std::string() : TerminalSafe(help) + ' ';
    err << kProgram << ": " << named << TerminalSafe(problem) << '\n'
        << "see: " << kProgram << ' ' << helpWords << "--help\n";
    return kExitRefused;
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

}  // namespace

void RegisterAllCommands(CommandRegistry& registry) {
    RegisterPrinterCommands(registry);
    RegisterSettingsCommands(registry);
    RegisterTicketCommands(registry);
    RegisterTuningCommands(registry);
    RegisterConsoleCommands(registry);
    RegisterDecodeCommands(registry);
    RegisterRecordCommands(registry);
    RegisterDeviceCommands(registry);
    RegisterStatusCommands(registry);
}

void CommandRegistry::Add(CliCommand command) {
    m_commands.push_back(std::move(command));
}

void PrintCommandHelp(const CliCommand& command, std::ostream& out) {
    out << "usage: " << kProgram << " [--printer NAME] " << command.name;
    if (!command.usage.empty()) out << ' ' << command.usage;
    out << "\n" << command.summary << "\n";
    if (!command.help.empty()) out << "\n" << command.help << (command.help.back() == '\n' ? "" : "\n");
}

int ShowOutcome(CliContext& context, const SendOutcome& outcome) {
    if (outcome.Refused()) {
        context.dialogs.Message(outcome.refusal);
        return kExitRefused;
    }
    if (!outcome.notice.empty()) context.dialogs.Message(outcome.notice);
    return kExitOk;
}

int UsageError(CliContext& context, const std::string& problem) {
    return ReportUsage(context.err, context.command.name, problem);
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

namespace {

// Where the operands stand among a command's arguments (every one from `operandsFrom` on followed
// "--"), or nullopt when an argument is an option that a usage with options does not declare (the
// command itself says what is wrong with it).
std::optional<std::vector<std::size_t>> FindOperands(const std::vector<UsageOption>& options,
                                                     const std::vector<std::string>& args,
                                                     std::size_t operandsFrom) {
    std::vector<std::size_t> operands;
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (i >= operandsFrom || args[i].rfind("--", 0) != 0) {
            operands.push_back(i);
            continue;
        }
        const auto option = std::find_if(options.begin(), options.end(),
                                         [&](const UsageOption& o) { return o.name == args[i]; });
        // Without options of its own, a command takes "--x" as an operand like any other word.
        if (option == options.end() && options.empty()) {
            operands.push_back(i);
            continue;
        }
        if (option == options.end()) return std::nullopt;
        if (option->takesValue) ++i;
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

}  // namespace

std::string Quoted(std::string_view text) {
    return "\"" + std::string(text) + "\"";
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

int RunCommandLine(const CommandRegistry& registry, const std::vector<std::string>& args,
                   CliEnvironment& environment) {
    std::ostream& out = environment.out;
    std::ostream& err = environment.err;
    std::size_t next = 0;
    FleetChoice choice;
    for (; next < args.size() && IsOption(args[next]); ++next) {
        const std::string& arg = args[next];
        if (arg == kEndOfOptions) {
            ++next;
            break;
        }
        if (IsHelp(arg)) {
            PrintOverview(registry, out);
            return kExitOk;
        }
        if (arg == kVersionOption) {
            out << kProgram << ' ' << kVersion << '\n';
            return kExitOk;
        }
        if (arg == kDryRunOption) {
            choice.dryRun = true;
            continue;
        }
        if (arg == kFollowBaudOption) {
            choice.followBaud = true;
            continue;
        }
        std::string problem;
        if (!ReadChoiceOption(args, next, choice, problem)) {
            return ReportUsage(err, {}, problem.empty() ? "unknown option " + arg : problem);
        }
    }
    if (next == args.size()) return ReportUsage(err, {}, "no command given");

    // "help" alone is the overview; "help COMMAND" is that command's --help.
    bool helpFirst = false;
    if (args[next] == "help") {
        if (next + 1 == args.size()) {
            PrintOverview(registry, out);
            return kExitOk;
        }
        helpFirst = true;
        ++next;
    }

    std::size_t words = 0;
    const CliCommand* found = FindCommand(registry, args, next, words);
    if (found == nullptr) {
        const auto members = CommandsOfGroup(registry, args[next]);
        if (members.empty()) return ReportUsage(err, {}, "unknown command " + args[next]);
        const bool groupHelp = helpFirst || (next + 1 < args.size() && IsHelp(args[next + 1]));
        if (groupHelp) {
            PrintGroupHelp(args[next], members, out);
            return kExitOk;
        }
        const std::string problem = next + 1 < args.size()
                                        ? "unknown command " + args[next] + ' ' + args[next + 1]
                                        : args[next] + " needs one of its commands";
        return ReportUsage(err, {}, problem, args[next]);
    }
    std::vector<std::string> rest(args.begin() + static_cast<std::ptrdiff_t>(next + words), args.end());
    // After "--" nothing is an option: neither --help nor a joined "--x=y".
    const auto end = std::find(rest.begin(), rest.end(), kEndOfOptions);
    const bool ended = end != rest.end();
    std::vector<std::string> operands(ended ? end + 1 : end, rest.end());
    rest.erase(end, rest.end());
    if (helpFirst || std::any_of(rest.begin(), rest.end(), IsHelp)) {
        PrintCommandHelp(*found, out);
        return kExitOk;
    }
    std::string problem;
    const std::vector<UsageOption> options = OptionsOfUsage(found->usage);
    // The commands that only read (a printer's record, a plan, the printer lists) also take the options
    // that choose printers and servers after their name: "qvctl history --printer QV640".
    if (!found->sendsDocuments && found->scope != FleetScope::Once &&
        found->scope != FleetScope::OnePrinter) {
        std::vector<std::string> kept;
        for (std::size_t i = 0; i < rest.size(); ++i) {
            if (ReadChoiceOption(rest, i, choice, problem)) continue;
            if (!problem.empty()) return ReportUsage(err, found->name, problem);
            kept.push_back(rest[i]);
        }
        rest = std::move(kept);
    }
    if (!SplitJoinedOptions(options, rest, problem)) {
        return ReportUsage(err, found->name, problem);
    }
    // qvctl's own --json is the command's, for a command that has one.
    if (choice.json &&
        std::any_of(options.begin(), options.end(),
                    [](const UsageOption& o) { return o.name == kJsonOption; }) &&
        std::find(rest.begin(), rest.end(), kJsonOption) == rest.end()) {
        rest.insert(rest.begin(), kJsonOption);
    }
    const std::size_t operandsFrom = ended ? rest.size() : static_cast<std::size_t>(-1);
    rest.insert(rest.end(), operands.begin(), operands.end());

    if (choice.dryRun && !found->sendsDocuments) {
        return ReportUsage(err, {}, std::string(kDryRunOption) + ": " + found->name + " sends no documents");
    }

    if (const auto operandPlaces = FindOperands(options, rest, operandsFrom)) {
        if (const std::string countProblem = OperandCountProblem(*found, rest, *operandPlaces);
            !countProblem.empty())
            return ReportUsage(err, found->name, countProblem);
    }

    if (!environment.serverSpooler && !choice.servers.empty()) {
        return ReportUsage(err, {}, "print servers cannot be chosen here");
    }
    if (found->scope == FleetScope::Once) choice.devices.clear();
    if (!choice.devices.empty()) {
        if (!environment.devices.open) return ReportUsage(err, {}, "devices cannot be chosen here");
        if (found->scope == FleetScope::OnePrinter) {
            return ReportUsage(
                err, {},
                found->name + " works on the spooler's printers; a device is never the default printer");
        }
        if (found->scope == FleetScope::Server) {
            return ReportUsage(err, {}, found->name + " lists the devices itself; --device is not for it");
        }
        for (std::string& device : choice.devices) {
            const auto uri = ResolveDevice(environment.devices, device, problem);
            if (!uri) return ReportUsage(err, {}, std::string(kDeviceOption) + ": " + problem);
            device = *uri;
        }
        // The same device named twice is one device.
        std::vector<std::string> distinct;
        for (const auto& device : choice.devices) {
            if (std::find(distinct.begin(), distinct.end(), device) == distinct.end())
                distinct.push_back(device);
        }
        choice.devices = std::move(distinct);
    }
    if (IsFleetRun(*found, choice)) return RunFleet(*found, rest, operandsFrom, environment, choice);
    if (found->scope == FleetScope::Once) choice.servers.clear();
    if (choice.printers.size() > 1 || choice.servers.size() > 1) {
        return ReportUsage(err, {}, found->name + " works on one printer of one print server");
    }

    // One named server replaces the default one, for the documents and for the record.
    std::unique_ptr<Spooler> serverSpooler;
    std::unique_ptr<RecordBook> serverBook;
    Spooler* platform = &environment.spooler;
    RecordBook* book = environment.record;
    // One device alone: its own spooler, its record kept under its URI, its baud rate followed.
    std::unique_ptr<DeviceSpooler> deviceSpooler;
    std::unique_ptr<BaudFollowingSpooler> following;
    if (!choice.devices.empty()) {
        deviceSpooler = std::make_unique<DeviceSpooler>(std::vector<NamedDevice>{}, environment.devices.open);
        deviceSpooler->SetDeadline(SpoolerDeadlineFromEnvironment());
        following = std::make_unique<BaudFollowingSpooler>(*deviceSpooler);
        platform = following.get();
        choice.printers = {choice.devices.front()};
        if (book != nullptr) {
            serverBook = book->ForServer("");
            book = serverBook.get();
        }
    } else if (!choice.servers.empty()) {
        serverSpooler = environment.serverSpooler(choice.servers.front());
        if (!serverSpooler) {
            return ReportUsage(err, {}, "not a print server: " + choice.servers.front());
        }
        platform = serverSpooler.get();
        if (book != nullptr) {
            serverBook = book->ForServer(environment.serverRecordName(choice.servers.front()));
            book = serverBook.get();
        }
    }
    // A command that only reads (a printer's record, a plan) would read a misspelt printer's empty record
    // as "nothing recorded yet": a printer that the print server does not have is said and fails.
    if (!found->sendsDocuments && found->scope == FleetScope::Printer && choice.devices.empty() &&
        !choice.printers.empty()) {
        const std::string& printer = choice.printers.front();
        const std::vector<PrinterInfo> printers = platform->ListPrinters();
        if (platform->LastFault() != SpoolerFault::Unreachable &&
            std::none_of(printers.begin(), printers.end(),
                         [&](const PrinterInfo& info) { return info.deviceName == printer; })) {
            const std::string server =
                book != nullptr && !book->Server().empty() ? book->Server() : std::string("the print server");
            err << kProgram << ": " << found->name << ": " << TerminalSafe(server) << " has no printer "
                << TerminalSafe(printer) << '\n';
            return kExitPrinterFailed;
        }
    }
    // Under --dry-run nothing reaches the platform's spooler and nothing is waited for.
    std::unique_ptr<DryRun> dry = choice.dryRun ? std::make_unique<DryRun>(out) : nullptr;
    const PrinterSetting setting{.spooler = dry ? dry->GetSpooler() : *platform,
                                 .pause = dry ? static_cast<Pause&>(*dry) : environment.pause,
                                 .dialogs = environment.dialogs,
                                 .out = out,
                                 .err = err,
                                 .in = environment.in != nullptr ? *environment.in : std::cin,
                                 .record = book,
                                 .recordDocuments = !dry && !RecordTurnedOff(),
                                 .printer = choice.printers.empty() ? std::string() : choice.printers.front(),
                                 .server = book != nullptr ? book->Server() : std::string(),
                                 .json = choice.json,
                                 .devices = &environment.devices,
                                 .progress = environment.progress && !choice.json && !dry};
    const int status = RunOnPrinter(*found, rest, operandsFrom, setting,
                                    environment.printFileFolders.empty()
                                        ? std::vector<std::filesystem::path>{environment.programFolder}
                                        : environment.printFileFolders)
                           .status;
    if (!following) return status;
    const int followed = FollowBaudChanges(following->TakeChanges(), &environment.devices, choice.followBaud,
                                           environment.dialogs);
    return status == kExitOk ? followed : status;
}

}  // namespace qvset::cli
