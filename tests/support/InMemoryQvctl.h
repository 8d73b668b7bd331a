#pragma once

#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "cli/CommandRegistry.h"
#include "cli/ConsoleDialogs.h"

namespace qvset::testing {

// Runs qvctl's command line as its main does, with terminal dialogs on `err`, over the given spooler
// and pause; `out` and `err` are emptied first. For tests that link qvset_cli.
inline int RunQvctlInMemory(const cli::CommandRegistry& registry, Spooler& spooler, Pause& pause,
                            const std::filesystem::path& folder, std::ostringstream& out,
                            std::ostringstream& err, const std::vector<std::string>& args) {
    out.str("");
    err.str("");
    cli::ConsoleDialogs dialogs(err);
    cli::CliEnvironment environment{spooler, dialogs, pause, folder, out, err};
    return cli::RunCommandLine(registry, args, environment);
}

}  // namespace qvset::testing
