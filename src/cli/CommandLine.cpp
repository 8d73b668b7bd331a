// qvctl's command line: qvctl's own options, the command named, its help, and where it runs (one
// printer, one device or a fleet).
#include "cli/CommandLine.h"

#include <algorithm>
#include <iostream>
#include <memory>
#include <ostream>

#include "Version.h"
#include "cli/ArgumentParsing.h"
#include "cli/DeviceCommands.h"
#include "cli/DryRun.h"
#include "cli/FleetCommandLine.h"
#include "cli/PrinterRun.h"
#include "cli/TerminalText.h"
#include "printer/SpoolerDeadline.h"
#include "printer/device/DeviceSpooler.h"
#include "record/BaudFollowing.h"

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

}  // namespace

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
        if (arg == kJobsOption || arg.rfind(std::string(kJobsOption) + '=', 0) == 0) {
            if (!ReadJobsOption(args, next, choice, problem)) return ReportUsage(err, {}, problem);
            continue;
        }
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
