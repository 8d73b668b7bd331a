#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "printer/Spooler.h"
#include "record/RecordFile.h"

namespace qvset {

// How large a printer's record may grow and how long a writer waits for another one.
struct RecordLimits {
    // A record file past this size has its older documents folded into the state they imply, keeping
    // the newest documents that fit in half of it.
    std::size_t maxBytes = std::size_t{1024} * 1024;
    std::chrono::milliseconds lockWait{2000};
};

// The records of every printer of one print server, one file per printer in one folder. A device reached
// without a spooler (a printer named by its device URI) is kept under its URI and no server, in every book. A
// program keeps one book per server for its whole run: a record that cannot be written is said once, through
// `say`, and never stops a document from being sent. Several threads may add to one book at once.
class RecordBook {
  public:
    using Say = std::function<void(const std::string&)>;

    RecordBook(std::filesystem::path folder, std::string server, Say say, RecordLimits limits = {});
    // Documents sent that no line of the record holds are said, at the end, by a gap line in each
    // record concerned, when it can be written then (descriptors freed, the lock let go).
    ~RecordBook();
    RecordBook(const RecordBook&) = delete;
    RecordBook& operator=(const RecordBook&) = delete;

    // Appends one document handed to the spooler for `printer`, after it was handed over. Several
    // processes may append to the same record at once: each line is written whole under a lock.
    void Add(const std::string& printer, std::string_view command, bool taken,
             std::span<const std::uint8_t> bytes);

    // Before a document is handed over: writes it as pending and gives the id that Finish completes it
    // by (empty when it could not be written). A pending entry never finished (the program was stopped
    // in between) makes what the document sets unknown.
    std::string Begin(const std::string& printer, const QueueIdentity& queue, std::string_view command,
                      std::span<const std::uint8_t> bytes);
    // After the hand-over: what the spooler answered. Without an id (Begin failed) the whole entry is
    // written now; when that fails too, the next line that can be written to the record is a gap.
    void Finish(const std::string& printer, const QueueIdentity& queue, const std::string& id,
                std::string_view command, std::span<const std::uint8_t> bytes, bool taken,
                const DocumentReceipt& receipt);
    // What the server later said became of jobs of the record: each entry's id, its fate and, for a
    // document whose answer never came, the job found for it.
    struct FateNote {
        std::string id;
        RecordFate fate = RecordFate::Answered;
        int job = 0;
    };
    void NoteFates(const std::string& printer, const QueueIdentity& queue,
                   const std::vector<FateNote>& fates);

    // A printer's record as it is now; an empty record when nothing was sent to it yet. nullopt, with
    // the reason in `error`, when it cannot be read. A printer whose queue has a lasting identity is
    // kept under it, whichever spelling of the server or the name reached it; a record kept under this
    // book's spelling before is carried over to it the first time it is used.
    std::optional<Record> Read(std::string_view printer, std::string* error = nullptr) const;
    std::optional<Record> Read(std::string_view printer, const QueueIdentity& queue,
                               std::string* error = nullptr) const;

    std::filesystem::path FileOf(std::string_view printer) const;
    std::filesystem::path FileOf(std::string_view printer, const QueueIdentity& queue) const;
    // A book of another print server in the same folder, saying its problems the same way.
    std::unique_ptr<RecordBook> ForServer(std::string server) const;
    const std::string& Server() const { return m_server; }
    const std::filesystem::path& Folder() const { return m_folder; }
    // Whether writing failed at least once (and was said).
    bool Failed() const {
        const std::lock_guard guard(m_failing);
        return m_failed;
    }
    // The time written into each entry; by default the system's clock in UTC.
    void SetClock(std::function<std::string()> now) { m_now = std::move(now); }

  private:
    bool Append(const std::filesystem::path& file, const std::string& line, std::string& problem);
    void Fail(const std::string& problem);
    // Writes `line` to the printer's record (carrying an older record over first); false when it
    // could not be, said once.
    bool Write(const std::string& printer, const QueueIdentity& queue, const std::string& line);
    // The record kept under this book's spelling, moved into the identity's file (joined by time with
    // what that file holds). Called under the identity file's lock.
    bool CarryOver(const std::filesystem::path& from, const std::filesystem::path& to, std::string& problem);
    std::string NextId();

    std::filesystem::path m_folder;
    std::string m_server;
    Say m_say;
    RecordLimits m_limits;
    std::function<std::string()> m_now;
    mutable std::mutex m_failing;
    bool m_failed = false;
    // After one lock that was not had in time, the others are not waited for in this run.
    bool m_lockGivenUp = false;
    // Documents sent that no line of the record holds, by file: said by a gap line when it can be.
    std::map<std::filesystem::path, std::size_t> m_missed;
    std::string m_idStem;
    std::size_t m_idCount = 0;
};

// The time as a record writes it: UTC with milliseconds, "2026-12-08T21:10:00.123Z".
std::string RecordTime(std::chrono::system_clock::time_point time);

// The folder of the records in the user's state folder; empty when the state folder is (the record then
// says it has no folder).
std::filesystem::path RecordFolder(const std::filesystem::path& stateFolder);

// Whether the user turned the record off (QVSET_RECORD=off).
bool RecordTurnedOff();

}  // namespace qvset
