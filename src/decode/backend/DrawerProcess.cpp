#include "decode/backend/DrawerProcess.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <string>

namespace qvset {
namespace {

namespace fs = std::filesystem;

constexpr const char* kDrawer = "qvprinter-draw";
constexpr const char* kLogOption = "--log";

}  // namespace

std::optional<fs::path> FindDrawer() {
    std::error_code code;
    const fs::path self = fs::read_symlink("/proc/self/exe", code);
    if (code) return std::nullopt;
    const fs::path folder = self.parent_path();
    for (const fs::path& candidate : {folder / kDrawer, folder / ".." / ".." / "qvset" / kDrawer,
                                      folder / ".." / "lib" / "qvset" / kDrawer}) {
        if (::access(candidate.c_str(), X_OK) == 0) return candidate;
    }
    return std::nullopt;
}

pid_t StartDrawer(const fs::path& drawer, const fs::path& folder, DrawerMode mode) {
    const pid_t child = ::fork();
    if (child != 0) return child;
    // The drawer starts with no signal blocked and SIGPIPE at its default, whatever its starter (the
    // listener blocks the signals it waits for) had: both would outlive the exec.
    sigset_t none;
    sigemptyset(&none);
    ::sigprocmask(SIG_SETMASK, &none, nullptr);
    ::signal(SIGPIPE, SIG_DFL);
    std::array<std::string, 3> words = {drawer.string(), folder.string(), kLogOption};
    std::array<char*, 4> argv = {words[0].data(), words[1].data(), nullptr, nullptr};
    if (mode == DrawerMode::Detached) {
        ::setsid();
        const int null = ::open("/dev/null", O_RDWR);
        if (null >= 0) {
            for (const int stream : {STDIN_FILENO, STDOUT_FILENO, STDERR_FILENO}) ::dup2(null, stream);
            if (null > STDERR_FILENO) ::close(null);
        }
        argv[2] = words[2].data();
    }
    ::execv(argv[0], argv.data());
    ::_exit(127);
}

bool WaitForDrawer(pid_t drawer) {
    int status = 0;
    pid_t waited = -1;
    while ((waited = ::waitpid(drawer, &status, 0)) < 0 && errno == EINTR) {
    }
    return waited == drawer && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

}  // namespace qvset
