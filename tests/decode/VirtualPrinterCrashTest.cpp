// The virtual printer loses no job: a drawer that dies between any two steps leaves every job it had
// not finished to the next drawer, a job that finds the disk full is drawn once there is room, and jobs
// that come without a spooler's number (the raw port, IPP) are numbered by the folder: one above every
// job it holds, distinct and in the order they were taken, even when several processes take jobs at once.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "decode/backend/JobQueue.h"
#include "decode/backend/VirtualPrinter.h"
#include "support/FileBytes.h"
#include "support/TestFolder.h"

namespace qvset {
namespace {

namespace fs = std::filesystem;
using testing::ReadFileBytes;

// Three jobs, each turning the black mark on or off (ESC B 02, ESC B 03), listed as the backend lists
// them.
void ListThreeJobs(const fs::path& folder) {
    const char choices[] = {'\x02', '\x03', '\x02'};
    std::ofstream pending(folder / std::string(kPendingFile));
    for (int job = 1; job <= 3; ++job) {
        std::ofstream(folder / (std::to_string(job) + ".prn"), std::ios::binary) << "\x1b"
                                                                                    "B"
                                                                                 << choices[job - 1];
        pending << job << "\tT" << job << "\n";
    }
}

std::string IndexOf(const fs::path& folder) {
    return ReadFileBytes(folder / std::string(kIndexFile));
}

// The job that last set the black mark, as state.json says.
std::string BlackMarkJob(const fs::path& folder) {
    const auto state = nlohmann::json::parse(ReadFileBytes(folder / "state.json"), nullptr, false);
    if (!state.is_object() || !state["switches"].contains("black-mark")) return "";
    return state["switches"]["black-mark"]["job"].get<std::string>();
}

// Runs a drawer in a child process that dies (SIGKILL-like: no clean-up) right after step `dieAfter`.
void DrawAndDieAfterStep(const fs::path& folder, int dieAfter) {
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        int steps = 0;
        std::string error;
        std::string warning;
        DrawQueuedJobs(folder, error, warning, [&](std::string_view) {
            if (++steps == dieAfter) ::kill(::getpid(), SIGKILL);
        });
        _exit(0);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
}

TEST(VirtualPrinterCrash, ADrawerKilledAfterAnyStepLeavesEveryJobToTheNextInOrder) {
    // Five steps a job (listing, picture, state, index, drawn); killed after each of the fifteen.
    for (int dieAfter = 1; dieAfter <= 15; ++dieAfter) {
        testing::TestFolder folder("qvset-crash-");
        ListThreeJobs(folder.Path());
        DrawAndDieAfterStep(folder.Path(), dieAfter);
        std::string error;
        std::string warning;
        ASSERT_TRUE(DrawQueuedJobs(folder.Path(), error, warning))
            << "killed after step " << dieAfter << ": " << error;
        EXPECT_EQ(IndexOf(folder.Path()), "1\tT1\n2\tT2\n3\tT3\n") << "killed after step " << dieAfter;
        for (const char* file : {"1.txt", "2.png", "3.txt", "3.png"}) {
            EXPECT_TRUE(fs::exists(folder.Path() / file)) << file << ", killed after step " << dieAfter;
        }
        EXPECT_EQ(BlackMarkJob(folder.Path()), "3") << "killed after step " << dieAfter;
        EXPECT_EQ(ReadFileBytes(folder.Path() / std::string(kPendingFile)), "") << dieAfter;
    }
}

TEST(VirtualPrinterCrash, ADrawerKilledAtRandomTimesLosesNoJob) {
    testing::TestFolder folder("qvset-crash-random-");
    ListThreeJobs(folder.Path());
    const fs::path drawer = fs::path(QVSET_QVPRINTER).parent_path() / "qvprinter-draw";
    std::srand(static_cast<unsigned>(::testing::UnitTest::GetInstance()->random_seed()));
    for (int round = 0; round < 8; ++round) {
        const int microseconds = 1000 + std::rand() % 150000;
        std::system(("timeout -s KILL " + std::to_string(microseconds / 1e6) + " '" + drawer.string() +
                     "' '" + folder.Path().string() + "' 2>/dev/null")
                        .c_str());
    }
    std::string error;
    std::string warning;
    ASSERT_TRUE(DrawQueuedJobs(folder.Path(), error, warning)) << error;
    EXPECT_EQ(IndexOf(folder.Path()), "1\tT1\n2\tT2\n3\tT3\n");
    EXPECT_EQ(BlackMarkJob(folder.Path()), "3");
}

TEST(VirtualPrinterCrash, AJobThatFindsTheDiskFullIsLoggedAndDrawnOnceThereIsRoom) {
    testing::TestFolder folder("qvset-full-");
    ListThreeJobs(folder.Path());
    const fs::path drawer = fs::path(QVSET_QVPRINTER).parent_path() / "qvprinter-draw";
    // Files may grow to 4 KB: the listings fit, the first picture does not.
    const std::string full =
        "prlimit --fsize=4096 '" + drawer.string() + "' '" + folder.Path().string() + "' --log";
    const int status = std::system(full.c_str());
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 1);
    const std::string log = ReadFileBytes(folder.Path() / "qvprinter.log");
    EXPECT_NE(log.find("ERROR: cannot write " + (folder.Path() / "1.png").string() + ": File too large"),
              std::string::npos)
        << log;
    EXPECT_NE(log.find("the job stays listed"), std::string::npos) << log;
    EXPECT_EQ(IndexOf(folder.Path()), "");
    std::string error;
    std::string warning;
    ASSERT_TRUE(DrawQueuedJobs(folder.Path(), error, warning)) << error;
    EXPECT_EQ(IndexOf(folder.Path()), "1\tT1\n2\tT2\n3\tT3\n");
    EXPECT_EQ(BlackMarkJob(folder.Path()), "3");
}

TEST(VirtualPrinterCrash, TheBackendFailsAJobItCannotStoreAndListsNothing) {
    testing::TestFolder folder("qvset-full-backend-");
    const fs::path printer = folder.Path() / "printer";
    fs::create_directories(printer);
    const fs::path job = folder.Path() / "job";
    std::ofstream(job, std::ios::binary) << std::string(10000, '\n');
    const fs::path errors = folder.Path() / "errors";
    const std::string command = "DEVICE_URI='qvprinter:" + printer.string() + "' prlimit --fsize=4096 '" +
                                QVSET_QVPRINTER + "' 8 u T 1 '' '" + job.string() + "' 2>'" +
                                errors.string() + "'";
    const int status = std::system(command.c_str());
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 1) << "the spooler must keep the job";
    EXPECT_NE(ReadFileBytes(errors).find("ERROR: cannot write " + (printer / "8.prn").string() +
                                         ": File too large"),
              std::string::npos)
        << ReadFileBytes(errors);
    EXPECT_FALSE(fs::exists(printer / "8.prn"));
    EXPECT_EQ(ReadFileBytes(printer / std::string(kPendingFile)), "");
    for (const auto& entry : fs::directory_iterator(printer)) {
        EXPECT_EQ(entry.path().extension(), "") << entry.path() << " left behind";
    }
}

