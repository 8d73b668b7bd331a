#pragma once

#include <iosfwd>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "cli/ExitStatus.h"

namespace qvset::cli {

// One row of the report of a fleet run: one printer and what it took.
struct FleetRow {
    std::string server;   // as the record names it; empty when the printer was found on no server
    std::string printer;  // empty for a server that was not reached; a device's URI
    bool device = false;  // a printer reached without a spooler
    int status = kExitOk;
    int documents = 0;
    bool unchanged = false;
    std::vector<std::string> messages;
    std::string output;  // what the command printed (its listing, a dry run's documents)
    double seconds = 0;
};

// The status of a whole fleet: failed when any printer failed, else refused when any refused.
int FleetStatus(const std::vector<FleetRow>& rows);

// Each line of an error stream's text as a message of its own.
void AddLines(std::vector<std::string>& messages, const std::string& text);

// The report as a table, a row per printer and a summary line.
void PrintReport(const std::string& commandName, const std::vector<FleetRow>& rows, double seconds,
                 std::ostream& out);

// The report as one JSON document (terminal-safe text): `jsonOutput` takes each printer's output as
// JSON where it is JSON; `sameServers` pairs each server kept with another spelling of it.
std::string ReportJsonText(const std::string& commandName, const std::vector<FleetRow>& rows, double seconds,
                           bool dryRun, bool jsonOutput,
                           const std::vector<std::pair<std::string, std::string>>& sameServers);

}  // namespace qvset::cli
