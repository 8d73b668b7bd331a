#include "printer/ServiceSettings.h"

#include <algorithm>

namespace qvset {
namespace {

constexpr char kSeparator = ';';
constexpr std::string_view kPrefix = "qvset-";

bool IsHex(std::string_view text) {
    return text.size() % 2 == 0 && std::all_of(text.begin(), text.end(), [](char c) {
               return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f');
           });
}

}  // namespace

std::string SettingSentText(const ServiceSetting& setting) {
    std::string text = setting.name;
    for (const std::string* field : {&setting.command, &setting.job, &setting.when, &setting.sender}) {
        text += kSeparator;
        text += *field;
    }
    return text;
}

std::optional<ServiceSetting> ParseSettingSent(std::string_view text) {
    std::vector<std::string> fields;
    while (fields.size() < 4) {
        const std::size_t at = text.find(kSeparator);
        if (at == std::string_view::npos) return std::nullopt;
        fields.emplace_back(text.substr(0, at));
        text.remove_prefix(at + 1);
    }
    ServiceSetting setting;
    setting.name = fields[0];
    setting.command = fields[1];
    setting.job = fields[2];
    setting.when = fields[3];
    setting.sender = std::string(text);
    if (!setting.name.starts_with(kPrefix) || setting.name.size() == kPrefix.size() ||
        !IsHex(setting.command))
        return std::nullopt;
    return setting;
}

std::vector<ServiceSetting> JoinServiceSettings(std::vector<ServiceSetting> defaults,
                                                const std::vector<std::string>& sent) {
    for (const std::string& text : sent) {
        auto entry = ParseSettingSent(text);
        if (!entry) continue;
        const auto found = std::find_if(defaults.begin(), defaults.end(), [&](const ServiceSetting& setting) {
            return setting.name == entry->name;
        });
        if (found == defaults.end()) {
            defaults.push_back(std::move(*entry));
            continue;
        }
        found->command = entry->command;
        found->job = entry->job;
        found->when = entry->when;
        found->sender = entry->sender;
    }
    return defaults;
}

}  // namespace qvset
