#include "decode/backend/JobQueue.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <sstream>

#include "decode/backend/LockedFile.h"

namespace qvset {
namespace {

// The list never grows beyond a few lines per job not yet drawn.
constexpr std::size_t kMostListBytes = 64 * 1024 * 1024;

bool WriteAll(int fd, std::string_view text) {
    while (!text.empty()) {
        const ssize_t written = ::write(fd, text.data(), text.size());
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) return false;
        text.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

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

}  // namespace

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
    char buffer[65536];
    for (;;) {
        const ssize_t got = ::read(source, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) {
            error = "cannot read the job: " + std::string(std::strerror(errno));
            return false;
        }
        if (got == 0) break;
        if (!file.Write(std::string_view(buffer, static_cast<std::size_t>(got)))) {
            error = "cannot write " + folder.Name(prn) + ": " + std::strerror(errno);
            return false;
        }
    }
    if (!file.Commit()) {
        error = "cannot write " + folder.Name(prn) + ": " + std::strerror(errno);
        return false;
    }
    const LockedFile pending(folder.Descriptor(), std::string(kPendingFile));
    if (!pending.Held() || ::lseek(pending.Descriptor(), 0, SEEK_END) < 0) {
        error =
            "cannot add the job to " + folder.Name(kPendingFile) + " (missing, a link or no regular file)";
        return false;
    }
    const off_t end = ::lseek(pending.Descriptor(), 0, SEEK_END);
    if (!WriteAll(pending.Descriptor(), std::string(id) + '\t' + OneLineTitle(std::string(title)) + '\n') ||
        ::fsync(pending.Descriptor()) != 0) {
        error = "cannot add the job to " + folder.Name(kPendingFile) + ": " + std::strerror(errno);
        (void)::ftruncate(pending.Descriptor(), end);
        return false;
    }
    return true;
}

std::vector<QueuedJob> PendingJobs(const JobFolder& folder, std::string& error) {
    std::string text;
    {
        const LockedFile pending(folder.Descriptor(), std::string(kPendingFile));
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
    const LockedFile pending(folder.Descriptor(), std::string(kPendingFile));
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
