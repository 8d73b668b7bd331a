#include "decode/PrinterState.h"

#include <initializer_list>
#include <nlohmann/json.hpp>
#include <system_error>

#include "decode/CommandDecoder.h"
#include "decode/TextFile.h"
#include "files/FileContents.h"
#include "files/NativeNames.h"
#include "printer/HexCodec.h"
#include "text/Utf8.h"
#include "tuning/ParameterCommands.h"

namespace qvset {
namespace {

using Json = nlohmann::ordered_json;

constexpr std::string_view kFormatKey = "format";
constexpr int kFormatVersion = 1;
constexpr std::string_view kSwitchesKey = "switches";
constexpr std::string_view kDistancesKey = "distances";
constexpr std::string_view kModeValuesKey = "mode-values";
constexpr std::string_view kTableKey = "parameter-table";
constexpr std::string_view kCommandKey = "command";
constexpr std::string_view kJobKey = "job";
constexpr std::string_view kMeaningKey = "meaning";
// Far more than any state: a few settings and one table.
constexpr std::size_t kStateFileLimit = 1 << 20;

// The fields of a decoded command worth reading in the file, besides its bytes.
Json Describe(const StoredCommand& stored, std::initializer_list<std::string_view> fieldNames) {
    const DecodedCommand decoded = stored.Decoded();
    Json entry = {{kCommandKey, EncodeHex(stored.bytes)}, {kMeaningKey, decoded.meaning}};
    for (std::string_view name : fieldNames) {
        for (const auto& field : decoded.fields) {
            if (field.name == name)
                std::visit([&](const auto& value) { entry[field.name] = value; }, field.value);
        }
    }
    entry[kJobKey] = stored.job;
    return entry;
}

// The one command a state entry holds, decoded; nullopt (with the reason) when it is not a single
// command of the expected kind.
std::optional<DecodedCommand> ReadCommand(const Json& entry, CommandKind kind, std::string* error) {
    if (!entry.is_object() || !entry.contains(kCommandKey) || !entry[kCommandKey].is_string() ||
        !entry.contains(kJobKey) || !entry[kJobKey].is_string()) {
        *error = "an entry needs the texts \"command\" and \"job\"";
        return std::nullopt;
    }
    const std::string hex = entry[kCommandKey].get<std::string>();
    const auto bytes = DecodeHex(hex);
    if (!bytes || hex.size() % 2 != 0) {
        *error = "\"" + hex + "\" is not a command in hex";
        return std::nullopt;
    }
    const auto entries = DecodeDocument(*bytes);
    if (entries.size() != 1 || entries[0].kind != kind || entries[0].truncated) {
        *error = "\"" + hex + "\" is not one " + std::string(CommandKindName(kind)) + " command";
        return std::nullopt;
    }
    return entries[0];
}

bool ReadSection(const Json& state, std::string_view key, CommandKind kind, std::string_view wordField,
                 std::string_view numberField, std::map<int, StoredCommand>& into, std::string* error) {
    if (!state.contains(key)) return true;
    const Json& section = state[key];
    if (!section.is_object()) {
        *error = "\"" + std::string(key) + "\" is not an object";
        return false;
    }
    for (const auto& [word, entry] : section.items()) {
        const auto decoded = ReadCommand(entry, kind, error);
        if (!decoded) return false;
        if (decoded->Text(wordField) != word) {
            *error = "\"" + word + "\" holds a command for \"" + decoded->Text(wordField).value_or("") + "\"";
            return false;
        }
        into[static_cast<int>(decoded->Number(numberField).value_or(0))] = {
            decoded->bytes, entry[kJobKey].get<std::string>()};
    }
    return true;
}

}  // namespace

DecodedCommand StoredCommand::Decoded() const {
    auto entries = DecodeDocument(bytes);
    return entries.empty() ? DecodedCommand{} : std::move(entries.front());
}

void PrinterState::Apply(const std::vector<DecodedCommand>& entries, std::string_view job) {
    for (const auto& entry : entries) Apply(entry, job);
}

void PrinterState::Merge(const PrinterState& later) {
    for (const auto& [item, stored] : later.m_switches) m_switches[item] = stored;
    for (const auto& [item, stored] : later.m_distances) m_distances[item] = stored;
    for (const auto& [mode, stored] : later.m_modeValues) m_modeValues[mode] = stored;
    if (later.m_table) m_table = later.m_table;
}

void PrinterState::Apply(const DecodedCommand& entry, std::string_view job) {
    if (entry.truncated) return;
    StoredCommand stored{entry.bytes, std::string(job)};
    switch (entry.kind) {
        case CommandKind::Flag:
            m_switches[static_cast<int>(entry.Number("item").value_or(0))] = std::move(stored);
            break;
        case CommandKind::Geometry:
            m_distances[static_cast<int>(entry.Number("item").value_or(0))] = std::move(stored);
            break;
        case CommandKind::ModeValue:
            if (entry.Number("flag") == kStoreFlag) {
                m_modeValues[static_cast<int>(entry.Number("mode").value_or(0))] = std::move(stored);
            }
            break;
        case CommandKind::ParameterTable:
            m_table = std::move(stored);
            break;
        default:
            break;
    }
}

bool PrinterState::HasFactoryTable() const {
    return m_table && m_table->Decoded().Flag("factory") == true;
}

bool PrinterState::IsEmpty() const {
    return m_switches.empty() && m_distances.empty() && m_modeValues.empty() && !m_table;
}

std::string PrinterState::ToJson() const {
    Json switches = Json::object();
    for (const auto& [item, stored] : m_switches) {
        switches[stored.Decoded().Text("switch").value_or("")] = Describe(stored, {"item", "choice", "code"});
    }
    Json distances = Json::object();
    for (const auto& [item, stored] : m_distances) {
        distances[stored.Decoded().Text("distance").value_or("")] =
            Describe(stored, {"item", "function", "encoding", "count", "style"});
    }
    Json modes = Json::object();
    for (const auto& [code, stored] : m_modeValues) {
        modes[stored.Decoded().Text("modeWord").value_or("")] = Describe(stored, {"mode", "value"});
    }
    Json state = {{kFormatKey, kFormatVersion},
                  {kSwitchesKey, std::move(switches)},
                  {kDistancesKey, std::move(distances)},
                  {kModeValuesKey, std::move(modes)},
                  {kTableKey, m_table ? Describe(*m_table, {"factory", "rows"}) : Json(nullptr)}};
    return state.dump(2, ' ', false, Json::error_handler_t::replace) + "\n";
}

std::optional<PrinterState> PrinterState::FromJson(std::string_view json, std::string* error) {
    std::string ignored;
    std::string& reason = error != nullptr ? *error : ignored;
    if (const auto bad = FirstInvalidUtf8(json)) {
        reason = "not UTF-8 text (byte " + std::to_string(*bad) + " is no character)";
        return std::nullopt;
    }
    Json state;
    try {
        state = Json::parse(json);
    } catch (const Json::out_of_range&) {
        reason = "a number out of range";
        return std::nullopt;
    } catch (const Json::parse_error& broken) {
        // The parser counts bytes from 1, one past the end where the text stops too soon.
        reason = broken.byte > json.size()
                     ? "not JSON (it stops too soon)"
                     : "not JSON (broken at byte " + std::to_string(broken.byte - 1) + ")";
        return std::nullopt;
    }
    if (!state.is_object()) {
        reason = "not a JSON object";
        return std::nullopt;
    }
    if (!state.contains(kFormatKey) || state[kFormatKey] != kFormatVersion) {
        reason = "not a printer state of format " + std::to_string(kFormatVersion);
        return std::nullopt;
    }
    PrinterState result;
    if (!ReadSection(state, kSwitchesKey, CommandKind::Flag, "switch", "item", result.m_switches, &reason) ||
        !ReadSection(state, kDistancesKey, CommandKind::Geometry, "distance", "item", result.m_distances,
                     &reason) ||
        !ReadSection(state, kModeValuesKey, CommandKind::ModeValue, "modeWord", "mode", result.m_modeValues,
                     &reason)) {
        return std::nullopt;
    }
    for (const auto& [code, stored] : result.m_modeValues) {
        if (stored.Decoded().Number("flag") != kStoreFlag) {
            reason = "a stored mode value carries the test flag";
            return std::nullopt;
        }
    }
    if (state.contains(kTableKey) && !state[kTableKey].is_null()) {
        const auto table = ReadCommand(state[kTableKey], CommandKind::ParameterTable, &reason);
        if (!table) return std::nullopt;
        result.m_table = StoredCommand{table->bytes, state[kTableKey][kJobKey].get<std::string>()};
    }
    return result;
}

std::optional<PrinterState> PrinterState::Load(const std::filesystem::path& path, std::string* error) {
    // Only a file that is not there is the empty state; one that cannot be looked at (a folder without
    // search permission, a link loop) or read is a failure, never "nothing recorded".
    std::error_code code;
    const std::filesystem::file_status status = std::filesystem::status(path, code);
    if (status.type() == std::filesystem::file_type::not_found) return PrinterState{};
    if (code) {
        if (error != nullptr) *error = "cannot read " + Utf8Name(path) + " (" + code.message() + ")";
        return std::nullopt;
    }
    const FileReadResult file = ReadFileContents(path, kStateFileLimit);
    if (file.status != FileReadStatus::Read) {
        const char* why = file.status == FileReadStatus::TooLarge    ? " (too large for a state)"
                          : std::filesystem::is_regular_file(status) ? ""
                                                                     : " (not a regular file)";
        if (error != nullptr) *error = "cannot read " + Utf8Name(path) + why;
        return std::nullopt;
    }
    std::string reason;
    auto state = FromJson(
        std::string_view(reinterpret_cast<const char*>(file.bytes.data()), file.bytes.size()), &reason);
    if (!state && error != nullptr) *error = Utf8Name(path) + ": " + reason;
    return state;
}

bool PrinterState::Save(const std::filesystem::path& path) const {
    return ReplaceFileText(path, ToJson());
}

}  // namespace qvset
