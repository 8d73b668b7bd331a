// The cost of one document of a whole qvctl command against the floor of one IPP request cycle: runs
// `qvctl pin-test` (to the current printer, resolved for every document) and `qvctl --printer QUEUE
// pin-test` (no look-up) RUNS times each, subtracts the start-up of `qvctl --version`, and divides by
// the documents each run hands over; the floor is CupsSpooler's time per document for the same documents
// to the same queue, handed over in one process.
//
// Wall time on a machine shared with other work varies with its load; the processor time of qvctl and
// of the server (given its process id) varies far less, and is reported beside it.
//
// usage: qvset_command_bench QVCTL QUEUE LABEL [RUNS [SERVER_PID]]
//   (CUPS_SERVER etc. point at the server; QUEUE should hold its jobs; LABEL names how the current
//   printer is set, for the report)
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "console/TestPrints.h"
#include "printer/PrintChannel.h"
#include "printer/PrinterOverrideSpooler.h"
#include "printer/cups/CupsSpooler.h"
#include "seams/Dialogs.h"

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;

// Processor time of a process in milliseconds, to the nanosecond (the scheduler's own account in
// /proc/PID/schedstat, not the clock ticks of /proc/PID/stat); 0 when it cannot be read.
double ProcessCpuMs(pid_t pid) {
    std::ifstream schedstat("/proc/" + std::to_string(pid) + "/schedstat");
    double nanoseconds = 0;
    if (!(schedstat >> nanoseconds)) return 0;
    return nanoseconds / 1e6;
}

double RusageMs(const rusage& usage) {
    const auto ms = [](const timeval& t) {
        return static_cast<double>(t.tv_sec) * 1000.0 + static_cast<double>(t.tv_usec) / 1000.0;
    };
    return ms(usage.ru_utime) + ms(usage.ru_stime);
}

struct Cost {
    double wallMs = 0;
    double cpuMs = 0;  // the program's and the server's processor time
};

// Runs the program with its output thrown away; nothing when it could not be run or did not exit 0.
std::optional<Cost> Run(const std::vector<std::string>& arguments, pid_t server) {
    std::vector<char*> argv;
    for (const auto& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    const double serverBefore = server > 0 ? ProcessCpuMs(server) : 0;
    const auto start = Clock::now();
    pid_t pid = 0;
    const int error = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (error != 0) return std::nullopt;
    int status = 0;
    rusage usage{};
    while (wait4(pid, &status, 0, &usage) < 0) {
    }
    Cost cost;
    cost.wallMs = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
    cost.cpuMs = RusageMs(usage) + (server > 0 ? ProcessCpuMs(server) - serverBefore : 0);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) return std::nullopt;
    return cost;
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// The median wall and processor time of `runs` runs; nothing when a run failed.
std::optional<Cost> MedianCost(const std::vector<std::string>& arguments, int runs, pid_t server) {
    std::vector<double> wall, cpu;
    for (int i = 0; i < runs; ++i) {
        const auto cost = Run(arguments, server);
        if (!cost) return std::nullopt;
        wall.push_back(cost->wallMs);
        cpu.push_back(cost->cpuMs);
    }
    return Cost{Median(wall), Median(cpu)};
}

// Messages go nowhere: a failed document is counted by the channel.
class SilentDialogs final : public qvset::Dialogs {
  public:
    qvset::MessageAnswer ShowMessage(const qvset::MessageRequest&) override {
        return qvset::MessageAnswer::Ok;
    }
    void ShowOpen(qvset::FileDialogState&) override {}
    void ShowSave(qvset::FileDialogState&) override {}
};

}  // namespace

