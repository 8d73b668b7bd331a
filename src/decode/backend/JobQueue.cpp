#include "decode/backend/JobQueue.h"

#include <unistd.h>

#include <sstream>

#include "decode/TextFile.h"
#include "decode/backend/LockedFile.h"

namespace qvset {
namespace {

bool WriteAll(int fd, std::string_view text) {
    while (!text.empty()) {
        const ssize_t written = ::write(fd, text.data(), text.size());
        if (written <= 0) return false;
        text.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

}  // namespace

std::string OneLineTitle(std::string title) {
    for (char& c : title) {
        if (c == '\n' || c == '\r' || c == '\t') c = ' ';
    }
    return title;
}

bool QueueVirtualJob(const std::filesystem::path& folder, const VirtualJob& job, std::string& error) {
    const auto prn = folder / (job.id + ".prn");
    if (!ReplaceFileText(
            prn, std::string_view(reinterpret_cast<const char*>(job.bytes.data()), job.bytes.size()))) {
        error = "cannot write " + prn.string();
        return false;
    }
    const LockedFile pending(folder / std::string(kPendingFile));
    if (!pending.Held() || ::lseek(pending.Descriptor(), 0, SEEK_END) < 0 ||
        !WriteAll(pending.Descriptor(), job.id + '\t' + OneLineTitle(job.title) + '\n')) {
        error = "cannot add the job to " + (folder / std::string(kPendingFile)).string();
        return false;
    }
    return true;
}

std::vector<std::pair<std::string, std::string>> TakeQueuedJobs(const std::filesystem::path& folder) {
    std::vector<std::pair<std::string, std::string>> jobs;
    const LockedFile pending(folder / std::string(kPendingFile));
    if (!pending.Held()) return jobs;
    std::string text;
    char buffer[4096];
    for (ssize_t got; (got = ::read(pending.Descriptor(), buffer, sizeof buffer)) > 0;) {
        text.append(buffer, static_cast<std::size_t>(got));
    }
    if (::ftruncate(pending.Descriptor(), 0) != 0) return {};
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);) {
        const auto tab = line.find('\t');
        if (tab == std::string::npos || tab == 0) continue;
        jobs.emplace_back(line.substr(0, tab), line.substr(tab + 1));
    }
    return jobs;
}

}  // namespace qvset
