#pragma once

#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

#include "support/CaptureFolder.h"

namespace qvset::testing {

// The private CUPS server as a Windows program under Wine sees it: Wine's winspool forwards to the
// server named by CUPS_SERVER, and the server's folder (QVSET_SANDBOX_DIR, a host path) is reached
// through Wine's drive Z:, the host's root. scripts/test-windows.sh starts the server and sets both.
class WinSandbox {
  public:
    using Job = CapturedJob;

    // Jobs captured so far on a queue, in the order they were printed.
    static std::vector<Job> CapturedJobs(const std::string& queue);

    // Waits until a queue has captured at least `count` jobs (or the timeout passes) and returns them.
    static std::vector<Job> WaitForJobs(const std::string& queue, std::size_t count,
                                        std::chrono::milliseconds timeout = std::chrono::seconds(20));
};

}  // namespace qvset::testing
