#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <map>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "decode/PrinterState.h"

namespace qvset {

// What the record knows became of a document.
enum class RecordFate {
    Answered,   // the spooler answered: `taken` says whether it took the document
    Pending,    // written before the hand-over and never completed: the program was stopped meanwhile
    NoAnswer,   // the whole document went out but no answer came in time: it may have been printed
    Completed,  // the server said the job completed
    Canceled,   // the server said the job was cancelled: it may not have printed, or only in part
    Aborted,    // the server said it gave the job up: part of it may have reached the printer
    Gap,        // not a document: the record could not be written for documents that were sent
};
std::string_view RecordFateWord(RecordFate fate);  // "answered", "pending", "no answer", ...

// One document handed to a spooler, as the record of its printer keeps it.
struct RecordEntry {
    std::string time;     // UTC, "2026-12-08T21:10:00.123Z"
    std::string server;   // the print server ("localhost:631", a socket path; empty: the local machine)
    std::string printer;  // the printer's name on that server
    std::string command;  // what sent it: a qvctl command name ("ticket apply") or a control's caption
    bool taken = false;   // whether the spooler took the document
    std::vector<std::uint8_t> bytes;
    int job = 0;  // the server's job id; 0 when it gave none
    RecordFate fate = RecordFate::Answered;
    // What later lines name the entry by ("of"); empty for entries written whole at once.
    std::string id = {};
    // A gap: how many documents were sent while the record could not be written (0: not known).
    std::size_t missed = 0;
    // A document above kMostRecordedBytes: its size and digest; `bytes` then holds only the commands
    // of it that change the printer's state, in their order (they imply the same state).
    std::uint64_t size = 0;
    std::string digest = {};

    bool operator==(const RecordEntry&) const = default;
};

// Documents longer than this are recorded by their size, digest and state-changing commands.
inline constexpr std::size_t kMostRecordedBytes = std::size_t{64} * 1024;

// What the record keeps of a document's bytes: all of them, or for a document above
// kMostRecordedBytes, decoded as a stream, its commands that change the printer's state with its size
// and digest ("fnv1a64:" and 16 hex digits).
struct RecordedBytes {
    std::vector<std::uint8_t> bytes;
    std::uint64_t size = 0;  // 0: `bytes` is the whole document
    std::string digest;
};
RecordedBytes BytesToRecord(std::span<const std::uint8_t> document);

// A printer's record: the state its folded (oldest) documents left, how many they were, and the later
// documents, oldest first. Document numbers run on across folds: the first entry is number folded + 1.
struct Record {
    std::size_t folded = 0;
    PrinterState snapshot;
    // The items the folded documents left unknown, with why; and the time of the last of them.
    std::map<int, std::string> snapshotUnknown;
    std::string snapshotTime;
    std::vector<RecordEntry> entries;
    // Lines that could not be read (a line cut off by a crash or a full disk); they are left out.
    std::size_t damagedLines = 0;

    std::size_t NumberOf(std::size_t index) const { return folded + index + 1; }
};

// One entry as one line of the record file: a JSON object ending in "\n".
std::string RecordEntryLine(const RecordEntry& entry);
// A line that completes or updates the entry `id` written earlier: what the spooler answered, or what
// the server later said became of the job.
std::string RecordUpdateLine(std::string_view id, RecordFate fate, bool taken, int job);
// A line that says documents were sent while the record could not be written.
std::string RecordGapLine(std::string_view time, std::size_t missed);
// The entry a line holds; nullopt for anything else.
std::optional<RecordEntry> ParseRecordEntryLine(std::string_view line);

// The whole file: the snapshot line (when anything was folded) and then one line per entry.
std::string RecordText(const Record& record);
// Reads a record file's text. nullopt, with the reason in `error`, when its snapshot line cannot be
// read (the state it held would be lost); damaged entry lines are only counted.
std::optional<Record> ParseRecord(std::string_view text, std::string* error = nullptr);

// Folds the oldest entries into the snapshot, keeping the newest ones whose lines together take at most
// `keepBytes`. Only documents the spooler took change the state; each is applied as the job of its
// document number.
void FoldRecord(Record& record, std::size_t keepBytes);

// The state the record implies: its snapshot, then every later document the spooler took.
PrinterState ImpliedState(const Record& record);

// The implied state and the items it cannot vouch for: every item that a document of unknown fate
// (no answer, pending, cancelled or aborted on the server) could have set, and every item after a gap,
// until a document the spooler took sets it again. Each unknown item has its reason in words.
struct RecordedState {
    PrinterState state;
    std::map<int, std::string> unknown;
    // The time of the document that last set each item ("" for the folded ones: not known).
    std::map<int, std::string> setAt;
};
RecordedState ImplyRecordedState(const Record& record);

// The items (1 to 11) a document would set.
std::vector<int> ItemsSetBy(std::span<const std::uint8_t> bytes);

// Seconds since the epoch of a record time ("2026-12-08T21:10:00.123Z"); nullopt for anything else.
std::optional<std::int64_t> RecordTimeSeconds(std::string_view time);

// The file of one printer's record inside the record folder: the printer's and the server's names with
// every byte but letters, digits, '.', '-' and '_' written as %XX, "PRINTER@SERVER.jsonl".
std::filesystem::path RecordFilePath(const std::filesystem::path& folder, std::string_view server,
                                     std::string_view printer);

// A path as UTF-8 text, for messages and JSON (on Windows too, whatever the code page).
std::string PathText(const std::filesystem::path& path);

}  // namespace qvset
