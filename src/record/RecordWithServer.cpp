#include "record/RecordWithServer.h"

#include <set>

#include "decode/CommandDecoder.h"
#include "printer/HexCodec.h"
#include "record/SettingAttributes.h"

namespace qvset {
namespace {

// How long after its entry was written a job of a document without an answer may have been made: the
// longest deadline and a little more.
constexpr std::int64_t kLateJobSeconds = 3700;

std::optional<RecordFate> EndOf(JobState state) {
    switch (state) {
        case JobState::Completed:
            return RecordFate::Completed;
        case JobState::Canceled:
            return RecordFate::Canceled;
        case JobState::Aborted:
            return RecordFate::Aborted;
        case JobState::Active:
        case JobState::Unknown:
            break;
    }
    return std::nullopt;
}

bool Ended(RecordFate fate) {
    return fate == RecordFate::Completed || fate == RecordFate::Canceled || fate == RecordFate::Aborted;
}

std::string Clock(std::int64_t seconds) {
    return RecordTime(std::chrono::system_clock::time_point(std::chrono::seconds(seconds)));
}

std::string ForeignReason(const ServerJob& job) {
    std::string who;
    if (!job.user.empty()) who += "user " + job.user;
    if (!job.host.empty()) who += std::string(who.empty() ? "" : " ") + "on " + job.host;
    return "job " + std::to_string(job.id) + " on the server" + (who.empty() ? "" : " (" + who + ")") +
           (job.createdAt > 0 ? " at " + Clock(job.createdAt) : "") + " is not in this record";
}

// The label a setting of the service's state carries in this program's state.
std::string ServiceLabel(const ServiceSetting& setting) {
    // Shown after "job ": "3 #4 of the printer application, from alice@pc7 at 2026-12-09T14:02:11Z".
    if (setting.job.empty()) return "none: the printer application's default for its model";
    std::string label = setting.job;
    if (label.starts_with("job ")) label.erase(0, 4);
    label += " of the printer application";
    if (!setting.sender.empty()) label += ", from " + setting.sender;
    if (!setting.when.empty()) label += " at " + setting.when;
    return label;
}

}  // namespace

RecordedState StateFromService(const std::vector<ServiceSetting>& settings, const RecordedState& record) {
    RecordedState state;
    for (const ServiceSetting& setting : settings) {
        const SettingAttribute* attribute = FindSettingAttribute(setting.name);
        if (attribute == nullptr) continue;
        std::optional<std::vector<std::uint8_t>> bytes;
        if (!setting.command.empty()) bytes = DecodeHex(setting.command);
        if (!bytes || bytes->empty()) {
            std::string problem;
            bytes = SettingCommand(*attribute, setting.value, problem);
        }
        if (!bytes) continue;
        state.state.Apply(DecodeDocument(*bytes), ServiceLabel(setting));
        state.setAt[attribute->item] = setting.when;
    }
    // What the service does not report stays as the record has it.
    for (const auto& [mode, command] : record.state.ModeValues())
        state.state.Apply(DecodeDocument(command.bytes), command.job);
    if (const auto& table = record.state.ParameterTable())
        state.state.Apply(DecodeDocument(table->bytes), table->job);
    for (const auto& [item, reason] : record.unknown) {
        bool reported = false;
        for (const auto& attribute : SettingAttributes()) reported = reported || attribute.item == item;
        if (!reported) state.unknown.emplace(item, reason);
    }
    return state;
}

std::optional<ServerCheckedRecord> ReadRecordWithServer(RecordBook& book, Spooler& spooler,
                                                        const std::string& printer, std::string* error) {
    ServerCheckedRecord checked;
    checked.queue = spooler.IdentifyPrinter(printer);
    auto record = book.Read(printer, checked.queue, error);
    if (!record) return std::nullopt;
    checked.record = std::move(*record);
    const auto jobs = spooler.JobsOf(checked.queue.name.empty() ? printer : checked.queue.name);
    checked.serverAsked = jobs.has_value();
    std::vector<RecordBook::FateNote> fates;
    std::set<int> known;
    if (jobs) {
        std::vector<RecordEntry>& entries = checked.record.entries;
        for (const auto& entry : entries) {
            if (entry.job > 0) known.insert(entry.job);
        }
        for (auto& entry : entries) {
            if (entry.id.empty() || Ended(entry.fate) || entry.fate == RecordFate::Gap) continue;
            if (entry.job == 0 && entry.fate != RecordFate::NoAnswer && entry.fate != RecordFate::Pending)
                continue;
            const ServerJob* match = nullptr;
            if (entry.job > 0) {
                for (const auto& job : *jobs) {
                    if (job.id == entry.job) match = &job;
                }
            } else if (const auto at = RecordTimeSeconds(entry.time)) {
                // The job this program's user made of a document whose answer never came.
                for (const auto& job : *jobs) {
                    if (job.mine && known.count(job.id) == 0 && job.createdAt + 1 >= *at &&
                        job.createdAt <= *at + kLateJobSeconds) {
                        match = &job;
                        break;
                    }
                }
            }
            if (match == nullptr) continue;
            const bool found = entry.job == 0;
            if (found) {
                entry.job = match->id;
                known.insert(match->id);
            }
            if (const auto end = EndOf(match->state)) {
                entry.fate = *end;
                entry.taken = true;
                fates.push_back({entry.id, *end, entry.job});
            } else if (found) {
                // Still in the queue: its job is known, its fate not yet.
                fates.push_back({entry.id, entry.fate, entry.job});
            }
        }
    }
    if (!fates.empty()) book.NoteFates(printer, checked.queue, fates);
    checked.state = ImplyRecordedState(checked.record);
    if (auto service = spooler.ServiceSettingsOf(checked.queue.name.empty() ? printer : checked.queue.name)) {
        checked.state = StateFromService(*service, checked.state);
        checked.fromService = true;
        checked.service = std::move(*service);
        return checked;
    }
    if (!jobs) return checked;
    for (const auto& job : *jobs) {
        if (known.count(job.id) != 0) continue;
        for (const auto& [item, time] : checked.state.setAt) {
            const auto setAt = RecordTimeSeconds(time);
            if (setAt && job.createdAt > 0 && job.createdAt < *setAt) continue;
            checked.state.unknown.emplace(item, ForeignReason(job));
        }
    }
    return checked;
}

}  // namespace qvset
