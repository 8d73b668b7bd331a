#include "printer/win/JobCount.h"

#include <vector>

namespace qvset::win {

namespace {
constexpr int kMostFetches = 3;
}

int CountQueuedJobs(const EnumJobsCall& enumJobs, bool* documentsReported) {
    std::uint32_t needed = 0;
    std::uint32_t returned = 0;
    enumJobs(nullptr, 0, needed, returned);
    if (documentsReported != nullptr) *documentsReported = needed > 0;
    for (int fetch = 0; fetch < kMostFetches && needed > 0; ++fetch) {
        // Job records hold pointers: the buffer is allocated in 8-byte units to keep them aligned.
        std::vector<std::uint64_t> buffer((needed + sizeof(std::uint64_t) - 1) / sizeof(std::uint64_t));
        const std::uint32_t size = needed;
        returned = 0;
        if (enumJobs(reinterpret_cast<std::uint8_t*>(buffer.data()), size, needed, returned)) {
            return static_cast<int>(returned);
        }
        if (needed <= size) break;  // failed for another reason than space: nothing counted
    }
    return 0;
}

}  // namespace qvset::win
