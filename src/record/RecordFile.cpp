#include "record/RecordFile.h"

#include <algorithm>
#include <chrono>
#include <cstdlib>
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

constexpr std::string_view kGapKey = "gap";
constexpr std::string_view kOfKey = "of";
constexpr std::string_view kUnknownKey = "unknown";
constexpr std::string_view kTimeKey = "time";

constexpr RecordFate kFates[] = {RecordFate::Answered,  RecordFate::Pending,  RecordFate::NoAnswer,
                                 RecordFate::Completed, RecordFate::Canceled, RecordFate::Aborted,
                                 RecordFate::Gap};

std::optional<RecordFate> FateOfWord(std::string_view word) {
    for (const RecordFate fate : kFates) {
        if (RecordFateWord(fate) == word) return fate;
    }
    return std::nullopt;
}

// Whether the printer got the document whole, as far as the record knows.
bool Arrived(const RecordEntry& entry) {
    return entry.fate == RecordFate::Completed || (entry.fate == RecordFate::Answered && entry.taken);
}

std::string UnknownReason(const RecordEntry& entry, std::size_t number) {
    const std::string document = "document " + std::to_string(number);
    const std::string job = entry.job > 0 ? " (job " + std::to_string(entry.job) + ")" : std::string();
    switch (entry.fate) {
        case RecordFate::NoAnswer:
            return document + " got no answer in time and may have been printed";
        case RecordFate::Pending:
            return document + " was being handed over when its outcome stopped being recorded";
        case RecordFate::Canceled:
            return document + job + " was cancelled in the queue";
        case RecordFate::Aborted:
            return document + job + " was aborted by the server";
        case RecordFate::Gap:
            return "documents were sent at " + entry.time + " that the record could not keep";
        case RecordFate::Answered:
        case RecordFate::Completed:
            break;
    }
    return {};
}

void ApplyEntry(RecordedState& state, const RecordEntry& entry, std::size_t number) {
    if (entry.fate == RecordFate::Gap) {
        for (int item = 1; item <= 11; ++item) state.unknown[item] = UnknownReason(entry, number);
        return;
    }
    if (entry.fate == RecordFate::Answered && !entry.taken) return;
    const std::string job = std::to_string(number);
    if (Arrived(entry)) {
        PrinterState applied;
        const auto commands = DecodeDocument(entry.bytes);
        applied.Apply(commands, job);
        state.state.Merge(applied);
        for (const auto* stored : {&applied.Switches(), &applied.Distances()}) {
            for (const auto& [item, command] : *stored) {
                state.unknown.erase(item);
                state.setAt[item] = entry.time;
            }
        }
        return;
    }
    for (const int item : ItemsSetBy(entry.bytes)) state.unknown[item] = UnknownReason(entry, number);
}

