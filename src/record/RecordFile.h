#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "decode/PrinterState.h"

namespace qvset {

// One document handed to a spooler, as the record of its printer keeps it.
struct RecordEntry {
    std::string time;     // UTC, "2026-12-08T21:10:00.123Z"
    std::string server;   // the print server ("localhost:631", a socket path; empty: the local machine)
    std::string printer;  // the printer's name on that server
    std::string command;  // what sent it: a qvctl command name ("ticket apply") or a control's caption
    bool taken = false;   // whether the spooler took the document
    std::vector<std::uint8_t> bytes;

    bool operator==(const RecordEntry&) const = default;
};

// A printer's record: the state its folded (oldest) documents left, how many they were, and the later
// documents, oldest first. Document numbers run on across folds: the first entry is number folded + 1.
struct Record {
    std::size_t folded = 0;
    PrinterState snapshot;
    std::vector<RecordEntry> entries;
    // Lines that could not be read (a line cut off by a crash or a full disk); they are left out.
    std::size_t damagedLines = 0;

    std::size_t NumberOf(std::size_t index) const { return folded + index + 1; }
};

// One entry as one line of the record file: a JSON object ending in "\n".
std::string RecordEntryLine(const RecordEntry& entry);
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

// The file of one printer's record inside the record folder: the printer's and the server's names with
// every byte but letters, digits, '.', '-' and '_' written as %XX, "PRINTER@SERVER.jsonl".
std::filesystem::path RecordFilePath(const std::filesystem::path& folder, std::string_view server,
                                     std::string_view printer);

// A path as UTF-8 text, for messages and JSON (on Windows too, whatever the code page).
std::string PathText(const std::filesystem::path& path);

}  // namespace qvset
