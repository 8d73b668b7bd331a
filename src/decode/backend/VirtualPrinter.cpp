#include "decode/backend/VirtualPrinter.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "decode/CommandDecoder.h"
#include "decode/Listing.h"
#include "decode/PrinterState.h"
#include "decode/backend/JobPicture.h"
#include "printer/PrintChannel.h"

namespace qvset {
namespace {

constexpr std::string_view kBrokenSuffix = ".broken-";
// The state file is a few kilobytes; anything much larger is no state file.
constexpr std::size_t kMostStateBytes = std::size_t{16} * 1024 * 1024;
// How much of the index's end is read to find its last line.
constexpr std::size_t kIndexTail = 4096;
// A picture shows a few thousand entries at most; the entries kept for it are bounded by count and bytes.
constexpr std::size_t kMostPictureEntries = 100000;
constexpr std::size_t kMostPictureBytes = std::size_t{16} * 1024 * 1024;

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

// Records a job whose bytes are in place: its listing, picture, state and index line, decoding the
// bytes piece by piece (the listing written as it goes, the state's changes kept, the picture's entries
// kept only as far as a picture can show them). False with `retry` set when a file could not be written
// (the job can be drawn later); false without it when the bytes cannot be read.
bool DrawJob(const JobFolder& folder, const std::string& id, const std::string& title, std::string& error,
             std::string& warning, bool& retry, const DrawStepHook& afterStep) {
    retry = false;
    const std::string prn = id + ".prn";
    const int source = folder.OpenRegular(prn, O_RDONLY, error);
    if (source < 0) return false;
    const DocumentReader read = [source](std::span<std::uint8_t> buffer) -> std::ptrdiff_t {
        for (;;) {
            const ssize_t got = ::read(source, buffer.data(), buffer.size());
            if (got >= 0 || errno != EINTR) return got;
        }
    };
    JobFolder::NewFile listing = folder.Create(id + ".txt");
    PrinterState changes;
    std::vector<DecodedCommand> shown;
    std::size_t shownBytes = 0;
    std::size_t leftOut = 0;
    bool unreadable = false;
    DecodeStream(
        read,
        [&](DecodedCommand&& entry) {
            listing.Write(RenderListingLine(entry));
            changes.Apply(entry, id);
            if (shown.size() < kMostPictureEntries && shownBytes + entry.bytes.size() <= kMostPictureBytes) {
                shownBytes += entry.bytes.size();
                shown.push_back(std::move(entry));
            } else {
                ++leftOut;
            }
        },
        &unreadable);
    ::close(source);
    if (unreadable) {
        error = "cannot read " + folder.Name(prn);
        return false;
    }
    retry = true;
    errno = 0;
    if (!listing.Commit()) {
        error = Reason(folder.Name(id + ".txt"));
        return false;
    }
    Step(afterStep, "listing");
    errno = 0;
    if (!folder.Replace(id + ".png", RenderJobPng(shown, leftOut))) {
        error = Reason(folder.Name(id + ".png"));
        return false;
    }
    shown.clear();
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
        const std::string broken = stateFile + std::string(kBrokenSuffix) + id;
        folder.Rename(stateFile, broken);
        warning = reason + "; kept as " + folder.Name(broken) + ", a new state begins";
        state = PrinterState{};
    }
    state->Merge(changes);
    errno = 0;
    if (!folder.Replace(stateFile, state->ToJson())) {
        error = Reason(folder.Name(stateFile));
        return false;
    }
    Step(afterStep, "state");
    if (!IndexEndsWithJob(folder, id) &&
        !folder.AppendLine(kIndexFile, id + '\t' + OneLineTitle(title) + '\n', error)) {
        return false;
    }
    Step(afterStep, "index");
    return true;
}

}  // namespace

bool RecordVirtualJob(const JobFolder& folder, const VirtualJob& job, std::string& error,
                      std::string& warning, const DrawStepHook& afterStep) {
    if (!IsJobNumber(job.id)) {
        error = "the job id \"" + job.id + "\" is not a job number; refusing the job";
        return false;
    }
    const std::string prn = job.id + ".prn";
    errno = 0;
    if (!folder.Replace(
            prn, std::string_view(reinterpret_cast<const char*>(job.bytes.data()), job.bytes.size()))) {
        error = Reason(folder.Name(prn));
        return false;
    }
    bool retry = false;
    return DrawJob(folder, job.id, job.title, error, warning, retry, afterStep);
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
    const FileLock drawing(folder->Descriptor(), std::string(kDrawingLockFile), kFolderFileLock);
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
            std::string jobError;
            std::string jobWarning;
            bool keep = false;  // on the list for the next drawer
            // Bytes that are gone, unreadable or no regular file can never be drawn: the job is left out.
            if (DrawJob(*folder, id, title, jobError, jobWarning, keep, afterStep)) keep = false;
            if (!keep && jobError.starts_with("cannot open") && errno == ENOENT) {
                jobError = "the bytes of job " + id + " are gone (" + folder->Name(id + ".prn") + ")";
            }
            if (!jobWarning.empty()) warning += (warning.empty() ? "" : "; ") + jobWarning;
            if (!jobError.empty())
                addError(jobError + (keep ? "; the job stays listed for the next drawer" : ""));
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
