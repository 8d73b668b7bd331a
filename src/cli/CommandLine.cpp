// qvctl's command line: qvctl's own options, the command named, its help, and where it runs (one
// printer, one device or a fleet).
#include "cli/CommandLine.h"

#include <algorithm>
#include <iostream>
#include <memory>
#include <optional>
#include <ostream>

#include "Version.h"
#include "cli/ArgumentParsing.h"
#include "cli/DeviceCommands.h"
#include "cli/DryRun.h"
#include "cli/FleetCommandLine.h"
#include "cli/PrinterRun.h"
#include "cli/TerminalText.h"

namespace qvset::cli {
namespace {

void PrintOverview(const CommandRegistry& registry, std::ostream& out) {
    out << "usage: " << kProgram
        << " [--server HOST[:PORT]]... [--printer NAME|PATTERN]... [--json] [--dry-run]\n"
        << "             [--device URI|NAME]... [--follow-baud] [--jobs N] COMMAND [ARGS...]\n\n"
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
        << "  --jobs N         serve at most N printers at once (default " << kDefaultJobs
        << "; at most 4 of one server)\n"
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

// What the command line asks for: the command, its arguments (joined options split, qvctl's --json
// given to it) and the printers, servers and devices chosen.
struct CommandRequest {
    const CliCommand* command = nullptr;
    std::vector<std::string> args;
    std::size_t operandsFrom = static_cast<std::size_t>(-1);
    FleetChoice choice;
};

// Each step below either leaves the request to the next one (nullopt) or ends the command line with
// an exit status, having said why.
using Finished = std::optional<int>;

// qvctl's own options before the command, from args[next] on; `next` ends on the command's first word.
Finished ReadOwnOptions(const CommandRegistry& registry, const std::vector<std::string>& args,
                        std::size_t& next, FleetChoice& choice, std::ostream& out, std::ostream& err) {
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
        if (arg == kJobsOption || arg.rfind(std::string(kJobsOption) + '=', 0) == 0) {
            if (!ReadJobsOption(args, next, choice, problem)) return ReportUsage(err, {}, problem);
            continue;
        }
        if (!ReadChoiceOption(args, next, choice, problem)) {
            return ReportUsage(err, {}, problem.empty() ? "unknown option " + arg : problem);
        }
    }
    if (next == args.size()) return ReportUsage(err, {}, "no command given");
    return std::nullopt;
}

// A word that names no command: a group's help ("ticket --help"), or the usage error.
int NoCommandNamed(const CommandRegistry& registry, const std::vector<std::string>& args, std::size_t next,
                   bool helpFirst, std::ostream& out, std::ostream& err) {
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

// The command named at args[next] ("help COMMAND" shows its help), with what follows its name in
// `rest`, and whether its help was asked for first.
Finished FindNamedCommand(const CommandRegistry& registry, const std::vector<std::string>& args,
                          std::size_t next, CommandRequest& request, std::vector<std::string>& rest,
                          bool& helpFirst, std::ostream& out, std::ostream& err) {
    // "help" alone is the overview; "help COMMAND" is that command's --help.
    helpFirst = false;
    if (args[next] == "help") {
        if (next + 1 == args.size()) {
            PrintOverview(registry, out);
            return kExitOk;
        }
        helpFirst = true;
        ++next;
    }
    std::size_t words = 0;
    request.command = FindCommand(registry, args, next, words);
    if (request.command == nullptr) return NoCommandNamed(registry, args, next, helpFirst, out, err);
    rest.assign(args.begin() + static_cast<std::ptrdiff_t>(next + words), args.end());
    return std::nullopt;
}

// The options that choose printers and servers, read where they follow the name of a command that
// only reads (a printer's record, a plan, the printer lists): "qvctl history --printer QV640".
Finished TakeChoiceOptions(const CliCommand& command, std::vector<std::string>& rest, FleetChoice& choice,
                           std::ostream& err) {
    if (command.sendsDocuments || command.scope == FleetScope::Once ||
        command.scope == FleetScope::OnePrinter)
        return std::nullopt;
    std::string problem;
    std::vector<std::string> kept;
    for (std::size_t i = 0; i < rest.size(); ++i) {
        if (ReadChoiceOption(rest, i, choice, problem)) continue;
        if (!problem.empty()) return ReportUsage(err, command.name, problem);
        kept.push_back(rest[i]);
    }
    rest = std::move(kept);
    return std::nullopt;
}

// The command's arguments as it reads them: its help shown when asked for, the printers chosen after
// its name taken, joined options split, qvctl's --json given to it, and its operands counted.
Finished ReadCommandArguments(std::vector<std::string> rest, bool helpFirst, CommandRequest& request,
                              std::ostream& out, std::ostream& err) {
    const CliCommand& command = *request.command;
    // After "--" nothing is an option: neither --help nor a joined "--x=y".
    const auto end = std::find(rest.begin(), rest.end(), kEndOfOptions);
    const bool ended = end != rest.end();
    std::vector<std::string> operands(ended ? end + 1 : end, rest.end());
    rest.erase(end, rest.end());
    if (helpFirst || std::any_of(rest.begin(), rest.end(), IsHelp)) {
        PrintCommandHelp(command, out);
        return kExitOk;
    }
    if (const Finished taken = TakeChoiceOptions(command, rest, request.choice, err)) return taken;
    std::string problem;
    const std::vector<UsageOption> options = OptionsOfUsage(command.usage);
    if (!SplitJoinedOptions(options, rest, problem)) return ReportUsage(err, command.name, problem);
    // qvctl's own --json is the command's, for a command that has one.
    if (request.choice.json &&
        std::any_of(options.begin(), options.end(),
                    [](const UsageOption& o) { return o.name == kJsonOption; }) &&
        std::find(rest.begin(), rest.end(), kJsonOption) == rest.end()) {
        rest.insert(rest.begin(), kJsonOption);
    }
    request.operandsFrom = ended ? rest.size() : static_cast<std::size_t>(-1);
    rest.insert(rest.end(), operands.begin(), operands.end());
    request.args = std::move(rest);

    if (request.choice.dryRun && !command.sendsDocuments) {
        return ReportUsage(err, {}, std::string(kDryRunOption) + ": " + command.name + " sends no documents");
    }
    if (const auto operandPlaces = FindOperands(options, request.args, request.operandsFrom)) {
        if (const std::string countProblem = OperandCountProblem(command, request.args, *operandPlaces);
            !countProblem.empty())
            return ReportUsage(err, command.name, countProblem);
    }
    return std::nullopt;
}

// The devices chosen, each as its URI (a name of the devices file resolved) and each once; refused for
// a command that works on no printer of its own or lists the devices itself.
Finished ResolveDevices(const CliCommand& command, const CliEnvironment& environment, FleetChoice& choice) {
    std::ostream& err = environment.err;
    if (command.scope == FleetScope::Once) choice.devices.clear();
    if (choice.devices.empty()) return std::nullopt;
    if (!environment.devices.open) return ReportUsage(err, {}, "devices cannot be chosen here");
    if (command.scope == FleetScope::OnePrinter) {
        return ReportUsage(
            err, {},
            command.name + " works on the spooler's printers; a device is never the default printer");
    }
    if (command.scope == FleetScope::Server) {
        return ReportUsage(err, {}, command.name + " lists the devices itself; --device is not for it");
    }
    std::string problem;
    std::vector<std::string> distinct;
    for (const std::string& device : choice.devices) {
        const auto uri = ResolveDevice(environment.devices, device, problem);
        if (!uri) return ReportUsage(err, {}, std::string(kDeviceOption) + ": " + problem);
        // The same device named twice is one device.
        if (std::find(distinct.begin(), distinct.end(), *uri) == distinct.end()) distinct.push_back(*uri);
    }
    choice.devices = std::move(distinct);
    return std::nullopt;
}

// Where a command on one printer sends and records: the platform's spooler and record, a named
// server's, or one device's own spooler with its baud rate followed.
struct OnePrinterPlace {
    std::unique_ptr<Spooler> serverSpooler;
    std::unique_ptr<RecordBook> serverBook;
    std::unique_ptr<DeviceSpooling> device;
    Spooler* spooler = nullptr;
    RecordBook* book = nullptr;
};

Finished ChoosePlace(CliEnvironment& environment, FleetChoice& choice, OnePrinterPlace& place) {
    // One named server replaces the default one, for the documents and for the record.
    place.spooler = &environment.spooler;
    place.book = environment.record;
    if (!choice.devices.empty()) {
        // One device alone: its own spooler, its record kept under its URI, its baud rate followed.
        place.device = std::make_unique<DeviceSpooling>(environment.devices.open);
        place.spooler = &place.device->Followed();
        choice.printers = {choice.devices.front()};
        if (place.book != nullptr) {
            place.serverBook = place.book->ForServer("");
            place.book = place.serverBook.get();
        }
    } else if (!choice.servers.empty()) {
        place.serverSpooler = environment.serverSpooler(choice.servers.front());
        if (!place.serverSpooler) {
            return ReportUsage(environment.err, {}, "not a print server: " + choice.servers.front());
        }
        place.spooler = place.serverSpooler.get();
        if (place.book != nullptr) {
            place.serverBook = place.book->ForServer(environment.serverRecordName(choice.servers.front()));
            place.book = place.serverBook.get();
        }
    }
    return std::nullopt;
}

// A command that only reads (a printer's record, a plan) would read a misspelt printer's empty record
// as "nothing recorded yet": a printer that the print server does not have is said and fails.
Finished RefuseMissingPrinter(const CommandRequest& request, const OnePrinterPlace& place,
                              std::ostream& err) {
    const CliCommand& command = *request.command;
    if (command.sendsDocuments || command.scope != FleetScope::Printer || !request.choice.devices.empty() ||
        request.choice.printers.empty())
        return std::nullopt;
    const std::string& printer = request.choice.printers.front();
    const std::vector<PrinterInfo> printers = place.spooler->ListPrinters();
    if (place.spooler->LastFault() == SpoolerFault::Unreachable ||
        std::any_of(printers.begin(), printers.end(),
                    [&](const PrinterInfo& info) { return info.deviceName == printer; }))
        return std::nullopt;
    const std::string server = place.book != nullptr && !place.book->Server().empty()
                                   ? place.book->Server()
                                   : std::string("the print server");
    err << kProgram << ": " << command.name << ": " << TerminalSafe(server) << " has no printer "
        << TerminalSafe(printer) << '\n';
    return kExitPrinterFailed;
}

// The command on one printer of one server, or on one device.
int RunOnOnePrinter(CommandRequest& request, CliEnvironment& environment) {
    FleetChoice& choice = request.choice;
    OnePrinterPlace place;
    if (const Finished refused = ChoosePlace(environment, choice, place)) return *refused;
    if (const Finished missing = RefuseMissingPrinter(request, place, environment.err)) return *missing;
    // Under --dry-run nothing reaches the platform's spooler and nothing is waited for.
    std::unique_ptr<DryRun> dry = choice.dryRun ? std::make_unique<DryRun>(environment.out) : nullptr;
    const PrinterSetting setting{.spooler = dry ? dry->GetSpooler() : *place.spooler,
                                 .pause = dry ? static_cast<Pause&>(*dry) : environment.pause,
                                 .dialogs = environment.dialogs,
                                 .out = environment.out,
                                 .err = environment.err,
                                 .in = environment.in != nullptr ? *environment.in : std::cin,
                                 .record = place.book,
                                 .recordDocuments = !dry && !RecordTurnedOff(),
                                 .printer = choice.printers.empty() ? std::string() : choice.printers.front(),
                                 .server = place.book != nullptr ? place.book->Server() : std::string(),
                                 .json = choice.json,
                                 .devices = &environment.devices,
                                 .progress = environment.progress && !choice.json && !dry};
    const int status = RunOnPrinter(*request.command, request.args, request.operandsFrom, setting,
                                    PrintFileFoldersOf(environment))
                           .status;
    if (!place.device) return status;
    const int followed =
        place.device->FollowChanges(&environment.devices, choice.followBaud, environment.dialogs);
    return status == kExitOk ? followed : status;
}

}  // namespace

int RunCommandLine(const CommandRegistry& registry, const std::vector<std::string>& args,
                   CliEnvironment& environment) {
    std::ostream& out = environment.out;
    std::ostream& err = environment.err;
    CommandRequest request;
    std::size_t next = 0;
    if (const Finished done = ReadOwnOptions(registry, args, next, request.choice, out, err)) return *done;
    std::vector<std::string> rest;
    bool helpFirst = false;
    if (const Finished done = FindNamedCommand(registry, args, next, request, rest, helpFirst, out, err))
        return *done;
    if (const Finished done = ReadCommandArguments(std::move(rest), helpFirst, request, out, err))
        return *done;
    const CliCommand& command = *request.command;
    FleetChoice& choice = request.choice;
    if (!environment.serverSpooler && !choice.servers.empty()) {
        return ReportUsage(err, {}, "print servers cannot be chosen here");
    }
    if (const Finished refused = ResolveDevices(command, environment, choice)) return *refused;
    if (IsFleetRun(command, choice))
        return RunFleet(command, request.args, request.operandsFrom, environment, choice);
    if (command.scope == FleetScope::Once) choice.servers.clear();
    if (choice.printers.size() > 1 || choice.servers.size() > 1) {
        return ReportUsage(err, {}, command.name + " works on one printer of one print server");
    }
    return RunOnOnePrinter(request, environment);
}

}  // namespace qvset::cli
