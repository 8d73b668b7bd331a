#pragma once

#include <string>
#include <vector>

#include "cli/CliEnvironment.h"
#include "cli/CommandRegistry.h"

namespace qvset::cli {

// Runs qvctl with its arguments (without the program name) and returns its exit status. "--" ends the
// options: before the command it ends qvctl's own; after it, the command's (CliContext::operandsFrom). With
// --dry-run the command's documents and pauses go to a DryRun on `out` instead of the spooler and the pause.
int RunCommandLine(const CommandRegistry& registry, const std::vector<std::string>& args,
                   CliEnvironment& environment);

}  // namespace qvset::cli
