#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "decode/VirtualPrinterFolder.h"

namespace qvset {

// One job as the spooler hands it to the virtual printer.
struct VirtualJob {
    std::string id;     // the spooler's job id, which names the job's files
    std::string title;  // the document name ("AAAAAA")
    std::vector<std::uint8_t> bytes;
};

// Records one job in a virtual printer's folder, in this order: <id>.prn (the bytes), <id>.txt (the
// listing), <id>.png (the picture), the updated state.json, and last the line "<id><TAB><title>" in
// `index`, as a capture queue writes it, so that a reader of the index finds every file of the job in
// place. A state file that cannot be read is kept beside as state.json.broken-<id> and a new state
// begins; `warning` says so. False, with the reason in `error`, when a file could not be written.
bool RecordVirtualJob(const std::filesystem::path& folder, const VirtualJob& job, std::string& error,
                      std::string& warning);

inline constexpr std::string_view kIndexFile = "index";

}  // namespace qvset
