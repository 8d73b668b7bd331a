// qvprinter: a CUPS backend that is a virtual QV6 printer. For every job it keeps, in the folder of its
// device URI qvprinter:/some/folder, the bytes (<job>.prn), the decoded listing (<job>.txt), a picture
// (<job>.png) and the printer's state across jobs (state.json), and adds "<job><TAB><title>" to index.
//
// As CUPS starts a backend: without arguments it names its device class; otherwise
//   qvprinter job-id user title copies options [file]
// with the job on standard input when no file is given, and the URI in DEVICE_URI.
//
// The backend only takes the job (its bytes and its place in the folder's list of jobs to draw) and
// exits, so that the spooler's queue empties as fast as a capture queue's, as on a printer with a
// buffer: a burst of documents does not linger in the queue that a tuning run's watch inspects. It
// starts qvprinter-draw in a session of its own, which draws the list in order; the backend links no
// toolkit, so that it starts quickly. QVSET_QVPRINTER_FOREGROUND=1 waits for the drawing and reports
// its outcome (for tests and by-hand runs).
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <iterator>
#include <optional>
#include <string>
#include <utility>

#include "decode/VirtualPrinterFolder.h"
#include "decode/backend/JobFolder.h"
#include "decode/backend/JobQueue.h"

namespace {

namespace fs = std::filesystem;

constexpr const char* kDeviceLine = "direct qvprinter \"Unknown\" \"qvset virtual QV6 printer\"\n";
constexpr const char* kUsage = "Usage: qvprinter job-id user title copies options [file]\n";
constexpr const char* kForegroundVariable = "QVSET_QVPRINTER_FOREGROUND";
constexpr const char* kDrawer = "qvprinter-draw";
constexpr const char* kLogOption = "--log";
// The exit statuses of a CUPS backend.
constexpr int kBackendOk = 0;
constexpr int kBackendFailed = 1;

// The drawer: beside the backend (a build tree), else in lib/qvset beside lib/cups/backend (installed).
std::optional<fs::path> FindDrawer() {
    std::error_code code;
    const fs::path self = fs::read_symlink("/proc/self/exe", code);
    if (code) return std::nullopt;
    for (const fs::path& candidate :
         {self.parent_path() / kDrawer, self.parent_path() / ".." / ".." / "qvset" / kDrawer}) {
        if (::access(candidate.c_str(), X_OK) == 0) return candidate;
    }
    return std::nullopt;
}

// Starts the drawer on the folder. In the foreground it is waited for and its status returned; in the
// background it runs in a session of its own with standard input, output and errors on /dev/null,
// writing what goes wrong to the folder's log, and the backend returns at once.
int StartDrawer(const fs::path& drawer, const fs::path& folder, bool foreground) {
    const pid_t child = fork();
    if (child < 0) {
        std::cerr << "ERROR: cannot start " << drawer.string() << "\n";
        return kBackendFailed;
    }
    if (child == 0) {
        std::array<std::string, 3> words = {drawer.string(), folder.string(), kLogOption};
        std::array<char*, 4> argv = {words[0].data(), words[1].data(), nullptr, nullptr};
        if (!foreground) {
            setsid();
            const int null = open("/dev/null", O_RDWR);
            if (null >= 0) {
                for (const int stream : {STDIN_FILENO, STDOUT_FILENO, STDERR_FILENO}) dup2(null, stream);
                if (null > STDERR_FILENO) close(null);
            }
            argv[2] = words[2].data();
        }
        execv(argv[0], argv.data());
        _exit(127);
    }
    if (!foreground) return kBackendOk;
    int status = 0;
    if (waitpid(child, &status, 0) != child) return kBackendFailed;
    return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? kBackendOk : kBackendFailed;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 1) {
        std::fputs(kDeviceLine, stdout);
        return kBackendOk;
    }
    if (argc != 6 && argc != 7) {
        std::fputs(kUsage, stderr);
        return kBackendFailed;
    }
    // A file size limit (or a full disk) fails a write, which is reported; it does not kill the process.
    std::signal(SIGXFSZ, SIG_IGN);
    // cupsd starts backends with a umask that keeps their files from the user who reads them.
    umask(022);
    const char* uri = std::getenv("DEVICE_URI");
    const auto path = qvset::VirtualPrinterFolder(uri == nullptr ? "" : uri);
    if (!path) {
        std::cerr << "ERROR: the device URI \"" << (uri == nullptr ? "" : uri)
                  << "\" is not qvprinter:/some/folder\n";
        return kBackendFailed;
    }
    if (!qvset::IsJobNumber(argv[1])) {
        std::cerr << "ERROR: the job id \"" << argv[1] << "\" is not a job number; refusing the job\n";
        return kBackendFailed;
    }
    if (const std::string problem = qvset::FolderProblem(*path); !problem.empty()) {
        std::cerr << "ERROR: the virtual printer's folder " << path->string() << ' ' << problem << "\n";
        return kBackendFailed;
    }
    std::string error;
    const auto folder = qvset::JobFolder::Open(*path, error);
    if (!folder) {
        std::cerr << "ERROR: " << error << "\n";
        return kBackendFailed;
    }
    folder->RemoveStaleTemporaries();
    const auto drawer = FindDrawer();
    if (!drawer) {
        std::cerr << "ERROR: " << kDrawer << " is missing beside the backend and in lib/qvset\n";
        return kBackendFailed;
    }
    int source = STDIN_FILENO;
    if (argc == 7) {
        source = ::open(argv[6], O_RDONLY | O_CLOEXEC);
        if (source < 0) {
            std::cerr << "ERROR: cannot read the job file " << argv[6] << "\n";
            return kBackendFailed;
        }
    }
    // A job that could not be stored (a full disk) fails, so that the spooler keeps it and tries again.
    const bool queued = qvset::QueueVirtualJob(*folder, argv[1], argv[3], source, error);
    if (source != STDIN_FILENO) ::close(source);
    if (!queued) {
        std::cerr << "ERROR: " << error << "\n";
        return kBackendFailed;
    }
    const char* foreground = std::getenv(kForegroundVariable);
    return StartDrawer(*drawer, *path, foreground != nullptr && std::string(foreground) == "1");
}
