#include <unistd.h>

#include "printer/Platform.h"
#include "printer/SpoolerDeadline.h"
#include "printer/cups/CupsSpooler.h"

namespace qvset {

std::unique_ptr<Spooler> CreateDefaultSpooler() {
    auto spooler = std::make_unique<CupsSpooler>();
    spooler->SetDeadline(SpoolerDeadlineFromEnvironment());
    return spooler;
}

std::filesystem::path ProgramFolder() {
    std::error_code error;
    const auto exe = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error) return std::filesystem::current_path();
    return exe.parent_path();
}

}  // namespace qvset
