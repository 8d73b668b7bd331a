#include "decode/backend/VirtualPrinter.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "decode/CommandDecoder.h"
#include "decode/Listing.h"
#include "decode/PrinterState.h"
#include "decode/backend/JobPicture.h"
#include "decode/backend/LockedFile.h"
#include "printer/PrintChannel.h"

namespace qvset {
namespace {

constexpr std::string_view kBrokenSuffix = ".broken-";
// The state file is a few kilobytes; anything much larger is no state file.
constexpr std::size_t kMostStateBytes = 16 * 1024 * 1024;
// How much of the index's end is read to find its last line.
constexpr std::size_t kIndexTail = 4096;

void Step(const DrawStepHook& afterStep, std::string_view step) {
    if (afterStep) afterStep(step);
}

// Whether the index's last line is the job's: a drawer recorded it and died before marking it drawn.
bool IndexEndsWithJob(const JobFolder& folder, std::string_view id) {
    std::string error;
    const int fd = folder.OpenRegular(kIndexFile, O_RDONLY, error);
    if (fd < 0) return false;
    struct stat info {};
    std::string tail(kIndexTail, '\0');
    ssize_t got = -1;
    if (::fstat(fd, &info) == 0 && info.st_size > 0) {
        const off_t from = std::max<off_t>(0, info.st_size - static_cast<off_t>(kIndexTail));
        got = ::pread(fd, tail.data(), tail.size(), from);
    }
    ::close(fd);
    if (got <= 0) return false;
    tail.resize(static_cast<std::size_t>(got));
    if (tail.back() != '\n') return false;
    tail.pop_back();
    const auto start = tail.rfind('\n');
    const std::string_view last = std::string_view(tail).substr(start == std::string::npos ? 0 : start + 1);
    return last.starts_with(std::string(id) + '\t');
}

std::string Reason(const std::string& what) {
    return "cannot write " + what + (errno != 0 ? std::string(": ") + std::strerror(errno) : std::string());
}

// Records a job whose bytes are in place: its listing, picture, state and index line.
bool DrawJob(const JobFolder& folder, const VirtualJob& job, std::string& error, std::string& warning,
             const DrawStepHook& afterStep) {
    const auto name = [&](std::string_view suffix) { return job.id + std::string(suffix); };
    const auto entries = DecodeDocument(job.bytes);
    errno = 0;
    if (!folder.Replace(name(".txt"), RenderEntries(entries))) {
        error = Reason(folder.Name(name(".txt")));
        return false;
    }
    Step(afterStep, "listing");
    errno = 0;
    if (!folder.Replace(name(".png"), RenderJobPng(entries))) {
        error = Reason(folder.Name(name(".png")));
        return false;
    }
    Step(afterStep, "picture");
    const std::string stateFile(kPrinterStateFile);
    std::string reason;
    bool missing = false;
    std::optional<PrinterState> state;
    if (const auto text = folder.Read(stateFile, kMostStateBytes, reason, &missing)) {
        std::string why;
        state = PrinterState::FromJson(*text, &why);
        if (!state) reason = folder.Name(stateFile) + ": " + why;
    } else if (missing) {
        state = PrinterState{};
    }
    if (!state) {
        const std::string broken = stateFile + std::string(kBrokenSuffix) + job.id;
        folder.Rename(stateFile, broken);
        warning = reason + "; kept as " + folder.Name(broken) + ", a new state begins";
        state = PrinterState{};
    }
    state->Apply(entries, job.id);
    errno = 0;
    if (!folder.Replace(stateFile, state->ToJson())) {
        error = Reason(folder.Name(stateFile));
        return false;
    }
    Step(afterStep, "state");
    if (!IndexEndsWithJob(folder, job.id) &&
        !folder.AppendLine(kIndexFile, job.id + '\t' + OneLineTitle(job.title) + '\n', error)) {
        return false;
    }
    Step(afterStep, "index");
    return true;
}

}  // namespace

bool RecordVirtualJob(const JobFolder& folder, const VirtualJob& job, std::string& error, std::string& warning,
                      const DrawStepHook& afterStep) {
    if (!IsJobNumber(job.id)) {
        error = "the job id \"" + job.id + "\" is not a job number; refusing the job";
        return false;
    }
    const std::string prn = job.id + ".prn";
    errno = 0;
    if (!folder.Replace(prn, std::string_view(reinterpret_cast<const char*>(job.bytes.data()), job.bytes.size()))) {
        error = Reason(folder.Name(prn));
        return false;
    }
    return DrawJob(folder, job, error, warning, afterStep);
}

bool RecordVirtualJob(const std::filesystem::path& folder, const VirtualJob& job, std::string& error,
                      std::string& warning) {
    const auto opened = JobFolder::Open(folder, error);
    return opened && RecordVirtualJob(*opened, job, error, warning);
}

bool DrawQueuedJobs(const std::filesystem::path& path, std::string& error, std::string& warning,
                    const DrawStepHook& afterStep) {
    const auto folder = JobFolder::Open(path, error);
    if (!folder) return false;
    const LockedFile drawing(folder->Descriptor(), std::string(kDrawingLockFile));
    if (!drawing.Held()) {
        error = "cannot lock " + folder->Name(kDrawingLockFile) + " (a link or no regular file)";
        return false;
    }
    folder->RemoveStaleTemporaries();
    bool recorded = true;
    const auto addError = [&](const std::string& what) {
        error += (error.empty() ? "" : "; ") + what;
        recorded = false;
    };
    // A job listed while this drawer works is taken in the next round; one listed after the last round
    // found nothing waits for this lock and is drawn by its own drawer.
    for (;;) {
        std::string listError;
        const auto jobs = PendingJobs(*folder, listError);
        if (!listError.empty()) {
            addError(listError);
            return false;
        }
        if (jobs.empty()) break;
        for (const auto& [id, title] : jobs) {
            const std::string prn = id + ".prn";
            std::string readError;
            bool missing = false;
            auto bytes = folder->Read(prn, kMostPrintFileBytes, readError, &missing);
            std::string jobError;
            std::string jobWarning;
            bool keep = false;  // on the list for the next drawer
            if (!bytes) {
                // Bytes that are gone or no regular file can never be drawn: the job is left out.
                jobError = missing ? "the bytes of job " + id + " are gone (" + folder->Name(prn) + ")" : readError;
            } else {
                VirtualJob job{id, title, std::vector<std::uint8_t>(bytes->begin(), bytes->end())};
                bytes.reset();
                keep = !DrawJob(*folder, job, jobError, jobWarning, afterStep);
            }
            if (!jobWarning.empty()) warning += (warning.empty() ? "" : "; ") + jobWarning;
            if (!jobError.empty()) addError(jobError + (keep ? "; the job stays listed for the next drawer" : ""));
            if (keep) return false;
            std::string markError;
            if (!MarkJobDrawn(*folder, id, markError)) {
                addError(markError);
                return false;
            }
            Step(afterStep, "drawn");
        }
    }
    ForgetDrawnJobs(*folder);
    return recorded;
}

}  // namespace qvset