int main(int argc, char** argv) {
    if (argc < 4) {
        std::fprintf(stderr, "usage: %s QVCTL QUEUE LABEL [RUNS [SERVER_PID]]\n", argv[0]);
        return 2;
    }
    const std::string qvctl = argv[1];
    const std::string queue = argv[2];
    const std::string label = argv[3];
    const int runs = argc > 4 ? std::max(1, std::atoi(argv[4])) : 21;
    const pid_t server = argc > 5 ? static_cast<pid_t>(std::atoi(argv[5])) : 0;
    constexpr int kFloorRuns = 10;

    qvset::CupsSpooler spooler;
    // The documents one pin test hands over, counted on the queue that holds them; it also warms the
    // server up before anything is timed.
    const int waitingBefore = spooler.WaitingDocuments(queue);
    if (!Run({qvctl, "pin-test"}, server)) {
        std::fprintf(stderr, "qvctl pin-test failed: is %s the current printer?\n", queue.c_str());
        return 1;
    }
    const int documents = spooler.WaitingDocuments(queue) - waitingBefore;
    if (documents <= 0) {
        std::fprintf(stderr, "qvctl pin-test left no document on %s: does the queue hold its jobs?\n",
                     queue.c_str());
        return 1;
    }

    // The floor: the same documents handed over by CupsSpooler in this process, through the channel,
    // to the named queue (nothing looked up, nothing recorded, no process started).
    SilentDialogs dialogs;
    qvset::PrinterOverrideSpooler toQueue(spooler, queue);
    qvset::PrintChannel channel(toQueue, dialogs, ".");
    rusage selfBefore{};
    getrusage(RUSAGE_SELF, &selfBefore);
    const double serverBefore = server > 0 ? ProcessCpuMs(server) : 0;
    const auto floorStart = Clock::now();
    for (int i = 0; i < kFloorRuns; ++i) qvset::PrintPinTest(channel);
    rusage selfAfter{};
    getrusage(RUSAGE_SELF, &selfAfter);
    if (channel.OpenFailures() > 0) {
        std::fprintf(stderr, "CupsSpooler could not print to %s\n", queue.c_str());
        return 1;
    }
    const double floorDocuments = static_cast<double>(kFloorRuns * documents);
    const Cost floor{
        std::chrono::duration<double, std::milli>(Clock::now() - floorStart).count() / floorDocuments,
        (RusageMs(selfAfter) - RusageMs(selfBefore) +
         (server > 0 ? ProcessCpuMs(server) - serverBefore : 0)) /
            floorDocuments};

    const auto version = MedianCost({qvctl, "--version"}, runs, server);
    const auto current = MedianCost({qvctl, "pin-test"}, runs, server);
    const auto named = MedianCost({qvctl, "--printer", queue, "pin-test"}, runs, server);
    if (!version || !current || !named) {
        std::fprintf(stderr, "a qvctl run failed\n");
        return 1;
    }
    const auto row = [&](const char* name, const Cost& cost) {
        const double wall = (cost.wallMs - version->wallMs) / documents;
        const double cpu = (cost.cpuMs - version->cpuMs) / documents;
        std::printf(
            "%-26s %6.1f ms, %d documents: %.3f ms per document (%.1f times the floor); "
            "processor %.3f ms per document (%.1f times the floor)\n",
            name, cost.wallMs, documents, wall, wall / floor.wallMs, cpu, cpu / floor.cpuMs);
    };
    std::printf("current printer:           %s\n", label.c_str());
    std::printf(
        "floor (CupsSpooler):       %.3f ms per document, processor %.3f ms (the pin test's %d documents "
        "%d times to %s in one process)\n",
        floor.wallMs, floor.cpuMs, documents, kFloorRuns, queue.c_str());
    std::printf("qvctl --version:           %6.1f ms, processor %.1f ms (median of %d runs)\n",
                version->wallMs, version->cpuMs, runs);
    row("qvctl pin-test:", *current);
    row("qvctl --printer pin-test:", *named);
    std::printf("(target: qvctl pin-test within 2 times the floor per document%s)\n",
                server > 0 ? "" : "; processor times without the server's, whose process id was not given");
    return 0;
}
