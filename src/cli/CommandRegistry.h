#pragma once

#include <filesystem>
#include <functional>
#include <iosfwd>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "printer/PrintChannel.h"
#include "printer/SendOutcome.h"
#include "printer/Spooler.h"
#include "printer/device/DeviceLink.h"
#include "printer/device/DeviceLinks.h"
#include "record/RecordBook.h"
#include "seams/Dialogs.h"
#include "seams/Pause.h"

namespace qvset::cli {

// Exit statuses of qvctl.
inline constexpr int kExitOk = 0;             // every document was handed to the spooler
inline constexpr int kExitPrinterFailed = 1;  // a printer could not be opened (or a run failed)
inline constexpr int kExitRefused = 2;        // refused input or wrong usage

struct CliCommand;

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
    // The arguments from this index on followed "--": they are arguments even where they begin with
    // "-" (a file named "-x.prn"). The "--" itself is not among them.
    std::size_t operandsFrom = static_cast<std::size_t>(-1);

    // True when args[index] came after "--" and so is never an option.
    bool IsOperand(std::size_t index) const { return index >= operandsFrom; }
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

// Where qvctl runs: the platform's spooler, dialogs and pause, the program's folder (for "file.prn").
struct CliEnvironment {
    Spooler& spooler;
    Dialogs& dialogs;
    Pause& pause;
    std::filesystem::path programFolder;
    std::ostream& out;
    std::ostream& err;
    // Where "file.prn" is looked for, in order; empty means the program's folder alone.
    std::vector<std::filesystem::path> printFileFolders = {};
    // Standard input ("decode -"); nullptr is std::cin.
    std::istream* in = nullptr;
    // Where every document handed to the spooler is recorded (not under --dry-run, nor with
    // QVSET_RECORD=off); nullptr keeps no record.
    RecordBook* record = nullptr;
    // The spooler of a print server named with --server, made afresh for each worker of a fleet run
    // (nullptr for a name that is no print server; "" is the default server), and the name the record
    // gives that server. Unset: --server is refused.
    std::function<std::unique_ptr<Spooler>(const std::string& server)> serverSpooler = {};
    std::function<std::string(const std::string& server)> serverRecordName = {};
    // The devices file and the platform's devices, for --device and `qvctl device`.
    DeviceSetup devices = {};
    // Whether standard error is a terminal, where a long command shows its progress line.
    bool progress = false;
    // How many printers a fleet run serves at once.
    std::size_t perServer = 4;
    std::size_t total = 16;
};

// Runs qvctl with its arguments (without the program name) and returns its exit status. "--" ends the
// options: before the command it ends qvctl's own; after it, the command's (CliContext::operandsFrom). With
// --dry-run the command's documents and pauses go to a DryRun on `out` instead of the spooler and the pause.
int RunCommandLine(const CommandRegistry& registry, const std::vector<std::string>& args,
                   CliEnvironment& environment);

}  // namespace qvset::cli
