#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <istream>
#include <sstream>
#include <string>
#include <vector>

#include "cli/CommandLine.h"
#include "cli/ConsoleDialogs.h"
#include "printer/MemorySpooler.h"
#include "support/RecordingDialogs.h"
#include "support/TestFolder.h"

namespace qvset::testing {

// qvctl's command line as its main runs it, over an in-memory spooler and recorded pauses, with a
// folder of the test's own as the program's folder. A test class derives from it, registers the
// commands it needs in `registry` and runs them with RunQvctl. For tests that link qvset_cli.
class QvctlFixture : public ::testing::Test {
  protected:
    explicit QvctlFixture(std::vector<PrinterInfo> printers = {}) : spooler(std::move(printers)) {}

    // Runs the arguments (without the program name) and returns the exit status; `out` and `err` are
    // emptied first. Messages go to `err` as on a terminal, or to the dialogs given to ShowDialogsOn.
    // `in` is the standard input ("decode -"); nullptr is std::cin.
    int RunQvctl(const std::vector<std::string>& args, std::istream* in = nullptr) {
        out.str("");
        err.str("");
        cli::ConsoleDialogs terminal(err);
        Dialogs& shown = m_dialogs != nullptr ? *m_dialogs : terminal;
        cli::CliEnvironment environment{spooler, shown, pause, folder, out, err, {}, in};
        return cli::RunCommandLine(registry, args, environment);
    }
    void ShowDialogsOn(Dialogs& dialogs) { m_dialogs = &dialogs; }

    cli::CommandRegistry registry;
    MemorySpooler spooler;
    RecordingPause pause;
    std::ostringstream out;
    std::ostringstream err;
    TestFolder testFolder{"qvset-qvctl-"};
    const std::filesystem::path& folder = testFolder.Path();

  private:
    Dialogs* m_dialogs = nullptr;
};

}  // namespace qvset::testing
