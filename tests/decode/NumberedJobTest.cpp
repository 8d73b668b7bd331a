// Jobs that come without a spooler's number (the raw port, IPP) are numbered by the folder: one above
// every job it holds, distinct and in the order they were taken, even when several processes take jobs
// at once; they are then drawn like the backend's jobs.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
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
