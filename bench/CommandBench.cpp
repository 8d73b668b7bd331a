// The cost of one document of a whole qvctl command against the floor of one IPP request cycle: runs
// `qvctl pin-test` (to the current printer, resolved for every document) and `qvctl --printer QUEUE
// pin-test` (no look-up) RUNS times each, subtracts the start-up of `qvctl --version`, and divides by
// the documents each run hands over; the floor is CupsSpooler's time per document to the same queue.
//
// usage: qvset_command_bench QVCTL QUEUE LABEL [RUNS]
//   (CUPS_SERVER etc. point at the server; QUEUE should hold its jobs; LABEL names how the current
//   printer is set, for the report)
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "printer/cups/CupsSpooler.h"

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;

// Runs the program with its output thrown away; false when it could not be run or did not exit 0.
bool Run(const std::vector<std::string>& arguments) {
    std::vector<char*> argv;
    for (const auto& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    pid_t pid = 0;
    const int error = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (error != 0) return false;
    int status = 0;
    while (waitpid(pid, &status, 0) < 0) {
    }
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

// The median wall time of `runs` runs, in milliseconds; negative when a run failed.
double MedianMs(const std::vector<std::string>& arguments, int runs) {
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        const auto start = Clock::now();
        if (!Run(arguments)) return -1;
        times.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 4) {
        std::fprintf(stderr, "usage: %s QVCTL QUEUE LABEL [RUNS]\n", argv[0]);
        return 2;
    }
    const std::string qvctl = argv[1];
    const std::string queue = argv[2];
    const std::string label = argv[3];
    const int runs = argc > 4 ? std::max(1, std::atoi(argv[4])) : 21;
    constexpr int kFloorDocuments = 100;
    const std::vector<std::uint8_t> payload{0x1B, 0x42, 0x01, 0x63, 0x0A};

    qvset::CupsSpooler spooler;
    // The documents one pin test hands over, counted on the queue that holds them; it also warms the
    // server up before anything is timed.
    const int waitingBefore = spooler.WaitingDocuments(queue);
    if (!Run({qvctl, "pin-test"})) {
        std::fprintf(stderr, "qvctl pin-test failed: is %s the current printer?\n", queue.c_str());
        return 1;
    }
    const int documents = spooler.WaitingDocuments(queue) - waitingBefore;
    if (documents <= 0) {
        std::fprintf(stderr, "qvctl pin-test left no document on %s: does the queue hold its jobs?\n",
                     queue.c_str());
        return 1;
    }

    const auto floorStart = Clock::now();
    for (int i = 0; i < kFloorDocuments; ++i) {
        if (!spooler.WriteRawDocument(queue, "AAAAAA", payload)) {
            std::fprintf(stderr, "CupsSpooler could not print to %s\n", queue.c_str());
            return 1;
        }
    }
    const double floorMs =
        std::chrono::duration<double, std::milli>(Clock::now() - floorStart).count() / kFloorDocuments;

    const double versionMs = MedianMs({qvctl, "--version"}, runs);
    const double currentMs = MedianMs({qvctl, "pin-test"}, runs);
    const double namedMs = MedianMs({qvctl, "--printer", queue, "pin-test"}, runs);
    if (versionMs < 0 || currentMs < 0 || namedMs < 0) {
        std::fprintf(stderr, "a qvctl run failed\n");
        return 1;
    }
    const auto perDocument = [&](double ms) { return (ms - versionMs) / documents; };
    std::printf("current printer:           %s\n", label.c_str());
    std::printf("floor (CupsSpooler):       %.3f ms per document (%d documents to %s)\n", floorMs,
                kFloorDocuments, queue.c_str());
    std::printf("qvctl --version:           %.1f ms (median of %d)\n", versionMs, runs);
    std::printf(
        "qvctl pin-test:            %.1f ms, %d documents: %.3f ms per document, %.1f times the floor "
        "(target: at most 2)\n",
        currentMs, documents, perDocument(currentMs), perDocument(currentMs) / floorMs);
    std::printf(
        "qvctl --printer pin-test:  %.1f ms, %d documents: %.3f ms per document, %.1f times the floor\n",
        namedMs, documents, perDocument(namedMs), perDocument(namedMs) / floorMs);
    return 0;
}