// Takes one job of `bytes` titled `title` as the listener does: written to a new file, then numbered.
std::string Take(const JobFolder& folder, const std::string& bytes, const std::string& title) {
    JobFolder::NewFile file = folder.Create("connection");
    EXPECT_TRUE(file.Write(bytes));
    std::string error;
    const auto id = QueueNumberedVirtualJob(folder, file, title, error);
    EXPECT_TRUE(id) << error;
    return id.value_or("");
}

TEST(NumberedJob, TheNextNumberIsOneAboveEveryJobTheFolderNames) {
    struct Row {
        std::vector<std::string> files;
        std::string listed;
        std::uint64_t next;
    };
    const Row rows[] = {
        {{}, "", 1},
        {{"5.prn"}, "", 6},
        {{"3.prn", "12.png"}, "", 13},  // a job whose bytes were removed, its picture kept
        {{"12.txt", "4.prn"}, "", 13},
        {{"7.prn"}, "9\tlisted, its bytes not yet in place\n", 10},
        {{"index", "state.json", "state.json.broken-40", ".qv-77-8.prn.tmp", "qvprinter.log"}, "", 1},
        {{"12345678901.prn", "x7.prn"}, "", 1},  // no job numbers
    };
    for (const auto& row : rows) {
        testing::TestFolder folder("qvset-numbered-");
        for (const auto& name : row.files) std::ofstream(folder.Path() / name) << "x";
        std::string error;
        const auto opened = JobFolder::Open(folder.Path(), error);
        ASSERT_TRUE(opened) << error;
        EXPECT_EQ(NextJobNumber(*opened, row.listed), row.next) << ::testing::PrintToString(row.files);
    }
}

