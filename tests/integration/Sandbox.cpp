#include "Sandbox.h"

#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <thread>

#include "support/FileBytes.h"

namespace qvset::testing {
namespace {

namespace fs = std::filesystem;

}  // namespace

void Sandbox::UseClientEnvironment() {
    std::ifstream env(fs::path(QVSET_SANDBOX_DIR) / "client.env");
    if (!env) throw std::runtime_error("the private CUPS server is not running (no client.env)");
    std::string line;
    while (std::getline(env, line)) {
        const auto equals = line.find('=');
        if (equals == std::string::npos) continue;
        ::setenv(line.substr(0, equals).c_str(), line.substr(equals + 1).c_str(), 1);
    }
    ::unsetenv("LPDEST");
    ::unsetenv("PRINTER");
}

std::vector<Sandbox::Job> Sandbox::CapturedJobs(const std::string& queue) {
    return ReadCapturedJobs(fs::path(QVSET_SANDBOX_DIR) / "capture" / queue);
}

std::vector<Sandbox::Job> Sandbox::WaitForJobs(const std::string& queue, std::size_t count,
                                               std::chrono::milliseconds timeout) {
    return WaitForCapturedJobs(fs::path(QVSET_SANDBOX_DIR) / "capture" / queue, count, timeout);
}

int Sandbox::Shell(const std::string& command) {
    const int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

Sandbox::Result Sandbox::RunQvctl(const std::string& arguments) {
    return RunQvctlWith("", arguments);
}

int Sandbox::ServerPid() {
    return std::stoi(ReadFileBytes(fs::path(QVSET_SANDBOX_DIR) / "cupsd.pid"));
}

Sandbox::Result Sandbox::RunQvctlWith(const std::string& environment, const std::string& arguments) {
    const fs::path dir = fs::temp_directory_path();
    const auto stamp = std::to_string(std::chrono::steady_clock::now().time_since_epoch().count());
    const fs::path out = dir / ("qvctl-out-" + stamp), err = dir / ("qvctl-err-" + stamp);
    Result result;
    result.status = Shell(environment + " " + std::string(QVSET_QVCTL) + " " + arguments + " >" +
                          out.string() + " 2>" + err.string());
    result.out = ReadFileBytes(out);
    result.err = ReadFileBytes(err);
    fs::remove(out);
    fs::remove(err);
    return result;
}

}  // namespace qvset::testing
