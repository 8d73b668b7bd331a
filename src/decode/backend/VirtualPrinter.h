#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "decode/VirtualPrinterFolder.h"
#include "decode/backend/JobFolder.h"
#include "decode/backend/JobQueue.h"

namespace qvset {

// Called after each step of drawing a job ("listing", "picture", "state", "index", "drawn"), for
// tests that stop a drawer between two steps.
using DrawStepHook = std::function<void(std::string_view step)>;

// Records one job in a virtual printer's folder, in this order: <id>.prn (the bytes), <id>.txt (the
// listing), <id>.png (the picture), the updated state.json, and last the line "<id><TAB><title>" in
// `index`, as a capture queue writes it, so that a reader of the index finds every file of the job in
// place. Each file is written whole or not at all and never through a link. A state file that cannot
// be read is kept beside as state.json.broken-<id> and a new state begins; `warning` says so. Done a
// second time for the same job (a drawer died before marking it drawn), the index keeps one line for
// it. False, with the reason in `error`, when a file could not be written.
bool RecordVirtualJob(const JobFolder& folder, const VirtualJob& job, std::string& error,
                      std::string& warning, const DrawStepHook& afterStep = {});
bool RecordVirtualJob(const std::filesystem::path& folder, const VirtualJob& job, std::string& error,
                      std::string& warning);

// Records every job that QueueVirtualJob listed with RecordVirtualJob, oldest first, until the list is
// empty; one drawer at a time per folder (the lock .drawing), so the index and the state follow the
// jobs' order whichever drawer runs. Blocks while another drawer works. A job leaves the list only once
// it is recorded; one that could not be written (a full disk) stops the round and stays on the list,
// with the jobs after it, for the next drawer. A job whose bytes are gone is left out. False, with the
// reasons, when a job could not be recorded; `warning` collects RecordVirtualJob's warnings.
bool DrawQueuedJobs(const std::filesystem::path& path, std::string& error, std::string& warning,
                    const DrawStepHook& afterStep = {});

inline constexpr std::string_view kIndexFile = "index";
inline constexpr std::string_view kDrawingLockFile = ".drawing";

}  // namespace qvset
