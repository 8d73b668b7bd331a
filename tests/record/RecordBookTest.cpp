// The record on disk: folding under its bound, a folder that cannot be written, a lock another writer
// holds, and many writers at once, threads and processes, none of whose lines are lost.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <map>
#include <thread>

#include "decode/CommandDecoder.h"
#include "files/FileLock.h"
#include "printer/MemorySpooler.h"
#include "record/RecordBook.h"
#include "record/RecordTestSupport.h"
#include "record/RecordingSpooler.h"
#include "support/FileBytes.h"
#include "support/TestFolder.h"

namespace qvset {
namespace {

namespace fs = std::filesystem;
using testing::TestFolder;

std::vector<std::uint8_t> NumberBytes(std::size_t number) {
    return {static_cast<std::uint8_t>(number >> 8), static_cast<std::uint8_t>(number & 0xFF)};
}

std::size_t NumberOf(const std::vector<std::uint8_t>& bytes) {
    return bytes.size() == 2 ? std::size_t{bytes[0]} << 8 | bytes[1] : static_cast<std::size_t>(-1);
}

TEST(RecordBookTest, ARecordPastItsBoundIsFoldedAndStillImpliesEveryDocument) {
    const TestFolder folder("qvset-record-");
    std::vector<std::string> said;
    RecordBook book(
        folder.Path(), "localhost:631", [&](const std::string& s) { said.push_back(s); },
        RecordLimits{2000, std::chrono::milliseconds(2000)});
    PrinterState direct;
    const auto documents = testing::SettingDocuments(300, 11);
    for (std::size_t i = 0; i < documents.size(); ++i) {
        const bool taken = i % 5 != 0;
        book.Add("QV640", "set", taken, documents[i]);
        if (taken) direct.Apply(DecodeDocument(documents[i]), std::to_string(i + 1));
        // The bound and the line of the document that went past it.
        EXPECT_LE(fs::file_size(book.FileOf("QV640")),
                  2000u + RecordEntryLine({}).size() + 2 * documents[i].size() + 60)
            << "after document " << i + 1;
    }
    EXPECT_TRUE(said.empty());
    const auto record = book.Read("QV640");
    ASSERT_TRUE(record);
    EXPECT_GT(record->folded, 250u);
    EXPECT_EQ(record->folded + record->entries.size(), 300u);
    EXPECT_EQ(ImpliedState(*record).ToJson(), direct.ToJson());
}

TEST(RecordBookTest, AFolderThatCannotBeWrittenIsSaidOnceAndNothingElseHappens) {
    const TestFolder folder("qvset-record-");
    std::ofstream(folder.Path() / "a-file") << "not a folder";
    struct Case {
        fs::path folder;
        std::string inMessage;
    };
    for (const Case& c :
         {Case{folder.Path() / "a-file" / "records", "a-file"}, Case{fs::path(), "XDG_STATE_HOME"}}) {
        std::vector<std::string> said;
        RecordBook book(c.folder, "", [&](const std::string& s) { said.push_back(s); });
        for (int i = 0; i < 3; ++i) book.Add("QV640", "hex", true, std::vector<std::uint8_t>{0x0A});
        ASSERT_EQ(said.size(), 1u) << c.inMessage;
        EXPECT_NE(said[0].find(c.inMessage), std::string::npos) << said[0];
        EXPECT_NE(said[0].find("still sent"), std::string::npos) << said[0];
        EXPECT_TRUE(book.Failed());
    }
}

TEST(RecordBookTest, ALockHeldTooLongSkipsTheEntryInsteadOfWaitingOnIt) {
    const TestFolder folder("qvset-record-");
    std::vector<std::string> said;
    RecordBook book(
        folder.Path(), "s", [&](const std::string& s) { said.push_back(s); },
        RecordLimits{1 << 20, std::chrono::milliseconds(30)});
    book.Add("QV640", "first", true, std::vector<std::uint8_t>{0x01});
    {
        const FileLock other(fs::path(book.FileOf("QV640")).concat(".lock"),
                             {.wait = std::chrono::milliseconds(0)});
        ASSERT_TRUE(other.Held());
        book.Add("QV640", "while held", true, std::vector<std::uint8_t>{0x02});
    }
    book.Add("QV640", "after", true, std::vector<std::uint8_t>{0x03});
    ASSERT_EQ(said.size(), 1u);
    EXPECT_NE(said[0].find("lock"), std::string::npos) << said[0];
    const auto record = book.Read("QV640");
    ASSERT_TRUE(record);
    // The document not recorded leaves a gap, said before the next entry.
    ASSERT_EQ(record->entries.size(), 3u);
    EXPECT_EQ(record->entries[0].command, "first");
    EXPECT_EQ(record->entries[1].fate, RecordFate::Gap);
    EXPECT_EQ(record->entries[1].missed, 1u);
    EXPECT_EQ(record->entries[2].command, "after");
}

TEST(RecordBookTest, OneDecoratorKeptAcrossClicksRecordsEachDocumentUnderItsCaption) {
    const TestFolder folder("qvset-record-");
    MemorySpooler spooler({{"QV640", "drv", "usb"}});
    spooler.SetCannotOpen("QV650");
    RecordBook book(folder.Path(), "", nullptr);
    RecordingSpooler recording(spooler, book, "设置票样");
    const std::vector<std::uint8_t> document{0x1B, 0x42, 0x02};
    struct Click {
        std::string caption;
        std::string printer;
        bool taken;
    };
    const Click clicks[] = {{"设置票样", "QV640", true},
                            {"走纸", "QV640", true},
                            {"走纸", "QV650", false},
                            {"自检", "QV640", true}};
    for (const Click& click : clicks) {
        recording.SetCommand(click.caption);
        EXPECT_EQ(recording.WriteRawDocument(click.printer, "AAAAAA", document), click.taken);
    }
    EXPECT_EQ(spooler.Documents().size(), 3u);
    const auto qv640 = book.Read("QV640");
    const auto qv650 = book.Read("QV650");
    ASSERT_TRUE(qv640 && qv650);
    std::vector<std::string> captions;
    for (const auto& entry : qv640->entries) captions.push_back(entry.command);
    EXPECT_EQ(captions, (std::vector<std::string>{"设置票样", "走纸", "自检"}));
    ASSERT_EQ(qv650->entries.size(), 1u);
    EXPECT_EQ(qv650->entries[0].command, "走纸");
    EXPECT_FALSE(qv650->entries[0].taken);
}

// What a record holds after many writers: every writer's documents, each writer's in its own order.
void ExpectEveryWriterWhole(const Record& record, std::size_t writers, std::size_t each) {
    EXPECT_EQ(record.damagedLines, 0u);
    EXPECT_EQ(record.folded + record.entries.size(), writers * each);
    std::map<std::string, std::size_t> next;
    for (const auto& entry : record.entries) {
        const std::size_t number = NumberOf(entry.bytes);
        auto found = next.find(entry.command);
        if (found != next.end()) {
            EXPECT_EQ(number, found->second) << entry.command;
        }
        next[entry.command] = number + 1;
    }
    for (const auto& [writer, following] : next)
        EXPECT_EQ(following, each) << writer << " ends with its last";
}

TEST(RecordBookTest, ManyWritersAtOnceLoseNothing) {
    constexpr std::size_t kWriters = 6;
    constexpr std::size_t kEach = 150;
    struct Case {
        const char* how;
        std::size_t maxBytes;  // small: folds happen while others append
        bool processes;
    };
    for (const Case& c : {Case{"threads", 1 << 20, false}, Case{"threads folding", 3000, false},
                          Case{"processes folding", 3000, true}}) {
        const TestFolder folder("qvset-record-");
        const RecordLimits limits{c.maxBytes, std::chrono::milliseconds(20000)};
        const auto write = [&](std::size_t writer) {
            // A book of its own: separate file handles, as separate processes have.
            RecordBook book(
                folder.Path(), "s", [](const std::string& s) { ADD_FAILURE() << s; }, limits);
            for (std::size_t i = 0; i < kEach; ++i) {
                book.Add("QV640", "writer " + std::to_string(writer), true, NumberBytes(i));
            }
            return !book.Failed();
        };
        if (c.processes) {
            std::vector<pid_t> children;
            for (std::size_t w = 0; w < kWriters; ++w) {
                const pid_t child = ::fork();
                ASSERT_GE(child, 0);
                if (child == 0) ::_exit(write(w) ? 0 : 1);
                children.push_back(child);
            }
            for (const pid_t child : children) {
                int status = 0;
                ASSERT_EQ(::waitpid(child, &status, 0), child);
                EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << c.how;
            }
        } else {
            std::vector<std::thread> threads;
            for (std::size_t w = 0; w < kWriters; ++w)
                threads.emplace_back([&, w] { EXPECT_TRUE(write(w)); });
            for (auto& thread : threads) thread.join();
        }
        const RecordBook reader(folder.Path(), "s", nullptr);
        const auto record = reader.Read("QV640");
        ASSERT_TRUE(record) << c.how;
        SCOPED_TRACE(c.how);
        if (c.maxBytes > 100000) {
            EXPECT_EQ(record->folded, 0u);
        } else {
            EXPECT_GT(record->folded, 0u);
        }
        ExpectEveryWriterWhole(*record, kWriters, kEach);
    }
}

}  // namespace
}  // namespace qvset

