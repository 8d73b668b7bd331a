// The record file's lines, what a damaged file still gives, and folding: a record folded any number of
// times implies the state its documents imply when applied one by one.
#include <gtest/gtest.h>

#include "decode/CommandDecoder.h"
#include "record/RecordBook.h"
#include "record/RecordFile.h"
#include "record/RecordTestSupport.h"

namespace qvset {
namespace {

RecordEntry Entry(std::string command, bool taken, std::vector<std::uint8_t> bytes) {
    return {"2026-12-08T21:10:00.000Z", "localhost:631", "QV640",
            std::move(command),         taken,           std::move(bytes)};
}

TEST(RecordFileTest, AnEntryReadsBackFromItsLineWithEveryField) {
    const std::vector<RecordEntry> entries = {
        Entry("ticket apply", true, {0x1B, 0x42, 0x02}),
        Entry("设置票样", false, {0x00, 0xFF, 0x0A, 0x0D}),
        {"2026-01-01T00:00:00.000Z", "", "打印机 \"1\"\t", "hex", true, {}},
    };
    for (const auto& entry : entries) {
        const std::string line = RecordEntryLine(entry);
        EXPECT_EQ(line.find('\n'), line.size() - 1) << "one line per entry: " << line;
        EXPECT_EQ(ParseRecordEntryLine(line), entry) << line;
    }
}

TEST(RecordFileTest, LinesThatAreNotWholeEntriesAreRefused) {
    const std::string good = RecordEntryLine(Entry("hex", true, {0x1B, 0x40}));
    const std::vector<std::string> refused = {
        good.substr(0, good.size() / 2),  // cut off by a crash
        "",                               // empty
        R"({"time":"t","server":"","printer":"P","command":"hex","taken":true,"bytes":"1B4"})",  // odd hex
        R"({"time":"t","server":"","printer":"P","command":"hex","taken":true,"bytes":"1G"})",   // not hex
        R"({"time":"t","server":"","printer":"P","command":"hex","taken":"yes","bytes":"1B"})",  // taken
        R"({"time":"t","server":"","printer":"P","taken":true,"bytes":"1B"})",                   // no command
        "[1,2]",
    };
    for (const auto& line : refused) EXPECT_FALSE(ParseRecordEntryLine(line)) << line;
}

TEST(RecordFileTest, ADamagedLineIsLeftOutAndTheOthersKeepTheirOrder) {
    const RecordEntry first = Entry("first", true, {0x01});
    const RecordEntry second = Entry("second", false, {0x02});
    const std::string cut = RecordEntryLine(Entry("cut", true, {0x03}));
    const std::string text = RecordEntryLine(first) + cut.substr(0, 20) + '\n' + RecordEntryLine(second);
    const auto record = ParseRecord(text);
    ASSERT_TRUE(record);
    ASSERT_EQ(record->entries.size(), 2u);
    EXPECT_EQ(record->entries[0], first);
    EXPECT_EQ(record->entries[1], second);
    EXPECT_EQ(record->damagedLines, 1u);
}

TEST(RecordFileTest, AFoldedRecordReadsBackWithItsSnapshotAndNumbers) {
    Record record;
    for (const auto& bytes : testing::SettingDocuments(10, 7))
        record.entries.push_back(Entry("x", true, bytes));
    FoldRecord(record, RecordEntryLine(record.entries.back()).size() * 3);
    ASSERT_GT(record.folded, 0u);
    const auto again = ParseRecord(RecordText(record));
    ASSERT_TRUE(again);
    EXPECT_EQ(again->folded, record.folded);
    EXPECT_EQ(again->entries, record.entries);
    EXPECT_EQ(again->snapshot.ToJson(), record.snapshot.ToJson());
    EXPECT_EQ(again->NumberOf(0), record.folded + 1);

    // A snapshot that cannot be read is no empty state: the record is not read at all.
    std::string text = RecordText(record);
    text.replace(text.find("\"state\""), 7, "\"stat\"");
    std::string error;
    EXPECT_FALSE(ParseRecord(text, &error));
    EXPECT_NE(error.find("folded"), std::string::npos) << error;
}

TEST(RecordFileTest, FoldingManyTimesKeepsTheImpliedStateExact) {
    struct Case {
        std::size_t documents;
        std::size_t keepBytes;  // what a fold keeps; the record folds whenever it holds twice that
        unsigned seed;
    };
    for (const Case& c : {Case{30, 300, 1}, Case{50, 600, 2}, Case{16, 0, 3}, Case{40, 100000, 4}}) {
        const auto documents = testing::SettingDocuments(c.documents, c.seed);
        // The state the documents leave applied one by one, each as the job of its number, skipping
        // the ones the spooler did not take (every seventh: it never reached the printer).
        PrinterState direct;
        Record record;
        std::size_t size = 0;
        int folds = 0;
        for (std::size_t i = 0; i < documents.size(); ++i) {
            const bool taken = i % 7 != 3;
            if (taken) direct.Apply(DecodeDocument(documents[i]), std::to_string(i + 1));
            record.entries.push_back(Entry("cmd", taken, documents[i]));
            size += RecordEntryLine(record.entries.back()).size();
            if (size > 2 * c.keepBytes + 200) {
                FoldRecord(record, c.keepBytes);
                record = *ParseRecord(RecordText(record));
                size = RecordText(record).size();
                ++folds;
                ASSERT_EQ(ImpliedState(record).ToJson(), direct.ToJson())
                    << "seed " << c.seed << ", document " << i + 1;
            }
        }
        EXPECT_EQ(record.folded + record.entries.size(), c.documents) << c.seed;
        EXPECT_EQ(ImpliedState(record).ToJson(), direct.ToJson()) << "seed " << c.seed;
        if (c.keepBytes < 10000) {
            EXPECT_GT(folds, 3) << "seed " << c.seed;
        }
    }
}

TEST(RecordFileTest, EachPrinterAndServerHasAFileOfItsOwn) {
    struct Case {
        std::string server;
        std::string printer;
        std::string file;
    };
    for (const Case& c : {
             Case{"localhost:631", "QV640", "QV640@localhost%3A631.jsonl"},
             Case{"/run/cups/cups.sock", "QV640", "QV640@%2Frun%2Fcups%2Fcups.sock.jsonl"},
             Case{"", "打印机", "%E6%89%93%E5%8D%B0%E6%9C%BA@.jsonl"},
             Case{"b", "a@c", "a%40c@b.jsonl"},
             Case{"c", "a@b", "a%40b@c.jsonl"},
             Case{"x", "..", "..@x.jsonl"},
             Case{"x", "a/../b", "a%2F..%2Fb@x.jsonl"},
         }) {
        EXPECT_EQ(RecordFilePath("/state", c.server, c.printer), std::filesystem::path("/state") / c.file)
            << c.printer << " on " << c.server;
    }
}

TEST(RecordFileTest, TimesAreWrittenInUtcWithMilliseconds) {
    using namespace std::chrono;
    struct Case {
        system_clock::time_point time;
        std::string text;
    };
    for (const Case& c : {
             Case{system_clock::time_point{}, "1970-01-01T00:00:00.000Z"},
             Case{system_clock::time_point{milliseconds(1796764200123)}, "2026-12-08T21:10:00.123Z"},
             Case{system_clock::time_point{milliseconds(951868799999)}, "2000-02-29T23:59:59.999Z"},
         }) {
        EXPECT_EQ(RecordTime(c.time), c.text);
    }
}

}  // namespace
}  // namespace qvset
