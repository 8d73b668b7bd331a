// The virtual printer's folder as a hostile user may have prepared it: links planted at the names of
// its files, FIFOs and folders in their place, job ids that are paths, a folder others may write in.
// Nothing outside the folder is ever written, and nothing blocks.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "decode/backend/JobFolder.h"
#include "support/FileBytes.h"
#include "support/TestFolder.h"

namespace qvset {
namespace {

namespace fs = std::filesystem;
using testing::ReadFileBytes;

constexpr const char* kTarget = "precious\n";

struct BackendRun {
    int status = -1;
    std::string errors;
};

// Runs the backend in the foreground (it waits for its drawer) as cupsd starts it, on a job of three
// bytes; a backend or drawer that blocks is cut off after 20 seconds and fails with status 124.
BackendRun RunBackend(const fs::path& folder, const std::string& id, const fs::path& scratch) {
    const fs::path job = scratch / "job";
    std::ofstream(job, std::ios::binary) << "\x1b"
                                            "B"
                                            "\x02";
    const fs::path errors = scratch / "errors";
    const std::string command = "QVSET_QVPRINTER_FOREGROUND=1 DEVICE_URI='qvprinter:" + folder.string() +
                                "' timeout 20 '" + QVSET_QVPRINTER + "' '" + id + "' u T 1 '' '" +
                                job.string() + "' 2>'" + errors.string() + "'";
    const int status = std::system(command.c_str());
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, ReadFileBytes(errors)};
}

// A folder for the printer and, beside it, a file no job may ever touch.
struct Scene {
    testing::TestFolder root{"qvset-folder-"};
    fs::path printer = root.Path() / "printer";
    fs::path target = root.Path() / "target";
    Scene() {
        fs::create_directories(printer);
        fs::permissions(printer, fs::perms(0755));
        std::ofstream(target) << kTarget;
    }
};

TEST(VirtualPrinterFolder, ALinkPlantedAtAFileNameIsReplacedOrRefusedNeverFollowed) {
    struct Row {
        const char* name;
        bool jobDrawn;  // the link is replaced (or put aside) and the job recorded
    };
    const Row rows[] = {
        {"7.prn", true},  {"7.txt", true},     {"7.png", true},     {"state.json", true},
        {"index", false}, {".pending", false}, {".drawing", false}, {".drawn", true},
    };
    for (const auto& row : rows) {
        Scene scene;
        fs::create_symlink(scene.target, scene.printer / row.name);
        const BackendRun run = RunBackend(scene.printer, "7", scene.root.Path());
        EXPECT_EQ(ReadFileBytes(scene.target), kTarget) << row.name;
        EXPECT_EQ(run.status == 0, row.jobDrawn) << row.name << ": " << run.errors;
        if (row.jobDrawn) {
            EXPECT_TRUE(fs::exists(scene.printer / "7.png")) << row.name;
            EXPECT_EQ(ReadFileBytes(scene.printer / "index"), "7\tT\n") << row.name;
        } else {
            EXPECT_NE(run.errors.find("ERROR: "), std::string::npos) << row.name;
        }
    }
}

TEST(VirtualPrinterFolder, ASpecialFileInPlaceOfAFileIsRefusedWithoutBlocking) {
    struct Row {
        const char* name;
        bool fifo;  // else a folder
        bool jobDrawn;
    };
    const Row rows[] = {
        {"index", true, false},     {".pending", true, false}, {".drawing", true, false},
        {"state.json", true, true}, {"index", false, false},   {".pending", false, false},
        {"7.prn", true, true},
    };
    for (const auto& row : rows) {
        Scene scene;
        const fs::path planted = scene.printer / row.name;
        if (row.fifo) {
            ASSERT_EQ(::mkfifo(planted.c_str(), 0666), 0);
        } else {
            fs::create_directories(planted / "inside");
        }
        const BackendRun run = RunBackend(scene.printer, "7", scene.root.Path());
        EXPECT_NE(run.status, 124) << row.name << " blocked the backend or its drawer";
        EXPECT_EQ(run.status == 0, row.jobDrawn) << row.name << ": " << run.errors;
        if (row.jobDrawn) {
            EXPECT_EQ(ReadFileBytes(scene.printer / "index"), "7\tT\n") << row.name;
        }
    }
}

TEST(VirtualPrinterFolder, AFifoInPlaceOfTheLogDoesNotBlockTheDrawerWhichReportsOnStderr) {
    Scene scene;
    ASSERT_EQ(::mkfifo((scene.printer / "qvprinter.log").c_str(), 0666), 0);
    // A listed job whose bytes are gone: the drawer has an error to report.
    std::ofstream(scene.printer / ".pending") << "7\tT\n";
    const fs::path drawer = fs::path(QVSET_QVPRINTER).parent_path() / "qvprinter-draw";
    const fs::path errors = scene.root.Path() / "errors";
    const int status = std::system(("timeout 20 '" + drawer.string() + "' '" + scene.printer.string() +
                                    "' --log 2>'" + errors.string() + "'")
                                       .c_str());
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 1) << "124 is a drawer blocked on the FIFO";
    EXPECT_NE(ReadFileBytes(errors).find("the bytes of job 7 are gone"), std::string::npos)
        << ReadFileBytes(errors);
    EXPECT_NE(ReadFileBytes(errors).find("qvprinter.log is not a regular file"), std::string::npos);
}

