// One command run once on one printer.
#include "cli/PrinterRun.h"

#include <memory>
#include <ostream>

#include "cli/ArgumentParsing.h"
#include "cli/DeviceCommands.h"
#include "cli/RunInputs.h"
#include "cli/TerminalText.h"
#include "printer/PrinterOverrideSpooler.h"
#include "printer/SpoolerDeadline.h"
#include "record/RecordingSpooler.h"

namespace qvset::cli {

std::vector<std::filesystem::path> PrintFileFoldersOf(const CliEnvironment& environment) {
    return environment.printFileFolders.empty()
               ? std::vector<std::filesystem::path>{environment.programFolder}
               : environment.printFileFolders;
}

DeviceSpooling::DeviceSpooling(const DeviceOpener& open)
    : m_device(std::vector<NamedDevice>{}, open), m_following(m_device) {
    m_device.SetDeadline(SpoolerDeadlineFromEnvironment());
}

int DeviceSpooling::FollowChanges(const DeviceSetup* setup, bool follow, Dialogs& dialogs) {
    return FollowBaudChanges(m_following.TakeChanges(), setup, follow, dialogs);
}

bool RefusedName(std::ostream& err, const std::string& commandName, std::string_view what,
                 const std::string& name) {
    if (!HasControlCharacter(name)) return false;
    err << "qvctl: the " << what << " \"" << TerminalSafe(name) << "\" holds a control character\n"
        << "see: qvctl " << commandName << " --help\n";
    return true;
}

PrinterRunResult RunOnPrinter(const CliCommand& command, const std::vector<std::string>& args,
                              std::size_t operandsFrom, const PrinterSetting& setting,
                              const std::vector<std::filesystem::path>& printFileFolders) {
    if (RefusedName(setting.err, command.name, "printer name", setting.printer) ||
        RefusedName(setting.err, command.name, "print server", setting.server)) {
        return {kExitRefused, 0, false};
    }
    std::unique_ptr<RecordingSpooler> recording;
    if (setting.recordDocuments && setting.record != nullptr) {
        recording = std::make_unique<RecordingSpooler>(setting.spooler, *setting.record, command.name);
    }
    Spooler& recorded = recording ? *recording : setting.spooler;
    std::unique_ptr<PrinterOverrideSpooler> override;
    if (!setting.printer.empty())
        override = std::make_unique<PrinterOverrideSpooler>(recorded, setting.printer);
    Spooler& target = override ? *override : recorded;

    PrintChannel channel(target, setting.dialogs, printFileFolders);
    RunInputs ownInputs;
    CliContext context{.command = command,
                       .spooler = target,
                       .dialogs = setting.dialogs,
                       .channel = channel,
                       .pause = setting.pause,
                       .out = setting.out,
                       .err = setting.err,
                       .in = setting.in,
                       .record = setting.record,
                       .printerGiven = !setting.printer.empty(),
                       .server = setting.server,
                       .json = setting.json,
                       .devices = setting.devices,
                       .progress = setting.progress,
                       .inputs = setting.inputs != nullptr ? *setting.inputs : ownInputs,
                       .operandsFrom = operandsFrom,
                       .parsed = ParseArguments(OptionsOfUsage(command.usage), args, operandsFrom)};
    PrinterRunResult result;
    result.status = command.run(context, args);
    result.documents = channel.SentDocuments();
    result.unchanged = context.unchanged;
    if (result.status != kExitOk) return result;
    if (channel.OpenFailures() > 0)
        result.status = kExitPrinterFailed;
    else if (channel.RefusedCommands() > 0)
        result.status = kExitRefused;
    return result;
}

}  // namespace qvset::cli