TEST(NumberedJob, JobsAreNumberedListedAndDrawnInTheOrderTheyWereTaken) {
    testing::TestFolder folder("qvset-numbered-order-");
    std::ofstream(folder.Path() / "41.prn") << "\x1b@";
    std::string error;
    const auto opened = JobFolder::Open(folder.Path(), error);
    ASSERT_TRUE(opened) << error;
    EXPECT_EQ(Take(*opened,
                   "\x1b"
                   "B\x04",
                   "10.0.0.7:50412"),
              "42");
    EXPECT_EQ(Take(*opened,
                   "\x1b"
                   "B\x05",
                   "second\tline\n"),
              "43");
    EXPECT_EQ(ReadFileBytes(folder.Path() / "42.prn"),
              "\x1b"
              "B\x04");
    EXPECT_EQ(ReadFileBytes(folder.Path() / std::string(kPendingFile)),
              "42\t10.0.0.7:50412\n43\tsecond line \n");
    std::string warning;
    ASSERT_TRUE(DrawQueuedJobs(folder.Path(), error, warning)) << error;
    EXPECT_EQ(ReadFileBytes(folder.Path() / std::string(kIndexFile)),
              "42\t10.0.0.7:50412\n43\tsecond line \n");
    EXPECT_NE(ReadFileBytes(folder.Path() / "state.json").find("\"job\": \"43\""), std::string::npos);
    for (const auto& entry : fs::directory_iterator(folder.Path())) {
        EXPECT_FALSE(entry.path().filename().string().starts_with(std::string(kTemporaryPrefix)))
            << entry.path() << " left behind";
    }
}

TEST(NumberedJob, ProcessesTakingJobsAtOnceNeverShareANumber) {
    testing::TestFolder folder("qvset-numbered-race-");
    constexpr int kProcesses = 4;
    constexpr int kJobsEach = 25;
    std::vector<pid_t> children;
    for (int process = 0; process < kProcesses; ++process) {
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            std::string error;
            const auto opened = JobFolder::Open(folder.Path(), error);
            bool all = opened.has_value();
            for (int job = 0; all && job < kJobsEach; ++job) {
                JobFolder::NewFile file = opened->Create("connection-" + std::to_string(job));
                all =
                    file.Write(std::to_string(process) + "/" + std::to_string(job)) &&
                    QueueNumberedVirtualJob(*opened, file, "p" + std::to_string(process), error).has_value();
            }
            ::_exit(all ? 0 : 1);
        }
        children.push_back(child);
    }
    for (const pid_t child : children) {
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    // Every job listed once, numbered 1 to 100 in the list's order, each with its own bytes.
    std::istringstream list(ReadFileBytes(folder.Path() / std::string(kPendingFile)));
    std::set<std::string> contents;
    int expected = 1;
    for (std::string line; std::getline(list, line); ++expected) {
        const std::string id = line.substr(0, line.find('\t'));
        EXPECT_EQ(id, std::to_string(expected));
        contents.insert(ReadFileBytes(folder.Path() / (id + ".prn")));
    }
    EXPECT_EQ(expected - 1, kProcesses * kJobsEach);
    EXPECT_EQ(contents.size(), static_cast<std::size_t>(kProcesses * kJobsEach))
        << "a job's bytes were overwritten";
}

}  // namespace
}  // namespace qvset
