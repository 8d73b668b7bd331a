#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "decode/backend/JobFolder.h"

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

// Takes a job: copies its bytes from the descriptor `source` to <id>.prn (whole or not at all) and then
// adds "<id><TAB><title>" to the folder's list of jobs still to be drawn (.pending), under its lock.
// False, with the reason, when the id is no job number or either could not be written.
bool QueueVirtualJob(const JobFolder& folder, std::string_view id, std::string_view title, int source,
                     std::string& error);

// Appends everything `source` holds, up to its end, to a new file of the folder. False, with the reason,
// when it could not be read or written.
bool CopyJobBytes(JobFolder::NewFile& file, const std::string& name, int source, std::string& error);

// Takes a job whose bytes were written to `bytes` (a new file of the folder, not yet committed) and
// that has no spooler of its own to number it (the raw port, IPP): under the list's lock it numbers the
// job one above every job the folder holds (NextJobNumber), puts the bytes in place as <id>.prn and lists
// the job, so that jobs taken at the same time by several processes get distinct numbers, listed in
// the order they were taken. The job's id, or nullopt with the reason.
std::optional<std::string> QueueNumberedVirtualJob(const JobFolder& folder, JobFolder::NewFile& bytes,
                                                   std::string_view title, std::string& error);

// One above the highest job number the folder's files (<number>.prn, .txt, .png, ...) and the list
// `listed` (the text of .pending) name; 1 in an empty folder.
std::uint64_t NextJobNumber(const JobFolder& folder, std::string_view listed);

// A title on one line: the list and the index hold one line per job.
std::string OneLineTitle(std::string title);

// One job of the list.
struct QueuedJob {
    std::string id;
    std::string title;
};

// The listed jobs still to be drawn, oldest first: those after the one last marked drawn. A job stays
// on the list until MarkJobDrawn, so that a drawer that dies leaves it to the next.
std::vector<QueuedJob> PendingJobs(const JobFolder& folder, std::string& error);

// Marks a job drawn (whole or not at all): it and the jobs before it leave the list.
bool MarkJobDrawn(const JobFolder& folder, std::string_view id, std::string& error);

// Empties the list when its last job is drawn and no other was listed since.
void ForgetDrawnJobs(const JobFolder& folder);

inline constexpr std::string_view kPendingFile = ".pending";
inline constexpr std::string_view kDrawnFile = ".drawn";

}  // namespace qvset
