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
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <optional>
#include <string>

#include "decode/VirtualPrinterFolder.h"
#include "decode/backend/DrawerProcess.h"
#include "decode/backend/JobFolder.h"
#include "decode/backend/JobQueue.h"

namespace {

constexpr const char* kDeviceLine = "direct qvprinter \"Unknown\" \"qvset virtual QV6 printer\"\n";
constexpr const char* kUsage = "Usage: qvprinter job-id user title copies options [file]\n";
constexpr const char* kForegroundVariable = "QVSET_QVPRINTER_FOREGROUND";
// The exit statuses of a CUPS backend.
constexpr int kBackendOk = 0;
constexpr int kBackendFailed = 1;

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
    std::string error;
    const auto folder = qvset::OpenVirtualPrinterFolder(*path, error);
    if (!folder) {
        std::cerr << "ERROR: " << error << "\n";
        return kBackendFailed;
    }
    folder->RemoveStaleTemporaries();
    const auto drawer = qvset::FindDrawer();
    if (!drawer) {
        std::cerr << "ERROR: qvprinter-draw is missing beside the backend and in lib/qvset\n";
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
    const char* foregroundValue = std::getenv(kForegroundVariable);
    const bool foreground = foregroundValue != nullptr && std::string(foregroundValue) == "1";
    const pid_t started = qvset::StartDrawer(
        *drawer, *path, foreground ? qvset::DrawerMode::Attached : qvset::DrawerMode::Detached);
    if (started < 0) {
        std::cerr << "ERROR: cannot start " << drawer->string() << "\n";
        return kBackendFailed;
    }
    if (!foreground) return kBackendOk;
    return qvset::WaitForDrawer(started) ? kBackendOk : kBackendFailed;
}
