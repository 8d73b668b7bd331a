#pragma once

#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

#include "support/CaptureFolder.h"

namespace qvset::testing {

// The private CUPS server the integration tests run against (started by the cups_sandbox fixture).
class Sandbox {
  public:
    // Points this process (and the programs it starts) at the private server: CUPS_SERVER, a private
    // HOME and client root, no LPDEST or PRINTER.
    static void UseClientEnvironment();

    using Job = CapturedJob;

    // Jobs captured so far on a queue, in the order they were printed.
    static std::vector<Job> CapturedJobs(const std::string& queue);

    // Waits until a queue has captured at least `count` jobs (or the timeout passes) and returns them.
    static std::vector<Job> WaitForJobs(const std::string& queue, std::size_t count,
                                        std::chrono::milliseconds timeout = std::chrono::seconds(15));

    // Runs a command of the sandbox script or of CUPS' own tools; returns the exit status.
    static int Shell(const std::string& command);

    struct Result {
        int status = -1;
        std::string out;
        std::string err;
    };
    // Runs qvctl with the given argument string (already quoted for the shell).
    static Result RunQvctl(const std::string& arguments);
    // The same with shell variable assignments before the program ("HOME=/x QVSET_SPOOLER_DEADLINE=2").
    static Result RunQvctlWith(const std::string& environment, const std::string& arguments);

    // The process id of the private server's cupsd.
    static int ServerPid();
};

}  // namespace qvset::testing
