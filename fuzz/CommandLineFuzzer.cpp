// qvctl's command line over arbitrary arguments (the input split at NUL bytes), with an in-memory
// spooler and pauses that do not wait. Arguments that name a path outside the working folder (a "/" or
// "\" in them) are left out, so that "ticket new" can only write into the fuzzer's own folder, which is
// emptied after each run.
#include <unistd.h>
#include <cstddef>
#include <cstdint>

#include <filesystem>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "cli/CliEnvironment.h"
#include "cli/CommandLine.h"
#include "cli/CommandRegistry.h"
#include "cli/ConsoleDialogs.h"
#include "printer/MemorySpooler.h"
#include "seams/Pause.h"

namespace {

namespace fs = std::filesystem;

class NoPause final : public qvset::Pause {
  public:
    void Wait(int) override {}
};

const qvset::cli::CommandRegistry& Registry() {
    static const qvset::cli::CommandRegistry registry = [] {
        qvset::cli::CommandRegistry r;
        qvset::cli::RegisterPrinterCommands(r);
        qvset::cli::RegisterSettingsCommands(r);
        qvset::cli::RegisterTicketCommands(r);
        qvset::cli::RegisterTuningCommands(r);
        qvset::cli::RegisterConsoleCommands(r);
        return r;
    }();
    return registry;
}

fs::path g_folder;

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    g_folder = fs::temp_directory_path() / ("qvset-fuzz-cli-" + std::to_string(::getpid()));
    fs::create_directories(g_folder);
    fs::current_path(g_folder);
    std::atexit([] {
        std::error_code error;
        fs::current_path(fs::temp_directory_path(), error);
        fs::remove_all(g_folder, error);
    });
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace qvset;
    std::vector<std::string> args;
    std::string_view rest(reinterpret_cast<const char*>(data), size);
    while (!rest.empty()) {
        const std::size_t nul = rest.find('\0');
        args.emplace_back(rest.substr(0, nul));
        rest = nul == std::string_view::npos ? std::string_view() : rest.substr(nul + 1);
    }
    for (const auto& arg : args) {
        if (arg.find_first_of("/\\") != std::string::npos) return -1;  // not added to the corpus
    }
    MemorySpooler spooler({{"QV640", "drv", "usb"}, {"Office", "laser", "ipp"}});
    std::ostringstream out;
    std::ostringstream err;
    cli::ConsoleDialogs dialogs(err);
    NoPause pause;
    cli::CliEnvironment environment{spooler, dialogs, pause, g_folder, out, err};
    const int status = cli::RunCommandLine(Registry(), args, environment);
    if (status < 0 || status > 2) __builtin_trap();
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(g_folder, error)) fs::remove_all(entry.path(), error);
    return 0;
}
