#include "WinSandbox.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <thread>

namespace qvset::testing {
namespace {

namespace fs = std::filesystem;

fs::path SandboxFolder() {
    const char* dir = std::getenv("QVSET_SANDBOX_DIR");
    if (dir == nullptr || *dir != '/') {
        throw std::runtime_error("QVSET_SANDBOX_DIR must name the private CUPS server's folder (host path); "
                                 "run scripts/test-windows.sh");
    }
    return fs::path(std::string("Z:") + dir);
}

std::string ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
}

}  // namespace

std::vector<WinSandbox::Job> WinSandbox::CapturedJobs(const std::string& queue) {
    const fs::path folder = SandboxFolder() / "capture" / queue;
    if (!fs::exists(folder / "index")) throw std::runtime_error("no capture queue " + queue);
    std::vector<Job> jobs;
    std::istringstream index(ReadFile(folder / "index"));
    std::string line;
    while (std::getline(index, line)) {
        const auto tab = line.find('\t');
        Job job{line.substr(0, tab), tab == std::string::npos ? "" : line.substr(tab + 1), {}};
        const std::string bytes = ReadFile(folder / (job.id + ".prn"));
        job.bytes.assign(bytes.begin(), bytes.end());
        jobs.push_back(std::move(job));
    }
    return jobs;
}

std::vector<WinSandbox::Job> WinSandbox::WaitForJobs(const std::string& queue, std::size_t count,
                                                     std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    auto jobs = CapturedJobs(queue);
    while (jobs.size() < count && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        jobs = CapturedJobs(queue);
    }
    return jobs;
}

}  // namespace qvset::testing
