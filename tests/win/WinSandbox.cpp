#include "WinSandbox.h"

#include <cstdlib>
#include <filesystem>
#include <stdexcept>

namespace qvset::testing {
namespace {

namespace fs = std::filesystem;

fs::path SandboxFolder() {
    const char* dir = std::getenv("QVSET_SANDBOX_DIR");
    if (dir == nullptr || *dir != '/') {
        throw std::runtime_error(
            "QVSET_SANDBOX_DIR must name the private CUPS server's folder (host path); "
            "run scripts/test-windows.sh");
    }
    return fs::path(std::string("Z:") + dir);
}

}  // namespace

std::vector<WinSandbox::Job> WinSandbox::CapturedJobs(const std::string& queue) {
    const fs::path folder = SandboxFolder() / "capture" / queue;
    if (!fs::exists(folder / "index")) throw std::runtime_error("no capture queue " + queue);
    return ReadCapturedJobs(folder);
}

std::vector<WinSandbox::Job> WinSandbox::WaitForJobs(const std::string& queue, std::size_t count,
                                                     std::chrono::milliseconds timeout) {
    CapturedJobs(queue);  // a queue that does not exist fails at once
    return WaitForCapturedJobs(SandboxFolder() / "capture" / queue, count, timeout);
}

}  // namespace qvset::testing