namespace qvset {
namespace {

// Whatever is planted at a record's name or at its lock's name (a link to another file, a link to
// nowhere, a FIFO, a folder), the record neither writes through it, nor creates what it points to,
// nor waits on it: the document's entry is skipped and said, the planted thing and its target stay as
// they were, and reading the record says it cannot be read.
TEST(RecordBookTest, PlantedLinksFifosAndFoldersAtTheRecordsNamesAreNeverFollowedOrWaitedOn) {
    enum class Plant { LinkToFile, LinkToNowhere, Fifo, Folder };
    const struct {
        Plant plant;
        bool atLock;  // at the lock's name rather than the record's
    } cases[] = {{Plant::LinkToFile, false}, {Plant::LinkToNowhere, false}, {Plant::Fifo, false},
                 {Plant::Folder, false},     {Plant::LinkToFile, true},     {Plant::LinkToNowhere, true},
                 {Plant::Fifo, true}};
    for (const auto& c : cases) {
        const TestFolder folder("qvset-planted-");
        const fs::path records = folder.Path() / "records";
        fs::create_directories(records);
        const fs::path target = folder.Path() / "precious.bin";
        const std::string precious(64 * 1024, 'p');
        std::ofstream(target, std::ios::binary) << precious;
        std::vector<std::string> said;
        RecordBook book(
            records, "s", [&](const std::string& s) { said.push_back(s); },
            RecordLimits{128, std::chrono::milliseconds(50)});
        const fs::path planted =
            c.atLock ? fs::path(book.FileOf("QV640")).concat(".lock") : book.FileOf("QV640");
        const fs::path nowhere = folder.Path() / "made-by-nobody";
        switch (c.plant) {
            case Plant::LinkToFile:
                fs::create_symlink(target, planted);
                break;
            case Plant::LinkToNowhere:
                fs::create_symlink(nowhere, planted);
                break;
            case Plant::Fifo:
                ASSERT_EQ(::mkfifo(planted.c_str(), 0600), 0);
                break;
            case Plant::Folder:
                fs::create_directory(planted);
                break;
        }
        const std::string name = std::to_string(static_cast<int>(c.plant)) + (c.atLock ? " at the lock" : "");
        for (int i = 0; i < 3; ++i) book.Add("QV640", "hex", true, std::vector<std::uint8_t>(64, 0x0A));
        EXPECT_EQ(said.size(), 1u) << name;
        EXPECT_EQ(testing::ReadFileBytes(target), precious) << name;
        EXPECT_FALSE(fs::exists(nowhere)) << name;
        EXPECT_TRUE(fs::exists(fs::symlink_status(planted))) << name;
        std::string error;
        const auto record = book.Read("QV640", &error);
        if (!c.atLock) {
            EXPECT_FALSE(record) << name;
            EXPECT_NE(error.find("not a regular file"), std::string::npos) << name << ": " << error;
        }
    }
}

}  // namespace
}  // namespace qvset

