#include "decode/backend/VirtualPrinter.h"

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <QColor>
#include <QImage>
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <nlohmann/json.hpp>

#include "DecodeTestSupport.h"
#include "console/TestPrints.h"
#include "decode/Listing.h"
#include "decode/PrinterState.h"
#include "decode/backend/JobPicture.h"
#include "printer/AnsiText.h"
#include "settings/BatchSend.h"
#include "support/CaptureFolder.h"
#include "support/FileBytes.h"
#include "support/TestFolder.h"
#include "tuning/ParameterCommands.h"
#include "tuning/TuningJobs.h"

using qvset::testing::ReadFileBytes;

namespace qvset {
namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;
using testing::FactoryRestoreDocuments;
using testing::TypicalBatch;

void WriteBytes(const fs::path& path, const Bytes& bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

nlohmann::ordered_json ReadState(const fs::path& folder) {
    return nlohmann::ordered_json::parse(ReadFileBytes(folder / std::string(kPrinterStateFile)));
}

std::vector<std::string> Keys(const nlohmann::ordered_json& object) {
    std::vector<std::string> keys;
    for (const auto& [key, value] : object.items()) keys.push_back(key);
    return keys;
}

// Runs the backend as cupsd starts it; the exit status.
int RunBackend(const std::string& deviceUri, const std::string& arguments, const std::string& input = "",
               const fs::path& errors = {}) {
    // cupsd's own umask, which the backend must not pass on to the files the user reads
    // In the foreground: the job is drawn before the backend exits.
    std::string command = "umask 077; QVSET_QVPRINTER_FOREGROUND=1 DEVICE_URI='" + deviceUri + "' '" +
                          QVSET_QVPRINTER + "' " + arguments;
    if (!input.empty()) command += " < '" + input + "'";
    command += errors.empty() ? " 2>/dev/null" : " 2>'" + errors.string() + "'";
    const int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(VirtualPrinter, RecordsTheJobsFourFilesAndItsIndexLine) {
    testing::TestFolder folder("qvset-virtual-");
    const Bytes batch = TypicalBatch();
    std::string error;
    std::string warning;
    ASSERT_TRUE(RecordVirtualJob(folder.Path(), {"5", "AAAAAA", batch}, error, warning)) << error;
    EXPECT_TRUE(warning.empty());
    const std::string prn = ReadFileBytes(folder.Path() / "5.prn");
    EXPECT_EQ(Bytes(prn.begin(), prn.end()), batch);
    EXPECT_EQ(ReadFileBytes(folder.Path() / "5.txt"), RenderListing(batch));
    QImage picture;
    ASSERT_TRUE(picture.load(QString::fromStdString((folder.Path() / "5.png").string()), "PNG"));
    EXPECT_EQ(picture.width(), kPictureWidth);
    EXPECT_EQ(ReadState(folder.Path())["switches"]["baud"]["job"], "5");
    EXPECT_EQ(ReadFileBytes(folder.Path() / "index"), "5\tAAAAAA\n");
    for (const auto& entry : fs::directory_iterator(folder.Path())) {
        EXPECT_EQ(entry.path().string().find(".tmp"), std::string::npos) << entry.path();
    }
}

TEST(VirtualPrinter, AJobWhoseFilesCannotAllBeWrittenFailsAndIsNotIndexed) {
    testing::TestFolder folder("qvset-virtual-");
    for (const char* blocked : {"6.png", "7.txt"}) {
        fs::create_directories(folder.Path() / blocked / "in-the-way");  // no file can replace it
        const std::string id(blocked, 1);
        std::string error;
        std::string warning;
        EXPECT_FALSE(
            RecordVirtualJob(folder.Path(), {id, "AAAAAA", DecodeHex("1B4202").value()}, error, warning));
        EXPECT_EQ(error, "cannot write " + (folder.Path() / blocked).string() + ": Is a directory");
        EXPECT_TRUE(fs::exists(folder.Path() / (id + ".prn")));
        EXPECT_FALSE(fs::exists(folder.Path() / "state.json")) << blocked;
    }
    EXPECT_FALSE(fs::exists(folder.Path() / "index"));
    for (const auto& entry : fs::directory_iterator(folder.Path())) {
        EXPECT_NE(entry.path().extension(), ".tmp") << entry.path();
    }
}

TEST(VirtualPrinter, FolderComesFromTheDeviceUri) {
    EXPECT_EQ(VirtualPrinterFolder("qvprinter:/var/spool/qv"), fs::path("/var/spool/qv"));
    EXPECT_EQ(VirtualPrinterFolder("qvprinter:///var/spool/qv"), fs::path("/var/spool/qv"));
    EXPECT_FALSE(VirtualPrinterFolder("qvcapture:/var/spool/qv"));
    EXPECT_FALSE(VirtualPrinterFolder("qvprinter:relative"));
    EXPECT_FALSE(VirtualPrinterFolder("qvprinter:"));
}

TEST(VirtualPrinter, ABrokenStateFileIsKeptAsideAndANewStateBegins) {
    testing::TestFolder folder("qvset-virtual-");
    std::ofstream(folder.Path() / "state.json") << "not json";
    std::string error;
    std::string warning;
    ASSERT_TRUE(
        RecordVirtualJob(folder.Path(), {"9", "AAAAAA", DecodeHex("1B4203").value()}, error, warning));
    EXPECT_NE(warning.find("state.json.broken-9"), std::string::npos) << warning;
    EXPECT_EQ(ReadFileBytes(folder.Path() / "state.json.broken-9"), "not json");
    EXPECT_EQ(Keys(ReadState(folder.Path())["switches"]), std::vector<std::string>{"black-mark"});
}

// The first row below the legend.
int BelowLegend() {
    return RenderJobPicture({}).height() - kPictureMargin;
}

// The rows below the legend where a picture has a black dot at x.
std::vector<int> RowsWithDotAt(const QImage& picture, int x) {
    std::vector<int> rows;
    for (int y = BelowLegend(); y < picture.height(); ++y) {
        if (picture.pixelColor(x, y) == QColor(0, 0, 0)) rows.push_back(y);
    }
    return rows;
}

TEST(JobPicture, DrawsBitImageColumnsAsDotsWrappedAtItsWidth) {
    const QImage picture = RenderJobPicture(DecodeDocument(DecodeHex(AlignmentBarRow()).value()));
    // 2880 columns: three rows of 960; the bars stand 80 columns apart, 8 dots high
    const auto rows = RowsWithDotAt(picture, kPictureMargin);
    ASSERT_EQ(rows.size(), static_cast<std::size_t>(3 * 8 * kDotHeight));
    const int top = rows.front();
    for (int bar = 0; bar < kColumnsPerRow / 80; ++bar) {
        EXPECT_EQ(picture.pixelColor(kPictureMargin + 80 * bar, top), QColor(0, 0, 0)) << bar;
        EXPECT_EQ(picture.pixelColor(kPictureMargin + 80 * bar + 40, top), QColor(255, 255, 255)) << bar;
    }
    // the pin test's line: only pin 3, the third dot from the top, in columns 42 to 241
    const QImage pin = RenderJobPicture(DecodeDocument(DecodeHex(BuildPinTestLine(3)).value()));
    const auto pinRows = RowsWithDotAt(pin, kPictureMargin + 42);
    ASSERT_EQ(pinRows.size(), static_cast<std::size_t>(kDotHeight));
    EXPECT_TRUE(RowsWithDotAt(pin, kPictureMargin + 41).empty());
    EXPECT_EQ(RowsWithDotAt(pin, kPictureMargin + 241), pinRows);
    EXPECT_TRUE(RowsWithDotAt(pin, kPictureMargin + 242).empty());
}

// Whether the picture has dark pixels below a given row.
bool InkBelow(const QImage& picture, int row) {
    for (int y = row; y < picture.height(); ++y) {
        for (int x = 0; x < picture.width(); ++x) {
            if (picture.pixelColor(x, y).lightness() < 128) return true;
        }
    }
    return false;
}

TEST(JobPicture, TextLinesAreWrittenAndFeedsLeaveSpace) {
    const int legendEnd = BelowLegend();
    const std::string text = ToAnsi("打印测试页") + "\n";
    const QImage written = RenderJobPicture(DecodeDocument(Bytes(text.begin(), text.end())));
    EXPECT_GT(written.height(), legendEnd + kPictureMargin);
    EXPECT_TRUE(InkBelow(written, legendEnd));
    const QImage feed = RenderJobPicture(DecodeDocument(DecodeHex("1B4A50").value()));
    EXPECT_EQ(feed.height(), legendEnd + kPictureMargin + 80 * kFeedUnitHeight);
    EXPECT_FALSE(InkBelow(feed, legendEnd));
}

TEST(QvprinterBackend, NamesItsDeviceClassWhenRunWithoutArguments) {
    FILE* pipe = popen((std::string("'") + QVSET_QVPRINTER + "'").c_str(), "r");
    ASSERT_NE(pipe, nullptr);
    char line[256] = {};
    ASSERT_NE(std::fgets(line, sizeof line, pipe), nullptr);
    EXPECT_EQ(pclose(pipe), 0);
    EXPECT_STREQ(line, "direct qvprinter \"Unknown\" \"qvset virtual QV6 printer\"\n");
}

TEST(QvprinterBackend, RunAsCupsDoesWritesTheFourFilesFromAFileOrStandardInput) {
    testing::TestFolder folder("qvset-qvprinter-");
    const fs::path spool = folder.Path() / "spool";
    const fs::path printer = folder.Path() / "printer";
    fs::create_directories(spool);
    fs::create_directories(printer);
    const Bytes batch = TypicalBatch();
    WriteBytes(spool / "d00012-001", batch);
    const std::string uri = "qvprinter:" + printer.string();
    ASSERT_EQ(RunBackend(uri, "12 technician AAAAAA 1 '' '" + (spool / "d00012-001").string() + "'"), 0);
    ASSERT_EQ(RunBackend(uri, "13 technician AAAAAA 1 ''", (spool / "d00012-001").string()), 0);
    for (const char* job : {"12", "13"}) {
        for (const char* suffix : {".prn", ".txt", ".png"}) {
            EXPECT_TRUE(fs::exists(printer / (std::string(job) + suffix))) << job << suffix;
        }
    }
    EXPECT_EQ(ReadFileBytes(printer / "13.txt"), RenderListing(batch));
    for (const char* file : {"13.prn", "13.txt", "13.png", "state.json", "index"}) {
        EXPECT_NE(fs::status(printer / file).permissions() & fs::perms::others_read, fs::perms::none) << file;
    }
    // the capture queues' reader takes the folder as it is
    const auto jobs = testing::ReadCapturedJobs(printer);
    ASSERT_EQ(jobs.size(), 2u);
    EXPECT_EQ(jobs[0].id, "12");
    EXPECT_EQ(jobs[1].title, "AAAAAA");
    EXPECT_EQ(jobs[1].bytes, batch);
    // after the typical description's batch the state holds exactly its recorded items
    const auto state = ReadState(printer);
    EXPECT_EQ(Keys(state["switches"]), (std::vector<std::string>{"black-mark", "paper", "edge",
                                                                 "start-position", "end-position", "baud"}));
    EXPECT_EQ(state["switches"]["paper"]["choice"], "58");
    EXPECT_EQ(state["switches"]["baud"]["choice"], "4");
    EXPECT_EQ(Keys(state["distances"]), (std::vector<std::string>{"length", "mark"}));
    EXPECT_EQ(state["distances"]["length"]["count"], 868);
    EXPECT_EQ(state["distances"]["mark"]["count"], 154);
    EXPECT_EQ(state["distances"]["mark"]["job"], "13");
    EXPECT_TRUE(state["mode-values"].empty());
    EXPECT_TRUE(state["parameter-table"].is_null());
}

TEST(QvprinterBackend, AfterTheFactoryRestoresThreeDocumentsTheStateHoldsTheFactoryTable) {
    testing::TestFolder folder("qvset-qvprinter-");
    const std::string uri = "qvprinter:" + folder.Path().string();
    int job = 20;
    for (const auto& document : FactoryRestoreDocuments()) {
        const fs::path file = folder.Path() / ("job" + std::to_string(job));
        WriteBytes(file, document);
        ASSERT_EQ(RunBackend(uri, std::to_string(job) + " u AAAAAA 1 '' '" + file.string() + "'"), 0);
        ++job;
    }
    const auto state = ReadState(folder.Path());
    EXPECT_EQ(state["parameter-table"]["factory"], true);
    EXPECT_EQ(state["parameter-table"]["command"], FactoryParameterTable());
    EXPECT_EQ(state["parameter-table"]["job"], "21");
    EXPECT_EQ(ReadFileBytes(folder.Path() / "index"), "20\tAAAAAA\n21\tAAAAAA\n22\tAAAAAA\n");
}

TEST(QvprinterBackend, RefusesAWrongUriAMissingFolderAndMissingArguments) {
    testing::TestFolder folder("qvset-qvprinter-");
    const fs::path errors = folder.Path() / "errors";
    EXPECT_EQ(RunBackend("qvcapture:" + folder.Path().string(), "1 u AAAAAA 1 ''", "/dev/null", errors), 1);
    EXPECT_NE(ReadFileBytes(errors).find("ERROR: the device URI"), std::string::npos);
    EXPECT_EQ(
        RunBackend("qvprinter:" + (folder.Path() / "gone").string(), "1 u AAAAAA 1 ''", "/dev/null", errors),
        1);
    EXPECT_NE(ReadFileBytes(errors).find("is missing"), std::string::npos);
    // A regular file where the folder should be is named as such, not as missing.
    WriteBytes(folder.Path() / "plain", {0x0A});
    EXPECT_EQ(
        RunBackend("qvprinter:" + (folder.Path() / "plain").string(), "1 u AAAAAA 1 ''", "/dev/null", errors),
        1);
    EXPECT_NE(ReadFileBytes(errors).find((folder.Path() / "plain").string() + " is not a folder"),
              std::string::npos)
        << ReadFileBytes(errors);
    EXPECT_EQ(RunBackend("qvprinter:" + folder.Path().string(), "1 u AAAAAA", "/dev/null", errors), 1);
    EXPECT_NE(ReadFileBytes(errors).find("Usage: qvprinter"), std::string::npos);
    EXPECT_FALSE(fs::exists(folder.Path() / "index"));
}

TEST(VirtualPrinter, AsCupsRunsItTheJobsAreTakenAtOnceAndDrawnInTheirOrder) {
    testing::TestFolder folder("qvset-qvprinter-burst-");
    const fs::path job = folder.Path() / "job";
    const auto documents = FactoryRestoreDocuments();
    // Five jobs in a row, as a burst reaches cupsd, while a drawer is busy (the test holds the drawing
    // lock): each backend must return without waiting for it (a backend that waits is cut off by
    // timeout and fails the test), and nothing is drawn before the lock is free.
    const std::string backend =
        "DEVICE_URI='qvprinter:" + folder.Path().string() + "' timeout 20 '" + QVSET_QVPRINTER + "' ";
    {
        const FileLock busyDrawer(folder.Path() / std::string(kDrawingLockFile), kFolderFileLock);
        ASSERT_TRUE(busyDrawer.Held());
        for (int id = 1; id <= 5; ++id) {
            WriteBytes(job, documents[static_cast<std::size_t>(id - 1) % documents.size()]);
            const int status = std::system((backend + std::to_string(id) + " u T" + std::to_string(id) +
                                            " 1 '' '" + job.string() + "' 2>/dev/null")
                                               .c_str());
            ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "job " << id;
            // The bytes are there as soon as the backend is done.
            EXPECT_TRUE(fs::exists(folder.Path() / (std::to_string(id) + ".prn")));
        }
        EXPECT_FALSE(fs::exists(folder.Path() / std::string(kIndexFile)));
        EXPECT_FALSE(fs::exists(folder.Path() / "1.png"));
    }
    const auto jobs = testing::WaitForCapturedJobs(folder.Path(), 5, std::chrono::seconds(30));
    ASSERT_EQ(jobs.size(), 5u);
    for (std::size_t i = 0; i < jobs.size(); ++i) {
        EXPECT_EQ(jobs[i].id, std::to_string(i + 1));
        EXPECT_EQ(jobs[i].title, "T" + std::to_string(i + 1));
        EXPECT_EQ(jobs[i].bytes, documents[i % documents.size()]);
        EXPECT_TRUE(fs::exists(folder.Path() / (jobs[i].id + ".png"))) << jobs[i].id;
    }
    // The state followed the jobs' order: save, table, save, save, table; the last table is job 5's.
    EXPECT_EQ(ReadState(folder.Path())["parameter-table"]["job"], "5");
    EXPECT_FALSE(fs::exists(folder.Path() / "qvprinter.log"));
}

}  // namespace
}  // namespace qvset
