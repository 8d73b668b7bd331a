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
//   (CUPS_SERVER etc. point at the server; QUEUE should hold its jobs, and loses them all between runs;
//   LABEL names how the current printer is set, for the report)
#include <cups/cups.h>
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
#include <thread>
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

// Several runs of one thing: the median and the fastest wall time, the median processor time.
struct Summary {
    double medianMs = 0;
    double fastestMs = 0;
    double cpuMs = 0;
};

class Runs {
  public:
    void Add(const Cost& cost) {
        m_wall.push_back(cost.wallMs);
        m_cpu.push_back(cost.cpuMs);
    }
    Summary Summarise(double per = 1) const {
        return {Median(m_wall) / per, *std::min_element(m_wall.begin(), m_wall.end()) / per,
                Median(m_cpu) / per};
    }

  private:
    std::vector<double> m_wall, m_cpu;
};

// Cancels and forgets every job of the queue, then lets the server settle: a server holding many jobs
// takes longer over each new one, which would weigh on whatever runs last.
void EmptyQueue(const std::string& queue) {
    cupsCancelJob2(CUPS_HTTP_DEFAULT, queue.c_str(), CUPS_JOBID_ALL, 1);
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
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
    constexpr int kFloorRuns = 21;

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
    Runs floorRuns;
    for (int i = 0; i < kFloorRuns; ++i) {
        EmptyQueue(queue);
        rusage selfBefore{};
        getrusage(RUSAGE_SELF, &selfBefore);
        const double serverBefore = server > 0 ? ProcessCpuMs(server) : 0;
        const auto start = Clock::now();
        qvset::PrintPinTest(channel);
        const double wallMs = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
        rusage selfAfter{};
        getrusage(RUSAGE_SELF, &selfAfter);
        floorRuns.Add({wallMs, RusageMs(selfAfter) - RusageMs(selfBefore) +
                                   (server > 0 ? ProcessCpuMs(server) - serverBefore : 0)});
    }
    if (channel.OpenFailures() > 0) {
        std::fprintf(stderr, "CupsSpooler could not print to %s\n", queue.c_str());
        return 1;
    }
    const Summary floor = floorRuns.Summarise(documents);

    // The three commands in turn, so that a change in the machine's load falls on all of them alike.
    const std::vector<std::vector<std::string>> commands = {
        {qvctl, "--version"}, {qvctl, "pin-test"}, {qvctl, "--printer", queue, "pin-test"}};
    std::vector<Runs> results(commands.size());
    for (int i = 0; i < runs; ++i) {
        for (std::size_t c = 0; c < commands.size(); ++c) {
            EmptyQueue(queue);
            const auto cost = Run(commands[c], server);
            if (!cost) {
                std::fprintf(stderr, "a qvctl run failed\n");
                return 1;
            }
            results[c].Add(*cost);
        }
    }
    const Summary version = results[0].Summarise();
    const auto row = [&](const char* name, const Summary& command) {
        const auto perDocument = [&](double commandMs, double versionMs) {
            return (commandMs - versionMs) / documents;
        };
        const double median = perDocument(command.medianMs, version.medianMs);
        const double fastest = perDocument(command.fastestMs, version.fastestMs);
        const double cpu = perDocument(command.cpuMs, version.cpuMs);
        std::printf(
            "%-26s %6.1f ms; per document: %.3f ms (%.1f times the floor), fastest run %.3f ms (%.1f), "
            "processor %.3f ms (%.1f)\n",
            name, command.medianMs, median, median / floor.medianMs, fastest, fastest / floor.fastestMs, cpu,
            cpu / floor.cpuMs);
    };
    std::printf("current printer:           %s\n", label.c_str());
    std::printf(
        "floor (CupsSpooler):       per document: %.3f ms, fastest run %.3f ms, processor %.3f ms "
        "(the pin test's %d documents, %d times in one process, to %s)\n",
        floor.medianMs, floor.fastestMs, floor.cpuMs, documents, kFloorRuns, queue.c_str());
    std::printf(
        "qvctl --version:           %6.1f ms, fastest run %.1f ms, processor %.1f ms (medians of %d runs)\n",
        version.medianMs, version.fastestMs, version.cpuMs, runs);
    row("qvctl pin-test:", results[1].Summarise());
    row("qvctl --printer pin-test:", results[2].Summarise());
    std::printf("(target: qvctl pin-test within 2 times the floor per document%s)\n",
                server > 0 ? "" : "; processor times without the server's, whose process id was not given");
    return 0;
}
