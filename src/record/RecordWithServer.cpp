#include "record/RecordWithServer.h"

#include <set>

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

}  // namespace

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
