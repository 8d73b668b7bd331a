#pragma once

#include <cstdint>
#include <functional>

namespace qvset::win {

// One EnumJobsA call on an open printer (first job 0, at most 99 jobs, level 1): fills at most `size`
// bytes of `buffer` (null with size 0 asks only for the size), sets `needed` to the bytes the job list
// takes and `returned` to the number of jobs written. Returns the call's success.
using EnumJobsCall = std::function<bool(std::uint8_t* buffer, std::uint32_t size, std::uint32_t& needed,
                                        std::uint32_t& returned)>;

inline constexpr std::uint32_t kFirstJob = 0;
inline constexpr std::uint32_t kMostJobs = 99;
inline constexpr std::uint32_t kJobInfoLevel = 1;

// The number of documents waiting, counted in two calls: first with no buffer for the size the job list
// needs (none needed: no documents), then with a buffer of exactly that size, whose job count is the
// answer. A queue that grew between the two calls makes the second call fail for want of space; it is
// then asked again with the new size, a few times at most, so a busy queue is not taken for an empty one.
// `documentsReported`, when given, tells whether the first call reported documents at all, so that a
// count of 0 after it (the jobs left between the calls, or the list could not be fetched) is told apart
// from an empty queue.
int CountQueuedJobs(const EnumJobsCall& enumJobs, bool* documentsReported = nullptr);

}  // namespace qvset::win
