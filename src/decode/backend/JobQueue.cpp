#include "decode/backend/JobQueue.h"

#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <sstream>

#include "files/WriteAll.h"

namespace qvset {
namespace {

// The list never grows beyond a few lines per job not yet drawn.
constexpr std::size_t kMostListBytes = std::size_t{64} * 1024 * 1024;

std::vector<QueuedJob> ParseList(const std::string& text) {
    std::vector<QueuedJob> jobs;
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);) {
        const auto tab = line.find('\t');
        if (tab == std::string::npos || !IsJobNumber(std::string_view(line).substr(0, tab))) continue;
        jobs.push_back({line.substr(0, tab), line.substr(tab + 1)});
    }
    return jobs;
}

// The whole list, read through the locked descriptor.
bool ReadList(int fd, std::string& text) {
    text.clear();
    char buffer[65536];
    off_t at = 0;
    for (;;) {
        const ssize_t got = ::pread(fd, buffer, sizeof buffer, at);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) return false;
        if (got == 0) return true;
        if (text.size() + static_cast<std::size_t>(got) > kMostListBytes) return false;
        text.append(buffer, static_cast<std::size_t>(got));
        at += got;
    }
}

// The number of a job id (IsJobNumber: at most ten digits, so it fits); 0 for anything else.
std::uint64_t JobNumber(std::string_view id) {
    if (!IsJobNumber(id)) return 0;
    std::uint64_t number = 0;
    for (const char digit : id) number = number * 10 + static_cast<std::uint64_t>(digit - '0');
    return number;
}

// The job number a file of the folder is named after ("12.prn", "12.png"); 0 for any other name.
std::uint64_t JobNumberOf(std::string_view name) {
    const auto dot = name.find('.');
    return dot == std::string_view::npos ? 0 : JobNumber(name.substr(0, dot));
}

// Adds "<id><TAB><title>" to the list through its locked descriptor, whole or not at all.
bool AppendToList(const JobFolder& folder, int list, std::string_view id, std::string_view title,
                  std::string& error) {
    const off_t end = ::lseek(list, 0, SEEK_END);
    if (end < 0 || !WriteAll(list, std::string(id) + '\t' + OneLineTitle(std::string(title)) + '\n') ||
        ::fsync(list) != 0) {
        error = "cannot add the job to " + folder.Name(kPendingFile) + ": " + std::strerror(errno);
        if (end >= 0) (void)::ftruncate(list, end);
        return false;
    }
    return true;
}

const char* const kListRefused = " (missing, a link or no regular file)";

}  // namespace

bool CopyJobBytes(JobFolder::NewFile& file, const std::string& name, int source, std::string& error) {
    char buffer[65536];
    for (;;) {
        const ssize_t got = ::read(source, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) {
            error = "cannot read the job: " + std::string(std::strerror(errno));
            return false;
        }
        if (got == 0) return true;
        if (!file.Write(std::string_view(buffer, static_cast<std::size_t>(got)))) {
            error = "cannot write " + name + ": " + std::strerror(errno);
            return false;
        }
    }
}

