#pragma once

#include <cstddef>
#include <filesystem>
#include <iosfwd>
#include <string>
#include <vector>

#include "cli/ArgumentParsing.h"
#include "cli/CliEnvironment.h"
#include "cli/CommandRegistry.h"

namespace qvset::cli {

// Whether a command runs as a fleet, with a report: several printers, servers or devices (or a pattern)
// are chosen for a command that works on printers, or --json asks for the report of a sending command.
bool IsFleetRun(const CliCommand& command, const FleetChoice& choice);

// Runs a command on every chosen printer of every chosen server and prints the report (or, for the
// printer list, every server's list). Exit status: 0 when every printer took every document, 1 when
// any printer or server failed, 2 for input refused before anything was sent.
int RunFleet(const CliCommand& command, const std::vector<std::string>& args, std::size_t operandsFrom,
             CliEnvironment& environment, const FleetChoice& choice);

}  // namespace qvset::cli
