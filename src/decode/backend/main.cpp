// qvprinter: a CUPS backend that is a virtual QV6 printer. For every job it keeps, in the folder of its
// device URI qvprinter:/some/folder, the bytes (<job>.prn), the decoded listing (<job>.txt), a picture
// (<job>.png) and the printer's state across jobs (state.json), and adds "<job><TAB><title>" to index.
//
// As CUPS starts a backend: without arguments it names its device class; otherwise
//   qvprinter job-id user title copies options [file]
// with the job on standard input when no file is given, and the URI in DEVICE_URI.
#include <sys/stat.h>

#include <QGuiApplication>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <iterator>
#include <string>

#include "decode/backend/VirtualPrinter.h"

namespace {

constexpr const char* kDeviceLine = "direct qvprinter \"Unknown\" \"qvset virtual QV6 printer\"\n";
constexpr const char* kUsage = "Usage: qvprinter job-id user title copies options [file]\n";
// The exit statuses of a CUPS backend.
constexpr int kBackendOk = 0;
constexpr int kBackendFailed = 1;

std::vector<std::uint8_t> ReadAll(std::istream& in) {
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
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
    // cupsd starts backends with a umask that keeps their files from the user who reads them.
    umask(022);
    const char* uri = std::getenv("DEVICE_URI");
    const auto folder = qvset::VirtualPrinterFolder(uri == nullptr ? "" : uri);
    if (!folder) {
        std::cerr << "ERROR: the device URI \"" << (uri == nullptr ? "" : uri)
                  << "\" is not qvprinter:/some/folder\n";
        return kBackendFailed;
    }
    std::error_code code;
    if (!std::filesystem::is_directory(*folder, code)) {
        std::cerr << "ERROR: the virtual printer's folder " << folder->string() << " is missing\n";
        return kBackendFailed;
    }
    qvset::VirtualJob job{argv[1], argv[3], {}};
    if (argc == 7) {
        std::ifstream file(argv[6], std::ios::binary);
        if (!file) {
            std::cerr << "ERROR: cannot read the job file " << argv[6] << "\n";
            return kBackendFailed;
        }
        job.bytes = ReadAll(file);
    } else {
        job.bytes = ReadAll(std::cin);
    }
    // The picture is drawn with Qt Gui on the offscreen platform: a backend has no display.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication application(argc, argv);
    std::string error;
    std::string warning;
    const bool recorded = qvset::RecordVirtualJob(*folder, job, error, warning);
    if (!warning.empty()) std::cerr << "WARNING: " << warning << "\n";
    if (!recorded) {
        std::cerr << "ERROR: " << error << "\n";
        return kBackendFailed;
    }
    return kBackendOk;
}
