#include "record/RecordFile.h"

#include <nlohmann/json.hpp>

#include "decode/CommandDecoder.h"
#include "printer/HexCodec.h"

namespace qvset {
namespace {

using Json = nlohmann::ordered_json;

constexpr std::string_view kFoldedKey = "folded";
constexpr std::string_view kStateKey = "state";

std::string Dump(const Json& json) {
    return json.dump(-1, ' ', false, Json::error_handler_t::replace);
}

void ApplyEntry(PrinterState& state, const RecordEntry& entry, std::size_t number) {
    if (!entry.taken) return;
    state.Apply(DecodeDocument(entry.bytes), std::to_string(number));
}

void AppendEscaped(std::string& out, std::string_view name) {
    for (const char c : name) {
        const auto byte = static_cast<unsigned char>(c);
        const bool plain = (byte >= 'A' && byte <= 'Z') || (byte >= 'a' && byte <= 'z') ||
                           (byte >= '0' && byte <= '9') || byte == '.' || byte == '-' || byte == '_';
        if (plain) {
            out += c;
        } else {
            out += '%';
            out += HexPair(byte);
        }
    }
}

}  // namespace

std::string RecordEntryLine(const RecordEntry& entry) {
    Json json = {{"time", entry.time},       {"server", entry.server}, {"printer", entry.printer},
                 {"command", entry.command}, {"taken", entry.taken},   {"bytes", EncodeHex(entry.bytes)}};
    return Dump(json) + '\n';
}

std::optional<RecordEntry> ParseRecordEntryLine(std::string_view line) {
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.remove_suffix(1);
    const Json json = Json::parse(line, nullptr, false);
    if (!json.is_object()) return std::nullopt;
    const auto text = [&](const char* key) -> const std::string* {
        const auto it = json.find(key);
        return it != json.end() && it->is_string() ? it->get_ptr<const std::string*>() : nullptr;
    };
    const auto taken = json.find("taken");
    const std::string* hex = text("bytes");
    if (text("time") == nullptr || text("server") == nullptr || text("printer") == nullptr ||
        text("command") == nullptr || hex == nullptr || taken == json.end() || !taken->is_boolean()) {
        return std::nullopt;
    }
    auto bytes = DecodeStrictHex(*hex);
    if (!bytes) return std::nullopt;
    return RecordEntry{*text("time"),    *text("server"),    *text("printer"),
                       *text("command"), taken->get<bool>(), std::move(*bytes)};
}

std::string RecordText(const Record& record) {
    std::string text;
    if (record.folded > 0) {
        Json snapshot = {{kFoldedKey, record.folded}, {kStateKey, Json::parse(record.snapshot.ToJson())}};
        text += Dump(snapshot) + '\n';
    }
    for (const auto& entry : record.entries) text += RecordEntryLine(entry);
    return text;
}

std::optional<Record> ParseRecord(std::string_view text, std::string* error) {
    Record record;
    bool first = true;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        const std::string_view line = text.substr(0, end);
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        const bool isFirst = first;
        first = false;
        if (line.empty()) continue;
        if (isFirst &&
            line.find(std::string("\"") + std::string(kFoldedKey) + "\"") != std::string_view::npos) {
            const Json json = Json::parse(line, nullptr, false);
            const auto folded = json.is_object() ? json.find(kFoldedKey) : json.end();
            const auto state = json.is_object() ? json.find(kStateKey) : json.end();
            std::string stateError;
            std::optional<PrinterState> snapshot;
            if (folded != json.end() && folded->is_number_unsigned() && state != json.end()) {
                snapshot = PrinterState::FromJson(Dump(*state), &stateError);
            }
            if (!snapshot) {
                if (error != nullptr) {
                    *error = "the state of the folded documents cannot be read" +
                             (stateError.empty() ? std::string() : ": " + stateError);
                }
                return std::nullopt;
            }
            record.folded = folded->get<std::size_t>();
            record.snapshot = std::move(*snapshot);
            continue;
        }
        if (auto entry = ParseRecordEntryLine(line)) {
            record.entries.push_back(std::move(*entry));
        } else {
            ++record.damagedLines;
        }
    }
    return record;
}

void FoldRecord(Record& record, std::size_t keepBytes) {
    std::size_t kept = 0;
    std::size_t keptBytes = 0;
    for (auto it = record.entries.rbegin(); it != record.entries.rend(); ++it) {
        const std::size_t size = RecordEntryLine(*it).size();
        if (keptBytes + size > keepBytes) break;
        keptBytes += size;
        ++kept;
    }
    const std::size_t folding = record.entries.size() - kept;
    for (std::size_t i = 0; i < folding; ++i)
        ApplyEntry(record.snapshot, record.entries[i], record.NumberOf(i));
    record.entries.erase(record.entries.begin(),
                         record.entries.begin() + static_cast<std::ptrdiff_t>(folding));
    record.folded += folding;
}

PrinterState ImpliedState(const Record& record) {
    PrinterState state = record.snapshot;
    for (std::size_t i = 0; i < record.entries.size(); ++i)
        ApplyEntry(state, record.entries[i], record.NumberOf(i));
    return state;
}

std::filesystem::path RecordFilePath(const std::filesystem::path& folder, std::string_view server,
                                     std::string_view printer) {
    std::string name;
    AppendEscaped(name, printer);
    name += '@';
    AppendEscaped(name, server);
    name += ".jsonl";
    return folder / name;
}

std::string PathText(const std::filesystem::path& path) {
    const std::u8string text = path.u8string();
    return {text.begin(), text.end()};
}

}  // namespace qvset
