#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "decode/VirtualPrinterFolder.h"
#include "decode/backend/JobQueue.h"

namespace qvset {

// Records one job in a virtual printer's folder, in this order: <id>.prn (the bytes), <id>.txt (the
// listing), <id>.png (the picture), the updated state.json, and last the line "<id><TAB><title>" in
// `index`, as a capture queue writes it, so that a reader of the index finds every file of the job in
// place. A state file that cannot be read is kept beside as state.json.broken-<id> and a new state
// begins; `warning` says so. False, with the reason in `error`, when a file could not be written.
bool RecordVirtualJob(const std::filesystem::path& folder, const VirtualJob& job, std::string& error,
                      std::string& warning);

// Records every job that QueueVirtualJob listed with RecordVirtualJob, oldest first, until the list is
// empty; one drawer at a time per folder (the lock .drawing), so the index and the state follow the
// jobs' order whichever drawer runs. Blocks while another drawer works. False, with the reasons, when a
// job could not be recorded (the others still are); `warning` collects RecordVirtualJob's warnings.
bool DrawQueuedJobs(const std::filesystem::path& folder, std::string& error, std::string& warning);

inline constexpr std::string_view kIndexFile = "index";
inline constexpr std::string_view kDrawingLockFile = ".drawing";

}  // namespace qvset
