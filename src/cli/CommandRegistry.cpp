#include "cli/CommandRegistry.h"

#include <ostream>

#include "cli/TerminalText.h"

namespace qvset::cli {

int ReportUsage(std::ostream& err, const std::string& command, const std::string& problem,
                const std::string& helpOf) {
    const std::string named = command.empty() ? std::string() : TerminalSafe(command) + ": ";
    const std::string& help = helpOf.empty() ? command : helpOf;
    const std::string helpWords = help.empty() ? std::string() : TerminalSafe(help) + ' ';
    err << kProgram << ": " << named << TerminalSafe(problem) << '\n'
        << "see: " << kProgram << ' ' << helpWords << "--help\n";
    return kExitRefused;
}

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

std::string Quoted(std::string_view text) {
    return "\"" + std::string(text) + "\"";
}

CommandRun RefusingControlCharacters(CommandRun run) {
    return [run = std::move(run)](CliContext& context, const std::vector<std::string>& args) {
        for (const auto& arg : args) {
            if (HasControlCharacter(arg)) {
                return UsageError(context, "an argument holds a control character: " + TerminalSafe(arg));
            }
        }
        return run(context, args);
    };
}

}  // namespace qvset::cli
