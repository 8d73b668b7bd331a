#pragma once

#include <cstddef>
#include <filesystem>
#include <iosfwd>
#include <string>
#include <vector>

#include "cli/CommandRegistry.h"

namespace qvset::cli {

// Where one run of a command sends and what it tells.
struct PrinterSetting {
    Spooler& spooler;  // the print server's spooler (or a dry run's)
    Pause& pause;
    Dialogs& dialogs;
    std::ostream& out;
    std::ostream& err;
    std::istream& in;
    RecordBook* record = nullptr;  // the server's records (read by history, printer-state, plans)
    bool recordDocuments = false;  // whether the documents sent are added to `record`
    std::string printer;           // empty: the server's current printer, read afresh for each document
    std::string server;            // the server as the record names it
    bool json = false;
    const DeviceSetup* devices = nullptr;
    bool progress = false;  // a long command shows its progress line
};

struct PrinterRunResult {
    int status = kExitOk;
    int documents = 0;  // documents the spooler took
    bool unchanged = false;
};

// Runs a command once, on one printer: records what it sends (when asked), sends to the printer named
// (when one is), and gives the exit status the command line gives a single printer.
PrinterRunResult RunOnPrinter(const CliCommand& command, const std::vector<std::string>& args,
                              std::size_t operandsFrom, const PrinterSetting& setting,
                              const std::vector<std::filesystem::path>& printFileFolders);

// The printers and print servers chosen on the command line.
struct FleetChoice {
    std::vector<std::string> servers;   // --server, in the order given
    std::vector<std::string> printers;  // --printer, names and patterns, in the order given
    std::vector<std::string> devices;   // --device, URIs (names from the devices file already resolved)
    bool json = false;
    bool dryRun = false;
    bool followBaud = false;  // --follow-baud
};

// Whether a command runs as a fleet, with a report: several printers, servers or devices (or a pattern)
// are chosen for a command that works on printers, or --json asks for the report of a sending command.
bool IsFleetRun(const CliCommand& command, const FleetChoice& choice);

// Runs a command on every chosen printer of every chosen server and prints the report (or, for the
// printer list, every server's list). Exit status: 0 when every printer took every document, 1 when
// any printer or server failed, 2 for input refused before anything was sent.
int RunFleet(const CliCommand& command, const std::vector<std::string>& args, std::size_t operandsFrom,
             CliEnvironment& environment, const FleetChoice& choice);

}  // namespace qvset::cli
