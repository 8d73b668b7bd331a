#pragma once

#include <cstdint>
#include <deque>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "decode/PrinterState.h"

namespace qvset {

// One document that reached a printer through the printer application: its job label (which names it
// in the printer's state), when it was written, who sent it from where, its name and size.
struct ServiceJob {
    std::string job;     // "job 12", "settings 3": unique for the printer
    std::string when;    // UTC, "2026-12-09T14:02:11Z"
    std::string sender;  // "alice@192.0.2.7"
    std::string name;    // the job's name
    std::uint64_t bytes = 0;

    bool operator==(const ServiceJob&) const = default;
};

// What one printer of the printer application holds, as far as every document it wrote to the device
// says, whichever client sent it: the decoder's implied state (switches, distances, mode values,
// parameter table, each with the label of the job that last set it) and the journal of the documents,
// so that each setting can say when and by whom it was sent. The journal is bounded: the newest
// kMostJournalJobs documents, and every older one the state still names, are kept.
class ServiceState {
  public:
    // Decodes a document that reached the device and folds it in. A job label already in the journal
    // changes nothing: a document is counted once, whatever restarts come between.
    void ApplyDocument(std::span<const std::uint8_t> document, const ServiceJob& job);
    // Folds in a document already decoded.
    void ApplyDecoded(const std::vector<DecodedCommand>& entries, const ServiceJob& job);

    const PrinterState& State() const { return m_state; }
    const std::deque<ServiceJob>& Journal() const { return m_journal; }
    // The journal entry of a job label, or nullptr when it was never written or has been dropped.
    const ServiceJob* FindJob(std::string_view job) const;
    // The number the next document label takes (labels never repeat, across restarts too).
    std::uint64_t NextSequence() const { return m_sequence + 1; }
    std::uint64_t TakeSequence() { return ++m_sequence; }

    std::string ToJson() const;
    static std::optional<ServiceState> FromJson(std::string_view json, std::string* error = nullptr);

    // Loads a printer's state file; a missing file is the empty state, an unreadable or damaged one
    // nullopt with the reason.
    static std::optional<ServiceState> Load(const std::filesystem::path& path, std::string* error = nullptr);
    // Replaces the file whole or not at all. False when that failed.
    bool Save(const std::filesystem::path& path) const;

  private:
    void Trim();

    PrinterState m_state;
    std::deque<ServiceJob> m_journal;
    std::uint64_t m_sequence = 0;
};

inline constexpr std::size_t kMostJournalJobs = 200;
// A state file larger than this is damaged, not read.
inline constexpr std::size_t kMostStateFileBytes = std::size_t{4} << 20;

// The current time as the journal writes it.
std::string UtcNow();

}  // namespace qvset
