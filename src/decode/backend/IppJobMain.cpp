// qvprinter-ipp FILE: the print command of a virtual QV6 printer served over IPP by CUPS' sample IPP
// printer, ippeveprinter:
//
//   ippeveprinter -c /usr/lib/qvset/qvprinter-ipp -D qvprinter:/some/folder -f application/vnd.cups-raw NAME
//
// ippeveprinter runs it once per document with the document's file, the device URI of -D in DEVICE_URI
// and the job's attributes in IPP_* variables. The document becomes a job of the folder, numbered
// after the folder's jobs (ippeveprinter's own job ids begin at 1 again at every start), titled with
// the job's name, and is drawn before the command ends, so that the IPP job is completed once its files
// are in place. Messages go to ippeveprinter as "ERROR:" and "INFO:" lines.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <cstdlib>
#include <iostream>
#include <string>

#include "decode/VirtualPrinterFolder.h"
#include "decode/backend/DrawerProcess.h"
#include "decode/backend/JobFolder.h"
#include "decode/backend/JobQueue.h"

namespace {

constexpr int kOk = 0;
constexpr int kFailed = 1;

std::string Variable(const char* name) {
    const char* value = std::getenv(name);
    return value == nullptr ? std::string() : std::string(value);
}

int Fail(const std::string& message) {
    std::cerr << "ERROR: " << message << std::endl;
    return kFailed;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: qvprinter-ipp FILE (run by ippeveprinter -c, with "
                     "DEVICE_URI=qvprinter:/some/folder)\n";
        return kFailed;
    }
    // A file size limit (or a full disk) fails a write, which is reported; it does not kill the process.
    std::signal(SIGXFSZ, SIG_IGN);
    umask(022);
    const std::string uri = Variable("DEVICE_URI");
    const auto path = qvset::VirtualPrinterFolder(uri);
    if (!path) return Fail("the device URI \"" + uri + "\" (ippeveprinter -D) is not qvprinter:/some/folder");
    std::string error;
    const auto folder = qvset::OpenVirtualPrinterFolder(*path, error);
    if (!folder) return Fail(error);
    folder->RemoveStaleTemporaries();
    const auto drawer = qvset::FindDrawer();
    if (!drawer) return Fail("qvprinter-draw is missing beside qvprinter-ipp");
    const int source = ::open(argv[1], O_RDONLY | O_CLOEXEC);
    if (source < 0) return Fail(std::string("cannot read the document ") + argv[1]);
    const std::string ippId = Variable("IPP_JOB_ID");
    std::string title = Variable("IPP_JOB_NAME");
    if (title.empty()) title = "IPP job " + ippId;
    qvset::JobFolder::NewFile bytes = folder->Create("ipp-job-" + ippId);
    const bool copied =
        bytes.Open() && qvset::CopyJobBytes(bytes, folder->Name("ipp-job-" + ippId), source, error);
    ::close(source);
    if (!bytes.Open()) return Fail("cannot write in " + folder->Path().string());
    if (!copied) return Fail(error);
    const auto id = qvset::QueueNumberedVirtualJob(*folder, bytes, title, error);
    if (!id) return Fail(error);
    std::cerr << "INFO: job " << *id << " of " << folder->Path().string() << std::endl;
    const pid_t started = qvset::StartDrawer(*drawer, *path, qvset::DrawerMode::Attached);
    if (started < 0) return Fail("cannot start " + drawer->string());
    return qvset::WaitForDrawer(started) ? kOk : kFailed;
}
