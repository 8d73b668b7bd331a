#include "service/ServiceState.h"

#include <algorithm>
#include <ctime>
#include <nlohmann/json.hpp>
#include <set>

#include "decode/CommandDecoder.h"
#include "files/FileContents.h"

namespace qvset {
namespace {

using Json = nlohmann::json;

std::set<std::string> LabelsNamedBy(const PrinterState& state) {
    std::set<std::string> labels;
    for (const auto* group : {&state.Switches(), &state.Distances(), &state.ModeValues()}) {
        for (const auto& [key, command] : *group) labels.insert(command.job);
    }
    if (state.ParameterTable()) labels.insert(state.ParameterTable()->job);
    return labels;
}

}  // namespace

void ServiceState::ApplyDocument(std::span<const std::uint8_t> document, const ServiceJob& job) {
    if (FindJob(job.job) != nullptr) return;
    ApplyDecoded(DecodeDocument(document), job);
}

void ServiceState::ApplyDecoded(const std::vector<DecodedCommand>& entries, const ServiceJob& job) {
    if (FindJob(job.job) != nullptr) return;
    m_state.Apply(entries, job.job);
    m_journal.push_back(job);
    Trim();
}

void ServiceState::Trim() {
    if (m_journal.size() <= kMostJournalJobs) return;
    const auto named = LabelsNamedBy(m_state);
    std::deque<ServiceJob> kept;
    const std::size_t newest = m_journal.size() - kMostJournalJobs;
    for (std::size_t i = 0; i < m_journal.size(); ++i) {
        if (i >= newest || named.contains(m_journal[i].job)) kept.push_back(std::move(m_journal[i]));
    }
    m_journal = std::move(kept);
}

const ServiceJob* ServiceState::FindJob(std::string_view job) const {
    const auto found = std::find_if(m_journal.begin(), m_journal.end(),
                                    [&](const ServiceJob& entry) { return entry.job == job; });
    return found == m_journal.end() ? nullptr : &*found;
}

std::string ServiceState::ToJson() const {
    Json journal = Json::array();
    for (const auto& entry : m_journal) {
        journal.push_back({{"job", entry.job},
                           {"when", entry.when},
                           {"sender", entry.sender},
                           {"name", entry.name},
                           {"bytes", entry.bytes}});
    }
    const Json whole{
        {"sequence", m_sequence}, {"journal", journal}, {"state", Json::parse(m_state.ToJson())}};
    return whole.dump(2) + "\n";
}

std::optional<ServiceState> ServiceState::FromJson(std::string_view json, std::string* error) {
    const auto fail = [&](const std::string& why) -> std::optional<ServiceState> {
        if (error != nullptr) *error = why;
        return std::nullopt;
    };
    const Json whole = Json::parse(json, nullptr, false);
    if (whole.is_discarded() || !whole.is_object()) return fail("not a JSON object");
    ServiceState result;
    try {
        result.m_sequence = whole.at("sequence").get<std::uint64_t>();
        for (const auto& entry : whole.at("journal")) {
            result.m_journal.push_back(
                {entry.at("job").get<std::string>(), entry.at("when").get<std::string>(),
                 entry.at("sender").get<std::string>(), entry.at("name").get<std::string>(),
                 entry.at("bytes").get<std::uint64_t>()});
        }
        std::string why;
        auto state = PrinterState::FromJson(whole.at("state").dump(), &why);
        if (!state) return fail("its printer state: " + why);
        result.m_state = std::move(*state);
    } catch (const Json::exception& problem) {
        return fail(problem.what());
    }
    return result;
}

std::optional<ServiceState> ServiceState::Load(const std::filesystem::path& path, std::string* error) {
    std::error_code ignored;
    if (!std::filesystem::exists(std::filesystem::symlink_status(path, ignored))) return ServiceState{};
    const auto read = ReadFileContents(path, kMostStateFileBytes);
    if (read.status != FileReadStatus::Read) {
        if (error != nullptr) *error = "cannot be read";
        return std::nullopt;
    }
    const std::string text(read.bytes.begin(), read.bytes.end());
    return FromJson(text, error);
}

bool ServiceState::Save(const std::filesystem::path& path) const {
    const std::string text = ToJson();
    return ReplaceFileContents(path,
                               std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()));
}

std::string UtcNow() {
    const std::time_t now = std::time(nullptr);
    std::tm parts{};
    gmtime_r(&now, &parts);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", &parts);
    return text;
}

}  // namespace qvset
