#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace qvset {

// The virtual printer takes a job from the spooler as fast as a capture queue does and draws it
// afterwards, so that a burst of documents (a tuning run's samples) leaves the spooler's queue at once,
// as on a printer with a buffer; a job watch that inspects the queue then sees what it would see there.

// One job as the spooler hands it to the virtual printer.
struct VirtualJob {
    std::string id;     // the spooler's job id, which names the job's files
    std::string title;  // the document name ("AAAAAA")
    std::vector<std::uint8_t> bytes;
};

// Takes a job: writes its bytes to <id>.prn and adds "<id><TAB><title>" to the folder's list of jobs
// still to be drawn (.pending), under a lock. False, with the reason, when either could not be written.
bool QueueVirtualJob(const std::filesystem::path& folder, const VirtualJob& job, std::string& error);

// A title on one line: the list and the index hold one line per job.
std::string OneLineTitle(std::string title);

// Takes every job of the list, oldest first, as (id, title), and empties the list, under its lock.
std::vector<std::pair<std::string, std::string>> TakeQueuedJobs(const std::filesystem::path& folder);

inline constexpr std::string_view kPendingFile = ".pending";

}  // namespace qvset
