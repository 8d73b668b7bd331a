#pragma once

#include <cstdint>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "decode/DecodedCommand.h"

namespace qvset {

// The command that last set one part of the printer's state, whole, and the job that carried it.
struct StoredCommand {
    std::vector<std::uint8_t> bytes;
    std::string job;

    // The command decoded again (its kind, fields and meaning).
    DecodedCommand Decoded() const;
};

// What a QV6 printer should now hold, as far as the documents it was sent say: the stored switches,
// the three ticket distances, the three mode values and the parameter table, each with the job that
// last set it. Nothing is ever read back from a printer; this is the account of the command stream.
class PrinterState {
  public:
    // Applies a decoded document, command by command in order. Unknown and truncated entries change
    // nothing; a mode value command with the test flag only prints and changes nothing either.
    void Apply(const std::vector<DecodedCommand>& entries, std::string_view job);
    // Applies one entry (a run of identical commands as one of them).
    void Apply(const DecodedCommand& entry, std::string_view job);
    // Takes over every setting a later state holds, as if its documents were applied after this one's.
    void Merge(const PrinterState& later);

    // The ESC 'B' command of each stored switch, by item (1 to 6, 10, 11).
    const std::map<int, StoredCommand>& Switches() const { return m_switches; }
    // The geometry command of each ticket distance, by item (7 to 9), in either encoding.
    const std::map<int, StoredCommand>& Distances() const { return m_distances; }
    // The mode value command with the store flag of each tuning mode, by mode code.
    const std::map<int, StoredCommand>& ModeValues() const { return m_modeValues; }
    // The last parameter table command.
    const std::optional<StoredCommand>& ParameterTable() const { return m_table; }
    // Whether the stored table is exactly the factory table.
    bool HasFactoryTable() const;
    bool IsEmpty() const;

    // The state as JSON: every stored setting with its bytes, its meaning in words and its job.
    std::string ToJson() const;
    // Reads what ToJson wrote. nullopt, with the reason in `error`, for anything else.
    static std::optional<PrinterState> FromJson(std::string_view json, std::string* error = nullptr);

    // Loads the state file of a virtual printer's folder; a missing file is the empty state.
    static std::optional<PrinterState> Load(const std::filesystem::path& path, std::string* error = nullptr);
    // Writes the file whole or not at all (a temporary file renamed over it). False when that failed.
    bool Save(const std::filesystem::path& path) const;

  private:
    std::map<int, StoredCommand> m_switches;
    std::map<int, StoredCommand> m_distances;
    std::map<int, StoredCommand> m_modeValues;
    std::optional<StoredCommand> m_table;
};

// The file a virtual printer keeps its state in, inside its folder.
inline constexpr std::string_view kPrinterStateFile = "state.json";

}  // namespace qvset
