#pragma once

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace qvset::testing {

// One job as a capture queue of the private CUPS server recorded it: "<id>.prn" holds its bytes and
// the queue's "index" one line "<id><TAB><title>" per job, in printing order.
struct CapturedJob {
    std::string id;
    std::string title;
    std::vector<std::uint8_t> bytes;
};

// The jobs a capture folder holds so far.
std::vector<CapturedJob> ReadCapturedJobs(const std::filesystem::path& folder);

// Waits until the folder holds at least `count` jobs (or the timeout passes) and returns them.
std::vector<CapturedJob> WaitForCapturedJobs(const std::filesystem::path& folder, std::size_t count,
                                             std::chrono::milliseconds timeout);

// The hex of each job from `first` on; a job not titled with the program's document name fails the
// test, naming `context` (the control or command that sent it).
std::vector<std::string> DocumentsFrom(const std::vector<CapturedJob>& jobs, std::size_t first,
                                       const std::string& context);

}  // namespace qvset::testing