Json EntryJson(const RecordEntry& entry) {
    if (entry.fate == RecordFate::Gap) return {{kTimeKey, entry.time}, {kGapKey, entry.missed}};
    Json json = {{"time", entry.time},       {"server", entry.server}, {"printer", entry.printer},
                 {"command", entry.command}, {"taken", entry.taken},   {"bytes", EncodeHex(entry.bytes)}};
    if (entry.job > 0) json["job"] = entry.job;
    if (entry.fate != RecordFate::Answered) json["fate"] = RecordFateWord(entry.fate);
    if (!entry.id.empty()) json["id"] = entry.id;
    if (!entry.digest.empty()) {
        json["size"] = entry.size;
        json["digest"] = entry.digest;
    }
    return json;
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

std::string_view RecordFateWord(RecordFate fate) {
    switch (fate) {
        case RecordFate::Answered:
            return "answered";
        case RecordFate::Pending:
            return "pending";
        case RecordFate::NoAnswer:
            return "no answer";
        case RecordFate::Completed:
            return "completed";
        case RecordFate::Canceled:
            return "canceled";
        case RecordFate::Aborted:
            return "aborted";
        case RecordFate::Gap:
            return "gap";
    }
    return {};
}

std::string RecordEntryLine(const RecordEntry& entry) {
    return Dump(EntryJson(entry)) + '\n';
}

std::string RecordUpdateLine(std::string_view id, RecordFate fate, bool taken, int job) {
    Json json = {{kOfKey, id}, {"fate", RecordFateWord(fate)}, {"taken", taken}};
    if (job > 0) json["job"] = job;
    return Dump(json) + '\n';
}

std::string RecordGapLine(std::string_view time, std::size_t missed) {
    RecordEntry gap;
    gap.time = std::string(time);
    gap.fate = RecordFate::Gap;
    gap.missed = missed;
    return RecordEntryLine(gap);
}

namespace {

std::optional<RecordEntry> EntryOfJson(const Json& json) {
    if (!json.is_object()) return std::nullopt;
    const auto text = [&](const char* key) -> const std::string* {
        const auto it = json.find(key);
        return it != json.end() && it->is_string() ? it->get_ptr<const std::string*>() : nullptr;
    };
    if (const auto gap = json.find(kGapKey); gap != json.end()) {
        if (text("time") == nullptr || !gap->is_number_unsigned()) return std::nullopt;
        RecordEntry entry;
        entry.time = *text("time");
        entry.fate = RecordFate::Gap;
        entry.missed = gap->get<std::size_t>();
        return entry;
    }
    const auto taken = json.find("taken");
    const std::string* hex = text("bytes");
    if (text("time") == nullptr || text("server") == nullptr || text("printer") == nullptr ||
        text("command") == nullptr || hex == nullptr || taken == json.end() || !taken->is_boolean()) {
        return std::nullopt;
    }
    auto bytes = DecodeStrictHex(*hex);
    if (!bytes) return std::nullopt;
    RecordEntry entry{*text("time"),    *text("server"),    *text("printer"),
                      *text("command"), taken->get<bool>(), std::move(*bytes)};
    if (const auto job = json.find("job"); job != json.end()) {
        if (!job->is_number_integer()) return std::nullopt;
        entry.job = job->get<int>();
    }
    if (json.contains("fate")) {
        const std::string* word = text("fate");
        const auto fate = word != nullptr ? FateOfWord(*word) : std::nullopt;
        if (!fate || *fate == RecordFate::Gap) return std::nullopt;
        entry.fate = *fate;
    }
    if (json.contains("id")) {
        if (text("id") == nullptr) return std::nullopt;
        entry.id = *text("id");
    }
    if (json.contains("digest")) {
        const auto size = json.find("size");
        if (text("digest") == nullptr || size == json.end() || !size->is_number_unsigned())
            return std::nullopt;
        entry.digest = *text("digest");
        entry.size = size->get<std::uint64_t>();
    }
    return entry;
}

// Applies an update line to the entry it names; false when it is no update line.
bool ApplyUpdate(const Json& json, std::vector<RecordEntry>& entries) {
    if (!json.is_object()) return false;
    const auto of = json.find(kOfKey);
    const auto fate = json.find("fate");
    const auto taken = json.find("taken");
    if (of == json.end() || !of->is_string() || fate == json.end() || !fate->is_string() ||
        taken == json.end() || !taken->is_boolean())
        return false;
    const auto word = FateOfWord(fate->get<std::string>());
    if (!word || *word == RecordFate::Gap) return false;
    const std::string& id = of->get_ref<const std::string&>();
    // The newest entry of that id: an id is never reused, but a copied file might repeat one.
    for (auto it = entries.rbegin(); it != entries.rend(); ++it) {
        if (it->id != id) continue;
        it->fate = *word;
        it->taken = taken->get<bool>();
        if (const auto job = json.find("job"); job != json.end() && job->is_number_integer())
            it->job = job->get<int>();
        break;
    }
    return true;
}

}  // namespace

std::optional<RecordEntry> ParseRecordEntryLine(std::string_view line) {
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.remove_suffix(1);
    return EntryOfJson(Json::parse(line, nullptr, false));
}

std::string RecordText(const Record& record) {
    std::string text;
    if (record.folded > 0) {
        Json snapshot = {{kFoldedKey, record.folded}, {kStateKey, Json::parse(record.snapshot.ToJson())}};
        if (!record.snapshotUnknown.empty()) {
            Json unknown = Json::object();
            for (const auto& [item, reason] : record.snapshotUnknown) unknown[std::to_string(item)] = reason;
            snapshot[kUnknownKey] = std::move(unknown);
        }
        if (!record.snapshotTime.empty()) snapshot[kTimeKey] = record.snapshotTime;
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
        // The snapshot line begins with its own key; an entry begins with its time, so that no
        // printer or server name (a printer called "folded") can pass for it.
        if (isFirst && line.starts_with("{\"" + std::string(kFoldedKey) + "\"")) {
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
            if (const auto unknown = json.find(kUnknownKey); unknown != json.end() && unknown->is_object()) {
                for (const auto& [key, reason] : unknown->items()) {
                    if (reason.is_string()) record.snapshotUnknown[std::atoi(key.c_str())] = reason;
                }
            }
            if (const auto time = json.find(kTimeKey); time != json.end() && time->is_string())
                record.snapshotTime = time->get<std::string>();
            continue;
        }
        const Json json = Json::parse(line, nullptr, false);
        if (ApplyUpdate(json, record.entries)) continue;
        if (auto entry = EntryOfJson(json)) {
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
    if (folding == 0) return;
    RecordedState state{record.snapshot, record.snapshotUnknown, {}};
    for (std::size_t i = 0; i < folding; ++i) ApplyEntry(state, record.entries[i], record.NumberOf(i));
    record.snapshot = std::move(state.state);
    record.snapshotUnknown = std::move(state.unknown);
    record.snapshotTime = record.entries[folding - 1].time;
    record.entries.erase(record.entries.begin(),
                         record.entries.begin() + static_cast<std::ptrdiff_t>(folding));
    record.folded += folding;
}

PrinterState ImpliedState(const Record& record) {
    return ImplyRecordedState(record).state;
}

RecordedState ImplyRecordedState(const Record& record) {
    RecordedState state{record.snapshot, record.snapshotUnknown, {}};
    for (const auto* stored : {&record.snapshot.Switches(), &record.snapshot.Distances()}) {
        for (const auto& [item, command] : *stored) state.setAt[item] = record.snapshotTime;
    }
    for (std::size_t i = 0; i < record.entries.size(); ++i)
        ApplyEntry(state, record.entries[i], record.NumberOf(i));
    return state;
}

RecordedBytes BytesToRecord(std::span<const std::uint8_t> document) {
    RecordedBytes recorded;
    if (document.size() <= kMostRecordedBytes) {
        recorded.bytes.assign(document.begin(), document.end());
        return recorded;
    }
    recorded.size = document.size();
    std::uint64_t hash = 14695981039346656037ULL;
    for (const std::uint8_t byte : document) {
        hash ^= byte;
        hash *= 1099511628211ULL;
    }
    constexpr char kHex[] = "0123456789abcdef";
    recorded.digest = "fnv1a64:";
    for (int shift = 60; shift >= 0; shift -= 4) recorded.digest += kHex[(hash >> shift) & 15];
    std::size_t at = 0;
    DecodeStream(
        [&](std::span<std::uint8_t> buffer) -> std::ptrdiff_t {
            const std::size_t count = std::min(buffer.size(), document.size() - at);
            std::copy_n(document.begin() + static_cast<std::ptrdiff_t>(at), count, buffer.begin());
            at += count;
            return static_cast<std::ptrdiff_t>(count);
        },
        [&](DecodedCommand&& entry) {
            if (entry.truncated) return;
            if (entry.kind == CommandKind::Flag || entry.kind == CommandKind::Geometry ||
                entry.kind == CommandKind::ModeValue || entry.kind == CommandKind::ParameterTable) {
                recorded.bytes.insert(recorded.bytes.end(), entry.bytes.begin(), entry.bytes.end());
            }
        });
    return recorded;
}

std::vector<int> ItemsSetBy(std::span<const std::uint8_t> bytes) {
    PrinterState applied;
    applied.Apply(DecodeDocument(bytes), "");
    std::vector<int> items;
    for (const auto* stored : {&applied.Switches(), &applied.Distances()}) {
        for (const auto& [item, command] : *stored) items.push_back(item);
    }
    return items;
}

std::optional<std::int64_t> RecordTimeSeconds(std::string_view time) {
    // "2026-12-08T21:10:00.123Z"
    if (time.size() < 20 || time[4] != '-' || time[7] != '-' || time[10] != 'T' || time[13] != ':' ||
        time[16] != ':' || time.back() != 'Z')
        return std::nullopt;
    const auto number = [&](std::size_t at, std::size_t length) -> std::optional<int> {
        int value = 0;
        for (std::size_t i = at; i < at + length; ++i) {
            if (time[i] < '0' || time[i] > '9') return std::nullopt;
            value = value * 10 + (time[i] - '0');
        }
        return value;
    };
    const auto year = number(0, 4), month = number(5, 2), day = number(8, 2);
    const auto hour = number(11, 2), minute = number(14, 2), second = number(17, 2);
    if (!year || !month || !day || !hour || !minute || !second) return std::nullopt;
    using namespace std::chrono;
    const year_month_day date{std::chrono::year(*year), std::chrono::month(static_cast<unsigned>(*month)),
                              std::chrono::day(static_cast<unsigned>(*day))};
    if (!date.ok()) return std::nullopt;
    const auto at = sys_days(date) + hours(*hour) + minutes(*minute) + seconds(*second);
    return at.time_since_epoch().count();
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
