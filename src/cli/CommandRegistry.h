#pragma once

#include <filesystem>
#include <functional>
#include <iosfwd>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "cli/ExitStatus.h"
#include "cli/ParsedArguments.h"
#include "printer/PrintChannel.h"
#include "printer/SendOutcome.h"
#include "printer/Spooler.h"
#include "printer/device/DeviceLink.h"
#include "printer/device/DeviceLinks.h"
#include "record/RecordBook.h"
#include "seams/Dialogs.h"
#include "seams/Pause.h"

namespace qvset::cli {

struct CliCommand;
class RunInputs;

// The printers reached without a spooler: the user's devices file and how a device is opened and the
// USB printers listed on this platform. Without an opener --device is refused.
struct DeviceSetup {
    std::filesystem::path file;
    DeviceOpener open = {};
    std::function<std::vector<UsbPrinter>()> listUsb = {};
};

// What a command works on when several printers or print servers are chosen.
enum class FleetScope {
    Printer,     // each chosen printer in turn (sending commands, a printer's record)
    Server,      // each chosen print server once (its printer list)
    Once,        // no printer at all (reading files, decoding): run once, whatever is chosen
    OnePrinter,  // one printer only (choosing the default printer): refused for several
};

// What a command works with. The spooler already honours --printer.
struct CliContext {
    const CliCommand& command;
    Spooler& spooler;
    Dialogs& dialogs;
    PrintChannel& channel;
    Pause& pause;
    std::ostream& out;
    std::ostream& err;
    std::istream& in;  // standard input, for "decode -"
    // The records of what each printer was sent (nullptr: none kept), and whether --printer was given.
    RecordBook* record = nullptr;
    bool printerGiven = false;
    // The print server as the record names it ("localhost:631"); empty for the local Windows spooler.
    std::string server = {};
    // --json: the command prints one JSON document instead of its text.
    bool json = false;
    // Set by a command that found nothing to send (every item already as recorded): a fleet's report
    // says "unchanged" instead of "ok".
    bool unchanged = false;
    // The devices file and the platform's devices (nullptr: none here).
    const DeviceSetup* devices = nullptr;
    // Whether a long command shows its progress line (standard error is a terminal, no --json).
    bool progress = false;
    // What the command line reads once for every printer it serves (the description files).
    RunInputs& inputs;
    // The arguments from this index on followed "--": they are arguments even where they begin with
    // "-" (a file named "-x.prn"). The "--" itself is not among them.
    std::size_t operandsFrom = static_cast<std::size_t>(-1);

    // True when args[index] came after "--" and so is never an option.
    bool IsOperand(std::size_t index) const { return index >= operandsFrom; }

    // The arguments read once against the command's usage: its options and operands in order.
    ParsedArguments parsed = {};
};

struct CliCommand {
    std::string name;  // "hex", or "ticket apply" for a two-word command
    // The arguments after the name as --help shows them, e.g. "[--table] HEX...": the one declaration
    // of the command's options (OptionsOfUsage) and of how many operands it takes (OperandsOfUsage),
    // which is checked before the command runs.
    std::string usage;
    std::string summary;  // one line
    std::string help;     // further lines for --help (may be empty)
    // Runs with the arguments after the name; returns an exit status.
    std::function<int(CliContext&, const std::vector<std::string>&)> run;
    // False for a command that never writes a document (listing printers, choosing the default, reading
    // files): --dry-run refuses it, since there would be nothing to show.
    bool sendsDocuments = true;
    // The usage error for too few operands; empty: the usage itself. Too many name the first one too
    // many ("takes no arguments" for a command without operands).
    std::string countProblem = {};
    FleetScope scope = FleetScope::Printer;
};

class CommandRegistry {
  public:
    void Add(CliCommand command);
    const std::vector<CliCommand>& Commands() const { return m_commands; }

  private:
    std::vector<CliCommand> m_commands;
};

// Each room adds its commands.
void RegisterPrinterCommands(CommandRegistry& registry);
void RegisterSettingsCommands(CommandRegistry& registry);
void RegisterTicketCommands(CommandRegistry& registry);
void RegisterTuningCommands(CommandRegistry& registry);
void RegisterConsoleCommands(CommandRegistry& registry);
void RegisterDecodeCommands(CommandRegistry& registry);
void RegisterRecordCommands(CommandRegistry& registry);
void RegisterDeviceCommands(CommandRegistry& registry);
void RegisterStatusCommands(CommandRegistry& registry);
// Every room's commands, in the order the overview lists them.
void RegisterAllCommands(CommandRegistry& registry);

// Prints a command's usage and help.
void PrintCommandHelp(const CliCommand& command, std::ostream& out);

// Reports wrong usage of a command on stderr, a line "qvctl: COMMAND: PROBLEM" and a line "see: qvctl
// COMMAND --help", and returns kExitRefused.
int UsageError(CliContext& context, const std::string& problem);

// A system text as help quotes it: in double quotes.
std::string Quoted(std::string_view text);

// Shows what an operation refused (exit kExitRefused) or the notice it leaves (exit kExitOk).
int ShowOutcome(CliContext& context, const SendOutcome& outcome);

// The program's name, as usage errors and help name it.
inline constexpr const char* kProgram = "qvctl";

// Reports wrong usage on stderr: the problem on one line ("qvctl: length: ..."), the help to read on
// the next ("see: qvctl length --help"; "see: qvctl --help" for qvctl's own options), and returns
// kExitRefused. `command` is empty for a problem of qvctl's own options; `helpOf` names another help
// than the command's (a group's, for a word that is none of its commands).
int ReportUsage(std::ostream& err, const std::string& command, const std::string& problem,
                const std::string& helpOf = {});

// A command's run that first refuses every argument holding a control character (a CR that a script
// read from a CR LF file, an escape sequence): usage error, exit 2, nothing sent or written.
using CommandRun = std::function<int(CliContext&, const std::vector<std::string>&)>;
CommandRun RefusingControlCharacters(CommandRun run);

}  // namespace qvset::cli
