#pragma once

#include <cstddef>
#include <filesystem>
#include <iosfwd>
#include <string>
#include <vector>

#include "cli/CliEnvironment.h"
#include "cli/CommandRegistry.h"
#include "printer/device/DeviceSpooler.h"
#include "record/BaudFollowing.h"

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
    std::string printer = {};      // empty: the server's current printer, read afresh for each document
    std::string server = {};       // the server as the record names it
    bool json = false;
    const DeviceSetup* devices = nullptr;
    bool progress = false;  // a long command shows its progress line
    // What the command line has read for every printer it serves; nullptr: this run reads its own.
    RunInputs* inputs = nullptr;
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

// Where "file.prn" is looked for: the folders given, or else the program's folder.
std::vector<std::filesystem::path> PrintFileFoldersOf(const CliEnvironment& environment);

// A device's own spooler (no spooler between qvctl and the printer), under the spooler deadline, with
// the documents that change a serial printer's baud rate noted on the way.
class DeviceSpooling {
  public:
    explicit DeviceSpooling(const DeviceOpener& open);
    Spooler& Followed() { return m_following; }
    // Keeps the devices file in step with the baud rates changed since the last call (when `follow`),
    // or says what to send to from now on; the exit status of that.
    int FollowChanges(const DeviceSetup* setup, bool follow, Dialogs& dialogs);

  private:
    DeviceSpooler m_device;
    BaudFollowingSpooler m_following;
};

// A printer or server named with a control character in it (a CR read from a CR LF file, an escape
// sequence) is refused before anything is asked or sent: no queue has such a name, and the record would
// keep a file of its own for it. The message names the argument, its bytes made visible.
bool RefusedName(std::ostream& err, const std::string& commandName, std::string_view what,
                 const std::string& name);

}  // namespace qvset::cli
