// What the record knows became of each document, and what it cannot vouch for: a document's fate
// (answered, no answer, pending, cancelled, aborted), a gap, a job of another sender; the printer known
// by its identity whichever spelling reached it, and older records carried over to it.
#include <gtest/gtest.h>

#include <fstream>

#include "printer/ForwardingSpooler.h"
#include "printer/HexCodec.h"
#include "printer/MemorySpooler.h"
#include "record/RecordBook.h"
#include "record/RecordFile.h"
#include "record/RecordWithServer.h"
#include "record/RecordingSpooler.h"
#include "record/TicketPlan.h"
#include "settings/FlagCommands.h"
#include "support/TestFolder.h"

namespace qvset {
namespace {

namespace fs = std::filesystem;
using testing::TestFolder;

std::vector<std::uint8_t> Flag(int item, std::int16_t code) {
    return *DecodeHex(BuildFlagCommand(item, code));
}

RecordEntry Document(std::string time, std::vector<std::uint8_t> bytes, RecordFate fate, bool taken = true,
                     int job = 0) {
    RecordEntry entry{std::move(time), "s", "QV640", "set", taken, std::move(bytes)};
    entry.fate = fate;
    entry.job = job;
    return entry;
}

TEST(RecordFateTest, EachFateOfADocumentLeavesItsItemsKnownOrUnknown) {
    const struct {
        RecordFate fate;
        bool taken;
        // What item 2 is after the second paper document: its code's bytes, or unknown with these words.
        std::int16_t holds;
        std::string unknownWords;
        bool blackMarkUnknown;
    } cases[] = {
        {RecordFate::Answered, true, 88, "", false},
        {RecordFate::Answered, false, 99, "", false},
        {RecordFate::Completed, true, 88, "", false},
        {RecordFate::NoAnswer, false, 99, "may have been printed", false},
        {RecordFate::Pending, false, 99, "being handed over", false},
        {RecordFate::Canceled, true, 99, "(job 7) was cancelled", false},
        {RecordFate::Aborted, true, 99, "(job 7) was aborted", false},
        {RecordFate::Gap, false, 99, "could not keep", true},
    };
    for (const auto& c : cases) {
        Record record;
        record.entries.push_back(Document("2026-12-08T10:00:00.000Z", Flag(1, 99), RecordFate::Answered));
        record.entries.push_back(Document("2026-12-08T10:00:01.000Z", Flag(2, 99), RecordFate::Answered));
        record.entries.push_back(Document(
            "2026-12-08T10:00:02.000Z", c.fate == RecordFate::Gap ? std::vector<std::uint8_t>{} : Flag(2, 88),
            c.fate, c.taken, 7));
        const std::string name(RecordFateWord(c.fate));
        const RecordedState state = ImplyRecordedState(record);
        ASSERT_TRUE(state.state.Switches().count(2)) << name;
        EXPECT_EQ(state.state.Switches().at(2).bytes, Flag(2, c.holds)) << name;
        if (c.unknownWords.empty()) {
            EXPECT_EQ(state.unknown.count(2), 0u) << name;
        } else {
            ASSERT_EQ(state.unknown.count(2), 1u) << name;
            EXPECT_NE(state.unknown.at(2).find(c.unknownWords), std::string::npos) << state.unknown.at(2);
        }
        EXPECT_EQ(state.unknown.count(1), c.blackMarkUnknown ? 1u : 0u) << name;

        // The plan sends an unknown item, and says why.
        TicketDescription description;
        description.SetCode(1, 99);
        description.SetCode(2, c.holds);
        const auto plan = PlanTicket(description, state.state, state.unknown);
        ASSERT_TRUE(plan && plan->size() == 2u) << name;
        EXPECT_EQ((*plan)[1].reason, c.unknownWords.empty() ? ItemPlanReason::Same : ItemPlanReason::Unknown)
            << name;
        EXPECT_EQ((*plan)[1].why, c.unknownWords.empty() ? "" : state.unknown.at(2));
        EXPECT_EQ(ChangedItems(description, *plan).Code(2), c.unknownWords.empty() ? 0 : c.holds) << name;

        // A document the printer got sets the item again: known from there.
        record.entries.push_back(Document("2026-12-08T10:00:03.000Z", Flag(2, 88), RecordFate::Answered));
        const RecordedState after = ImplyRecordedState(record);
        EXPECT_EQ(after.unknown.count(2), 0u) << name;
        EXPECT_EQ(after.state.Switches().at(2).bytes, Flag(2, 88)) << name;
        EXPECT_EQ(after.unknown.count(1), c.blackMarkUnknown ? 1u : 0u) << name;
    }
}

TEST(RecordFateTest, UpdatesCompleteTheirEntryAndUnknownItemsSurviveFolding) {
    RecordEntry pending = Document("2026-12-08T10:00:00.000Z", Flag(2, 88), RecordFate::Pending, false);
    pending.id = "abc-1";
    RecordEntry gap;
    gap.time = "2026-12-08T10:00:05.000Z";
    gap.fate = RecordFate::Gap;
    gap.missed = 3;
    const std::string text =
        RecordEntryLine(pending) + RecordUpdateLine("nobody-9", RecordFate::Completed, true, 4) +
        RecordEntryLine(Document("2026-12-08T10:00:01.000Z", Flag(1, 99), RecordFate::Answered, true, 12)) +
        RecordUpdateLine("abc-1", RecordFate::NoAnswer, false, 0) + RecordEntryLine(gap);
    auto record = ParseRecord(text);
    ASSERT_TRUE(record);
    EXPECT_EQ(record->damagedLines, 0u);
    ASSERT_EQ(record->entries.size(), 3u);
    EXPECT_EQ(record->entries[0].fate, RecordFate::NoAnswer);
    EXPECT_EQ(record->entries[1].job, 12);
    EXPECT_EQ(record->entries[2].fate, RecordFate::Gap);
    EXPECT_EQ(record->entries[2].missed, 3u);
    // Each line reads back as it was written.
    for (const auto& entry : record->entries) EXPECT_EQ(ParseRecordEntryLine(RecordEntryLine(entry)), entry);

    // Folded, the state keeps what it cannot vouch for.
    Record folded = *record;
    folded.entries.erase(folded.entries.begin() + 2);
    FoldRecord(folded, 0);
    ASSERT_EQ(folded.folded, 2u);
    const auto reread = ParseRecord(RecordText(folded));
    ASSERT_TRUE(reread);
    const RecordedState state = ImplyRecordedState(*reread);
    ASSERT_EQ(state.unknown.count(2), 1u);
    EXPECT_NE(state.unknown.at(2).find("document 1 got no answer"), std::string::npos) << state.unknown.at(2);
    EXPECT_EQ(state.unknown.count(1), 0u);
    EXPECT_EQ(reread->snapshotTime, "2026-12-08T10:00:01.000Z");
}

TEST(RecordFateTest, APrinterOrServerCalledFoldedKeepsAReadableRecord) {
    for (const auto& [server, printer] : std::vector<std::pair<std::string, std::string>>{
             {"s", "folded"}, {"folded", "QV640"}, {"\"folded\":1", "{\"folded\""}}) {
        RecordEntry entry = Document("2026-12-08T10:00:00.000Z", Flag(2, 88), RecordFate::Answered);
        entry.server = server;
        entry.printer = printer;
        const auto record = ParseRecord(RecordEntryLine(entry) + RecordEntryLine(entry));
        ASSERT_TRUE(record) << printer;
        EXPECT_EQ(record->entries.size(), 2u) << printer;
        EXPECT_EQ(record->folded, 0u) << printer;
    }
}

// A server whose printers have lasting identities, that can be told how its next document fares and
// which jobs it lists; it reads the record while a document is handed over.
class IdentifiedServer final : public ForwardingSpooler {
  public:
    explicit IdentifiedServer(MemorySpooler& inner) : ForwardingSpooler(inner) {}

