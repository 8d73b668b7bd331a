#include "cli/CommandRegistry.h"

#include <algorithm>
#include <memory>
#include <ostream>

#include "cli/TerminalText.h"
#include "printer/PrinterOverrideSpooler.h"

namespace qvset::cli {
namespace {

constexpr const char* kProgram = "qvctl";

void PrintOverview(const CommandRegistry& registry, std::ostream& out) {
    out << "usage: " << kProgram << " [--printer NAME] COMMAND [ARGS...]\n"
        << "Settings and test commands for QV6 thermal ticket printers. Every command is sent as one\n"
        << "RAW document per printer command to the current (default) printer through the spooler.\n\n"
        << "options:\n"
        << "  --printer NAME   send to NAME for this command, without changing the default printer\n"
        << "  --help           this text; COMMAND --help explains one command\n\n"
        << "commands:\n";
    std::size_t width = 0;
    for (const auto& command : registry.Commands()) width = std::max(width, command.name.size());
    for (const auto& command : registry.Commands()) {
        out << "  " << command.name << std::string(width - command.name.size() + 3, ' ') << command.summary
            << '\n';
    }
    out << "\nexit status: 0 every document was handed to the spooler, 1 a printer could not be opened,\n"
        << "2 refused input or wrong usage.\n";
}

bool IsHelp(const std::string& arg) {
    return arg == "--help" || arg == "-h";
}

}  // namespace

void CommandRegistry::Add(CliCommand command) {
    m_commands.push_back(std::move(command));
}

void PrintCommandHelp(const CliCommand& command, std::ostream& out) {
    out << "usage: " << kProgram << " [--printer NAME] " << command.name;
    if (!command.usage.empty()) out << ' ' << command.usage;
    out << "\n" << command.summary << "\n";
    if (!command.help.empty()) out << "\n" << command.help << (command.help.back() == '\n' ? "" : "\n");
}

int UsageError(CliContext& context, const std::string& problem) {
    const CliCommand& command = context.command;
    context.err << kProgram << ' ' << command.name << ": " << TerminalSafe(problem) << '\n';
    context.err << "usage: " << kProgram << ' ' << command.name << ' ' << command.usage << '\n';
    return kExitRefused;
}

int RunCommandLine(const CommandRegistry& registry, const std::vector<std::string>& args,
                   CliEnvironment& environment) {
    Spooler& spooler = environment.spooler;
    std::ostream& out = environment.out;
    std::ostream& err = environment.err;
    std::size_t next = 0;
    std::unique_ptr<PrinterOverrideSpooler> override;
    Spooler* target = &spooler;
    while (next < args.size() && args[next].rfind("--", 0) == 0) {
        if (IsHelp(args[next])) {
            PrintOverview(registry, out);
            return kExitOk;
        }
        if (args[next] == "--printer" && next + 1 < args.size() && !args[next + 1].empty()) {
            override = std::make_unique<PrinterOverrideSpooler>(spooler, args[next + 1]);
            target = override.get();
            next += 2;
            continue;
        }
        err << kProgram << ": unknown option " << args[next] << '\n';
        PrintOverview(registry, err);
        return kExitRefused;
    }
    if (next == args.size()) {
        PrintOverview(registry, err);
        return kExitRefused;
    }
    if (args[next] == "help") {
        PrintOverview(registry, out);
        return kExitOk;
    }

    // The longest command name that matches the next words ("ticket apply" before "ticket").
    const CliCommand* found = nullptr;
    std::size_t words = 0;
    for (const auto& command : registry.Commands()) {
        std::vector<std::string> parts;
        std::size_t start = 0;
        while (true) {
            const std::size_t blank = command.name.find(' ', start);
            parts.push_back(command.name.substr(start, blank - start));
            if (blank == std::string::npos) break;
            start = blank + 1;
        }
        if (next + parts.size() > args.size()) continue;
        if (!std::equal(parts.begin(), parts.end(), args.begin() + static_cast<std::ptrdiff_t>(next)))
            continue;
        if (found == nullptr || parts.size() > words) {
            found = &command;
            words = parts.size();
        }
    }
    if (found == nullptr) {
        err << kProgram << ": unknown command " << args[next] << '\n';
        PrintOverview(registry, err);
        return kExitRefused;
    }
    const std::vector<std::string> rest(args.begin() + static_cast<std::ptrdiff_t>(next + words), args.end());
    if (std::any_of(rest.begin(), rest.end(), IsHelp)) {
        PrintCommandHelp(*found, out);
        return kExitOk;
    }

    PrintChannel channel(*target, environment.dialogs, environment.programFolder);
    CliContext context{*found, *target, environment.dialogs, channel, environment.pause, out, err};
    const int status = found->run(context, rest);
    if (status != kExitOk) return status;
    if (channel.OpenFailures() > 0) return kExitPrinterFailed;
    if (channel.RefusedCommands() > 0) return kExitRefused;
    return kExitOk;
}

}  // namespace qvset::cli