std::uint64_t NextJobNumber(const JobFolder& folder, std::string_view listed) {
    std::uint64_t highest = 0;
    for (const auto& job : ParseList(std::string(listed))) highest = std::max(highest, JobNumber(job.id));
    const int listing = ::openat(folder.Descriptor(), ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    DIR* entries = listing < 0 ? nullptr : ::fdopendir(listing);
    if (entries == nullptr) {
        if (listing >= 0) ::close(listing);
        return highest + 1;
    }
    while (const dirent* entry = ::readdir(entries)) highest = std::max(highest, JobNumberOf(entry->d_name));
    ::closedir(entries);
    return highest + 1;
}

std::optional<std::string> QueueNumberedVirtualJob(const JobFolder& folder, JobFolder::NewFile& bytes,
                                                   std::string_view title, std::string& error) {
    const FileLock pending(folder.Descriptor(), std::string(kPendingFile), kFolderFileLock);
    std::string listed;
    if (!pending.Held() || !ReadList(pending.Descriptor(), listed)) {
        error = "cannot add the job to " + folder.Name(kPendingFile) + kListRefused;
        return std::nullopt;
    }
    std::string id = std::to_string(NextJobNumber(folder, listed));
    if (!IsJobNumber(id)) {
        error = "the folder " + folder.Path().string() + " holds no free job number";
        return std::nullopt;
    }
    errno = 0;
    if (!bytes.CommitAs(id + ".prn")) {
        error = "cannot write " + folder.Name(id + ".prn") + ": " + std::strerror(errno);
        return std::nullopt;
    }
    if (!AppendToList(folder, pending.Descriptor(), id, title, error)) return std::nullopt;
    return id;
}

std::string OneLineTitle(std::string title) {
    for (char& c : title) {
        if (c == '\n' || c == '\r' || c == '\t') c = ' ';
    }
    return title;
}

bool QueueVirtualJob(const JobFolder& folder, std::string_view id, std::string_view title, int source,
                     std::string& error) {
    if (!IsJobNumber(id)) {
        error = "the job id \"" + std::string(id) + "\" is not a job number; refusing the job";
        return false;
    }
    const std::string prn = std::string(id) + ".prn";
    JobFolder::NewFile file = folder.Create(prn);
    if (!file.Open()) {
        error = "cannot write " + folder.Name(prn) + ": " + std::strerror(errno);
        return false;
    }
    if (!CopyJobBytes(file, folder.Name(prn), source, error)) return false;
    if (!file.Commit()) {
        error = "cannot write " + folder.Name(prn) + ": " + std::strerror(errno);
        return false;
    }
    const FileLock pending(folder.Descriptor(), std::string(kPendingFile), kFolderFileLock);
    if (!pending.Held()) {
        error = "cannot add the job to " + folder.Name(kPendingFile) + kListRefused;
        return false;
    }
    return AppendToList(folder, pending.Descriptor(), id, title, error);
}

std::vector<QueuedJob> PendingJobs(const JobFolder& folder, std::string& error) {
    std::string text;
    {
        const FileLock pending(folder.Descriptor(), std::string(kPendingFile), kFolderFileLock);
        if (!pending.Held() || !ReadList(pending.Descriptor(), text)) {
            error = "cannot read " + folder.Name(kPendingFile) + " (a link, no regular file, or too large)";
            return {};
        }
    }
    auto jobs = ParseList(text);
    std::string ignored;
    bool missing = false;
    const auto drawn = folder.Read(kDrawnFile, 64, ignored, &missing);
    if (!drawn) return jobs;
    // A job the spooler sent twice is listed twice: the first of them is taken for the one drawn, so
    // that the second is drawn again rather than lost.
    for (std::size_t i = 0; i < jobs.size(); ++i) {
        if (jobs[i].id == *drawn) {
            jobs.erase(jobs.begin(), jobs.begin() + static_cast<std::ptrdiff_t>(i) + 1);
            break;
        }
    }
    return jobs;
}

bool MarkJobDrawn(const JobFolder& folder, std::string_view id, std::string& error) {
    if (folder.Replace(kDrawnFile, id)) return true;
    error = "cannot write " + folder.Name(kDrawnFile) + ": " + std::strerror(errno);
    return false;
}

void ForgetDrawnJobs(const JobFolder& folder) {
    const FileLock pending(folder.Descriptor(), std::string(kPendingFile), kFolderFileLock);
    std::string text;
    if (!pending.Held() || !ReadList(pending.Descriptor(), text)) return;
    const auto jobs = ParseList(text);
    std::string ignored;
    const auto drawn = folder.Read(kDrawnFile, 64, ignored);
    if (jobs.empty() || !drawn || jobs.back().id != *drawn) return;
    if (::ftruncate(pending.Descriptor(), 0) == 0)
        ::unlinkat(folder.Descriptor(), std::string(kDrawnFile).c_str(), 0);
}

}  // namespace qvset
