// qvctl: the printer utility's operations from the command line.
#include <cstdlib>
#include <iostream>

#include "cli/CommandLine.h"
#include "cli/Console.h"
#include "cli/ConsoleDialogs.h"
#include "cli/StandardInput.h"
#include "cli/TerminalText.h"
#include "printer/Platform.h"
#include "printer/SpoolerDeadline.h"
#include "seams/SleepPause.h"

int main(int argc, char** argv) {
    using namespace qvset;
    cli::StandardInputBuffer inputBuffer(cli::HoldClosedStandardInput());
    std::istream input(&inputBuffer);
    const std::vector<std::string> args = cli::PrepareConsole(argc, argv);
    cli::CommandRegistry registry;
    cli::RegisterAllCommands(registry);
    // A deadline that is no deadline is refused, not taken for the default of 10 seconds.
    if (const char* deadline = std::getenv(kDeadlineVariable);
        deadline != nullptr && *deadline != '\0' && !ParseSpoolerDeadline(deadline)) {
        std::cerr << "qvctl: " << kDeadlineVariable << "=\"" << cli::TerminalSafe(deadline)
                  << "\" is not a deadline: seconds above 0 and at most 3600, such as 2 or 0.5\n"
                  << "see: qvctl --help\n";
        return 2;
    }

    auto spooler = CreateDefaultSpooler();
    cli::ConsoleDialogs dialogs(std::cerr);
    SleepPause pause;
    cli::CliEnvironment environment{*spooler,           dialogs, pause, ProgramFolder(), std::cout, std::cerr,
                                    PrintFileFolders(), &input};
    const std::filesystem::path stateFolder = StateFolder();
    RecordBook record(stateFolder.empty() ? stateFolder : stateFolder / "records", PrintServerName(),
                      [](const std::string& problem) { std::cerr << "qvctl: " << problem << '\n'; });
    environment.record = &record;
    environment.serverSpooler = [](const std::string& server) { return CreateServerSpooler(server); };
    environment.serverRecordName = [](const std::string& server) { return ServerRecordName(server); };
    environment.devices = {DevicesFilePath(), OpenDeviceLink, ListUsbPrinters};
    environment.progress = cli::StandardErrorIsTerminal();
    environment.openFiles = cli::OpenFileLimit();
    return cli::StatusAfterOutput(cli::RunCommandLine(registry, args, environment), std::cout, std::cerr,
                                  cli::StandardOutputReaderGone);
}
