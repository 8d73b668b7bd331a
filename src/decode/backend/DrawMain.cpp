// qvprinter-draw FOLDER [--log]: draws the jobs the qvprinter backend listed in a virtual printer's
// folder, oldest first (listing, picture, state, index line; see DrawQueuedJobs). What goes wrong is
// reported on stderr, or with --log appended to FOLDER/qvprinter.log (the backend starts it so, with
// stderr on /dev/null). Exit status 0 when every job was recorded.
#include <QGuiApplication>
#include <csignal>
#include <cstdlib>
#include <iostream>
#include <string>

#include "decode/backend/VirtualPrinter.h"

namespace {

constexpr const char* kLogFile = "qvprinter.log";
constexpr const char* kLogOption = "--log";

// True when, once the drawer before this one is done, no job is left to draw.
bool NothingToDraw(const std::filesystem::path& path) {
    std::string error;
    const auto folder = qvset::JobFolder::Open(path, error);
    if (!folder) return false;  // DrawQueuedJobs reports why
    const qvset::FileLock drawing(folder->Descriptor(), std::string(qvset::kDrawingLockFile),
                                  qvset::kFolderFileLock);
    if (!drawing.Held()) return false;
    return qvset::PendingJobs(*folder, error).empty() && error.empty();
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2 && !(argc == 3 && std::string(argv[2]) == kLogOption)) {
        std::cerr << "usage: qvprinter-draw FOLDER [--log]\n";
        return EXIT_FAILURE;
    }
    // A file size limit (or a full disk) fails a write, which is reported; it does not kill the process.
    std::signal(SIGXFSZ, SIG_IGN);
    const std::filesystem::path folder(argv[1]);
    // In a burst every job starts a drawer, and all but one find that another drew their job while
    // they waited for the drawing lock: those leave without starting the toolkit.
    if (NothingToDraw(folder)) return EXIT_SUCCESS;
    // The picture is drawn with Qt Gui on the offscreen platform: a backend has no display.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication application(argc, argv);
    std::string error;
    std::string warning;
    const bool recorded = qvset::DrawQueuedJobs(folder, error, warning);
    std::string report;
    if (!warning.empty()) report += "WARNING: " + warning + "\n";
    if (!recorded) report += "ERROR: " + error + "\n";
    if (report.empty()) return EXIT_SUCCESS;
    // The log is a regular file of the folder, appended to never through a link; when it cannot be
    // written (a full disk, a link in its place) the report goes to stderr.
    std::string logError;
    const auto opened = argc == 3 ? qvset::JobFolder::Open(folder, logError) : std::nullopt;
    if (!opened || !opened->AppendLine(kLogFile, report, logError)) {
        if (!logError.empty()) std::cerr << "ERROR: " << logError << "\n";
        std::cerr << report;
    }
    return recorded ? EXIT_SUCCESS : EXIT_FAILURE;
}