TEST(VirtualPrinterFolder, AJobIdThatIsNoNumberIsRefusedAndNothingIsWritten) {
    for (const char* id : {"../escaped", "7/../../escaped", "", "12a", "-1", "12345678901"}) {
        Scene scene;
        const BackendRun run = RunBackend(scene.printer, id, scene.root.Path());
        EXPECT_EQ(run.status, 1) << id;
        EXPECT_NE(run.errors.find("is not a job number"), std::string::npos) << id << ": " << run.errors;
        EXPECT_FALSE(fs::exists(scene.root.Path() / "escaped.prn")) << id;
        EXPECT_TRUE(fs::is_empty(scene.printer)) << id;
    }
}

TEST(VirtualPrinterFolder, AFolderThatIsALinkOrOpenToOthersIsRefused) {
    struct Row {
        const char* what;
        unsigned mode;
        bool link;
        const char* reason;  // nullptr: accepted
    };
    const Row rows[] = {
        {"a link to a folder", 0755, true, "is a symbolic link"},
        {"writable by every user", 0777, false, "may be written by every user"},
        {"writable by every user, sticky", 01777, false, "may be written by every user"},
        {"writable by a group not lp's", 0775, false, "may be written by its group"},
        {"open to read", 0755, false, nullptr},
        {"closed to others", 0700, false, nullptr},
    };
    for (const auto& row : rows) {
        Scene scene;
        fs::permissions(scene.printer, fs::perms(row.mode));
        ASSERT_EQ(::chown(scene.printer.c_str(), static_cast<uid_t>(-1), ::getgid()), 0);
        fs::path uri = scene.printer;
        if (row.link) {
            uri = scene.root.Path() / "link";
            fs::create_directory_symlink(scene.printer, uri);
        }
        const BackendRun run = RunBackend(uri, "7", scene.root.Path());
        if (row.reason == nullptr) {
            EXPECT_EQ(run.status, 0) << row.what << ": " << run.errors;
        } else {
            EXPECT_EQ(run.status, 1) << row.what;
            EXPECT_NE(run.errors.find(row.reason), std::string::npos) << row.what << ": " << run.errors;
            EXPECT_FALSE(fs::exists(scene.printer / "7.prn")) << row.what;
        }
    }
}

TEST(VirtualPrinterFolder, ACancelledJobsTemporaryIsRemovedAtTheNextJob) {
    Scene scene;
    // A process that is gone (a child that exited) left a temporary; a live one's (this process's) stays.
    const pid_t gone = fork();
    if (gone == 0) _exit(0);
    ASSERT_GT(gone, 0);
    ::waitpid(gone, nullptr, 0);
    const std::string stale =
        std::string(kTemporaryPrefix) + std::to_string(gone) + "-5.prn" + std::string(kTemporarySuffix);
    const std::string live =
        std::string(kTemporaryPrefix) + std::to_string(::getpid()) + "-6.prn" + std::string(kTemporarySuffix);
    std::ofstream(scene.printer / stale) << "half a job";
    std::ofstream(scene.printer / live) << "a job being written";
    ASSERT_EQ(RunBackend(scene.printer, "7", scene.root.Path()).status, 0);
    EXPECT_FALSE(fs::exists(scene.printer / stale));
    EXPECT_TRUE(fs::exists(scene.printer / live));
}

}  // namespace
}  // namespace qvset