namespace qvset {
namespace {

// A document the record could not keep is said by a gap line at the end of the run, when no later
// document of the run could say it.
TEST(RecordBookTest, ADocumentNotRecordedLeavesAGapWrittenAtTheEndOfTheRun) {
    const TestFolder folder("qvset-record-gap-");
    {
        RecordBook book(folder.Path(), "s", nullptr, RecordLimits{1 << 20, std::chrono::milliseconds(20)});
        book.Add("QV640", "first", true, std::vector<std::uint8_t>{0x01});
        const FileLock other(fs::path(book.FileOf("QV640")).concat(".lock"),
                             {.wait = std::chrono::milliseconds(0)});
        ASSERT_TRUE(other.Held());
        book.Add("QV640", "while held", true, std::vector<std::uint8_t>{0x02});
        book.Add("QV640", "still held", true, std::vector<std::uint8_t>{0x03});
    }
    RecordBook reader(folder.Path(), "s", nullptr);
    const auto record = reader.Read("QV640");
    ASSERT_TRUE(record);
    ASSERT_EQ(record->entries.size(), 2u);
    EXPECT_EQ(record->entries[0].command, "first");
    EXPECT_EQ(record->entries[1].fate, RecordFate::Gap);
    EXPECT_EQ(record->entries[1].missed, 2u);
    EXPECT_EQ(ImplyRecordedState(*record).unknown.size(), 11u);
}

}  // namespace
}  // namespace qvset