    QueueIdentity IdentifyPrinter(const std::string& deviceName) override {
        for (const auto& [name, identity] : identities) {
            if (SameName(name, deviceName)) return {identity, name};
        }
        return {{}, deviceName};
    }
    bool WriteRawDocument(const std::string& deviceName, std::string_view documentName,
                          std::span<const std::uint8_t> payload) override {
        if (onWrite) onWrite();
        receipt = next;
        if (next.mayHavePrinted) return false;
        const bool taken = Inner().WriteRawDocument(deviceName, documentName, payload);
        receipt.job = taken ? ++lastJob : 0;
        return taken;
    }
    DocumentReceipt LastReceipt() override { return receipt; }
    std::optional<std::vector<ServerJob>> JobsOf(const std::string&) override { return jobs; }

    static bool SameName(std::string_view a, std::string_view b) {
        if (a.size() != b.size()) return false;
        for (std::size_t i = 0; i < a.size(); ++i) {
            if (std::tolower(static_cast<unsigned char>(a[i])) !=
                std::tolower(static_cast<unsigned char>(b[i])))
                return false;
        }
        return true;
    }

    std::vector<std::pair<std::string, std::string>> identities;
    DocumentReceipt next;
    DocumentReceipt receipt;
    int lastJob = 100;
    std::optional<std::vector<ServerJob>> jobs;
    std::function<void()> onWrite;
};

std::vector<RecordFate> Fates(const Record& record) {
    std::vector<RecordFate> fates;
    for (const auto& entry : record.entries) fates.push_back(entry.fate);
    return fates;
}

TEST(RecordFateTest, TheEntryIsPendingDuringTheHandOverAndCompletedWithTheJobAfterIt) {
    const TestFolder folder("qvset-fate-");
    MemorySpooler memory({{"QV640_A1", "drv", "usb"}});
    IdentifiedServer server(memory);
    server.identities = {{"QV640_A1", "urn:uuid:1111-aaaa"}};
    RecordBook book(folder.Path(), "localhost:631", nullptr);
    RecordingSpooler recording(server, book, "set");
    std::vector<std::vector<RecordFate>> during;
    server.onWrite = [&] {
        during.push_back(Fates(*book.Read("QV640_A1", server.IdentifyPrinter("QV640_A1"))));
    };

    ASSERT_TRUE(recording.WriteRawDocument("QV640_A1", "AAAAAA", Flag(2, 88)));
    server.next.mayHavePrinted = true;
    ASSERT_FALSE(recording.WriteRawDocument("qv640_a1", "AAAAAA", Flag(1, 99)));

    EXPECT_EQ(during, (std::vector<std::vector<RecordFate>>{{RecordFate::Pending},
                                                            {RecordFate::Answered, RecordFate::Pending}}));
    // One record for both spellings of the name, under the queue's identity, with the server's spelling.
    const auto record = book.Read("qv640_A1", server.IdentifyPrinter("qv640_A1"));
    ASSERT_TRUE(record);
    EXPECT_EQ(Fates(*record), (std::vector<RecordFate>{RecordFate::Answered, RecordFate::NoAnswer}));
    EXPECT_EQ(record->entries[0].job, 101);
    EXPECT_TRUE(record->entries[0].taken);
    EXPECT_EQ(record->entries[1].printer, "QV640_A1");
    EXPECT_EQ(book.FileOf("x", server.IdentifyPrinter("QV640_A1")).filename(), "queue-1111-aaaa.jsonl");
    std::vector<std::string> files;
    for (const auto& file : fs::directory_iterator(folder.Path()))
        files.push_back(file.path().filename().string());
    std::sort(files.begin(), files.end());
    EXPECT_EQ(files, (std::vector<std::string>{"queue-1111-aaaa.jsonl", "queue-1111-aaaa.jsonl.lock"}));
}

TEST(RecordFateTest, RecordsKeptUnderSpellingsAreCarriedOverToTheIdentityJoinedByTime) {
    const TestFolder folder("qvset-fate-");
    const auto at = [](int second) {
        return [second]() mutable {
            const std::string time =
                "2026-12-08T10:00:" + std::string(second < 10 ? "0" : "") + std::to_string(second) + ".000Z";
            ++second;
            return time;
        };
    };
    RecordBook byAddress(folder.Path(), "127.0.0.1:631", nullptr);
    byAddress.SetClock(at(10));
    byAddress.Add("QV640_A1", "first by address", true, Flag(1, 99));
    byAddress.Add("QV640_A1", "second by address", true, Flag(2, 99));
    RecordBook byName(folder.Path(), "localhost:631", nullptr);
    byName.SetClock(at(12));
    byName.Add("qv640_a1", "by name", true, Flag(2, 88));

    MemorySpooler memory({{"QV640_A1", "drv", "usb"}});
    IdentifiedServer server(memory);
    server.identities = {{"QV640_A1", "urn:uuid:1111-aaaa"}};
    // The old records under each spelling join the identity's as each spelling is used again.
    RecordingSpooler viaName(server, byName, "hex");
    ASSERT_TRUE(viaName.WriteRawDocument("qv640_a1", "AAAAAA", Flag(3, 99)));
    RecordingSpooler viaAddress(server, byAddress, "hex");
    ASSERT_TRUE(viaAddress.WriteRawDocument("QV640_A1", "AAAAAA", Flag(4, 99)));

    const auto record = byName.Read("QV640_A1", server.IdentifyPrinter("QV640_A1"));
    ASSERT_TRUE(record);
    std::vector<std::string> commands;
    for (const auto& entry : record->entries) commands.push_back(entry.command);
    EXPECT_EQ(commands,
              (std::vector<std::string>{"first by address", "second by address", "by name", "hex", "hex"}));
    EXPECT_FALSE(fs::exists(byAddress.FileOf("QV640_A1")));
    EXPECT_FALSE(fs::exists(byName.FileOf("qv640_a1")));
    // The paper the printer holds is the one of the newest document, whichever spelling sent it.
    EXPECT_EQ(ImpliedState(*record).Switches().at(2).bytes, Flag(2, 88));
}

TEST(RecordFateTest, TheServersJobsSayWhatBecameOfDocumentsAndWhichItemsOthersMayHaveChanged) {
    const TestFolder folder("qvset-fate-");
    MemorySpooler memory({{"QV640", "drv", "usb"}});
    IdentifiedServer server(memory);
    RecordBook book(folder.Path(), "s", nullptr);
    int second = 0;
    book.SetClock([&] {
        const std::string time =
            "2026-12-08T10:00:" + std::string(second < 10 ? "0" : "") + std::to_string(second) + ".000Z";
        second += 2;
        return time;
    });
    RecordingSpooler recording(server, book, "set");
    // 10:00:00 paper (job 101), 10:00:02 print head (job 102), 10:00:04 edge: no answer, 10:00:06 black
    // mark (job 103).
    ASSERT_TRUE(recording.WriteRawDocument("QV640", "AAAAAA", Flag(2, 88)));
    ASSERT_TRUE(recording.WriteRawDocument("QV640", "AAAAAA", Flag(3, 88)));
    server.next.mayHavePrinted = true;
    ASSERT_FALSE(recording.WriteRawDocument("QV640", "AAAAAA", Flag(4, 88)));
    server.next = {};
    ASSERT_TRUE(recording.WriteRawDocument("QV640", "AAAAAA", Flag(1, 88)));

    const auto seconds = [](int s) { return *RecordTimeSeconds("2026-12-08T10:00:00.000Z") + s; };
    server.jobs = std::vector<ServerJob>{
        {101, JobState::Completed, "me", "pc1", "AAAAAA", seconds(0), true},
        {102, JobState::Canceled, "me", "pc1", "AAAAAA", seconds(2), true},
        // Another PC's job, after the paper and the print head and before the edge were last set.
        {104, JobState::Completed, "other", "pc2", "AAAAAA", seconds(3), false},
        // The document whose answer came late: this user's job made just after its entry.
        {150, JobState::Completed, "me", "pc1", "AAAAAA", seconds(5), true},
    };
    const auto checked = ReadRecordWithServer(book, server, "QV640", nullptr);
    ASSERT_TRUE(checked);
    EXPECT_TRUE(checked->serverAsked);
    EXPECT_EQ(Fates(checked->record), (std::vector<RecordFate>{RecordFate::Completed, RecordFate::Canceled,
                                                               RecordFate::Completed, RecordFate::Answered}));
    EXPECT_EQ(checked->record.entries[2].job, 150);
    const auto& unknown = checked->state.unknown;
    std::vector<int> items;
    for (const auto& [item, reason] : unknown) items.push_back(item);
    EXPECT_EQ(items, (std::vector<int>{2, 3})) << (unknown.empty() ? "" : unknown.begin()->second);
    EXPECT_NE(unknown.at(2).find("job 104 on the server (user other on pc2)"), std::string::npos)
        << unknown.at(2);
    EXPECT_NE(unknown.at(3).find("cancelled"), std::string::npos) << unknown.at(3);
    EXPECT_EQ(checked->state.state.Switches().at(4).bytes, Flag(4, 88));

    // What the server said is in the record: a later read without the server knows it too.
    server.jobs.reset();
    const auto later = ReadRecordWithServer(book, server, "QV640", nullptr);
    ASSERT_TRUE(later);
    EXPECT_FALSE(later->serverAsked);
    EXPECT_EQ(Fates(later->record), Fates(checked->record));
    EXPECT_EQ(later->record.entries[2].job, 150);
}

}  // namespace
}  // namespace qvset

namespace qvset {
namespace {

// A document past the bound is kept by its size, its digest and its settings, and implies what the
// whole document implies.
TEST(RecordFateTest, ALargeDocumentIsKeptByItsDigestAndTheStateItImplies) {
    std::vector<std::uint8_t> document;
    const auto add = [&](const std::vector<std::uint8_t>& bytes) {
        document.insert(document.end(), bytes.begin(), bytes.end());
    };
    for (int block = 0; block < 40; ++block) {
        add(std::vector<std::uint8_t>(4000, 'A'));           // text
        add(std::vector<std::uint8_t>(500, 0x0A));           // a run of line feeds
        add(Flag(1 + block % 6, block % 2 == 0 ? 99 : 88));  // a switch, set again and again
        add(std::vector<std::uint8_t>{0xFF, 0xFE, 0x1B});    // bytes no builder writes
    }
    ASSERT_GT(document.size(), kMostRecordedBytes);
    const RecordedBytes recorded = BytesToRecord(document);
    EXPECT_EQ(recorded.size, document.size());
    EXPECT_EQ(recorded.digest.rfind("fnv1a64:", 0), 0u);
    EXPECT_EQ(recorded.digest.size(), 8u + 16u);
    EXPECT_LT(recorded.bytes.size(), 40u * 3u + 1u);

    Record whole;
    whole.entries.push_back(Document("2026-12-08T10:00:00.000Z", document, RecordFate::Answered));
    Record kept;
    RecordEntry entry = Document("2026-12-08T10:00:00.000Z", recorded.bytes, RecordFate::Answered);
    entry.size = recorded.size;
    entry.digest = recorded.digest;
    kept.entries.push_back(entry);
    EXPECT_EQ(ImpliedState(*ParseRecord(RecordText(kept))).ToJson(), ImpliedState(whole).ToJson());
    EXPECT_EQ(ParseRecordEntryLine(RecordEntryLine(entry)), entry);

    // One byte changed: another digest. A small document is kept whole.
    document[10] = 'B';
    EXPECT_NE(BytesToRecord(document).digest, recorded.digest);
    const RecordedBytes small = BytesToRecord(Flag(2, 88));
    EXPECT_EQ(small.bytes, Flag(2, 88));
    EXPECT_TRUE(small.digest.empty());
}

}  // namespace
}  // namespace qvset
