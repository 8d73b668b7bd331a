#include "record/SettingAttributes.h"

#include <algorithm>
#include <charconv>
#include <cmath>

#include "printer/MemorySpooler.h"
#include "printer/PrintChannel.h"
#include "settings/SwitchCommands.h"
#include "ticket/Catalogue.h"
#include "ticket/DistanceCommands.h"
#include "ticket/TicketDescription.h"

namespace qvset {
namespace {

constexpr std::string_view kPrefix = "qvset-";
constexpr std::string_view kDefaultSuffix = "-default";
constexpr std::string_view kPrinterName = "setting";

bool IsNumber(std::string_view word) {
    return !word.empty() &&
           std::all_of(word.begin(), word.end(), [](char c) { return c >= '0' && c <= '9'; });
}

int ToInt(std::string_view word) {
    int value = 0;
    std::from_chars(word.data(), word.data() + word.size(), value);
    return value;
}

std::string Hyphenated(std::string_view words) {
    std::string name(words);
    std::replace(name.begin(), name.end(), ' ', '-');
    return name;
}

std::vector<SettingAttribute> MakeSettings() {
    std::vector<SettingAttribute> settings;
    for (int item = kFirstItem; item <= kLastItem; ++item) {
        if (const TicketDistance* distance = FindDistance(item)) {
            SettingAttribute setting;
            setting.name = std::string(kPrefix) + Hyphenated(distance->name);
            setting.item = item;
            setting.syntax = SettingSyntax::Range;
            setting.highest = kMostDistanceMillimetres;
            settings.push_back(std::move(setting));
            continue;
        }
        std::vector<const SwitchChoice*> choices;
        for (const auto& choice : SwitchChoices()) {
            if (choice.item == item) choices.push_back(&choice);
        }
        if (choices.size() < 2) continue;  // the threshold's recalibration is an action, no setting
        SettingAttribute setting;
        setting.name = std::string(kPrefix) + std::string(choices.front()->itemWord);
        setting.item = item;
        const bool numbers = std::all_of(choices.begin(), choices.end(), [](const SwitchChoice* choice) {
            return IsNumber(choice->choiceWord);
        });
        setting.syntax = numbers ? SettingSyntax::Integer : SettingSyntax::Keyword;
        for (const SwitchChoice* choice : choices) {
            if (numbers) {
                setting.integers.push_back(ToInt(choice->choiceWord));
            } else {
                setting.keywords.emplace_back(choice->choiceWord);
            }
        }
        settings.push_back(std::move(setting));
    }
    return settings;
}

class SilentDialogs final : public Dialogs {
  public:
    MessageAnswer ShowMessage(const MessageRequest& request) override {
        shown = request.text;
        return MessageAnswer::Ok;
    }
    void ShowOpen(FileDialogState& dialog) override { dialog.fileName.clear(); }
    void ShowSave(FileDialogState& dialog) override { dialog.fileName.clear(); }
    std::string shown;
};

const SwitchChoice* ChoiceOfValue(const SettingAttribute& setting, std::string_view value) {
    for (const auto& choice : SwitchChoices()) {
        if (choice.item == setting.item && choice.choiceWord == value) return &choice;
    }
    return nullptr;
}

}  // namespace

std::span<const SettingAttribute> SettingAttributes() {
    static const std::vector<SettingAttribute> settings = MakeSettings();
    return settings;
}

const SettingAttribute* FindSettingAttribute(std::string_view name) {
    if (name.ends_with(kDefaultSuffix)) name.remove_suffix(kDefaultSuffix.size());
    for (const auto& setting : SettingAttributes()) {
        if (setting.name == name) return &setting;
    }
    return nullptr;
}

std::optional<std::vector<std::uint8_t>> SettingCommand(const SettingAttribute& setting,
                                                        std::string_view value, std::string& problem) {
    MemorySpooler spooler({PrinterInfo{std::string(kPrinterName), {}, {}}});
    spooler.SetCurrentPrinter(std::string(kPrinterName));
    SilentDialogs dialogs;
    PrintChannel channel(spooler, dialogs, std::filesystem::path());
    if (setting.syntax == SettingSyntax::Range) {
        if (!IsNumber(value) || value.size() > 5 || ToInt(value) > setting.highest) {
            problem = setting.name + " takes whole millimetres of " + std::to_string(setting.lowest) +
                      " to " + std::to_string(setting.highest) + ", not \"" + std::string(value) + "\"";
            return std::nullopt;
        }
        TicketDescription description;
        description.SetDistanceText(setting.item, std::string(value));
        const SendOutcome outcome = SendDistance(channel, description, setting.item);
        if (outcome.Refused()) {
            problem = setting.name + ": " + std::string(outcome.refusal);
            return std::nullopt;
        }
    } else {
        const SwitchChoice* choice = ChoiceOfValue(setting, value);
        if (choice == nullptr) {
            std::string known;
            for (const auto& word : setting.keywords) known += (known.empty() ? "" : ", ") + word;
            for (const int number : setting.integers)
                known += (known.empty() ? "" : ", ") + std::to_string(number);
            problem = setting.name + " takes " + known + ", not \"" + std::string(value) + "\"";
            return std::nullopt;
        }
        SendSwitch(channel, *choice);
    }
    if (spooler.Documents().size() != 1) {
        problem = setting.name + ": no command for \"" + std::string(value) + "\"";
        return std::nullopt;
    }
    return spooler.Documents().front().bytes;
}

std::optional<std::string> SettingValue(const SettingAttribute& setting, const PrinterState& state) {
    if (setting.syntax == SettingSyntax::Range) {
        const auto found = state.Distances().find(setting.item);
        if (found == state.Distances().end()) return std::nullopt;
        const DecodedCommand decoded = found->second.Decoded();
        const auto count = decoded.Number("count");
        const auto unit = decoded.Number("unit");
        if (!count || !unit) return std::nullopt;
        const auto millimetres = std::llround(static_cast<double>(*count * *unit) / 1000.0);
        return std::to_string(millimetres);
    }
    const auto found = state.Switches().find(setting.item);
    if (found == state.Switches().end() || found->second.bytes.size() < 3) return std::nullopt;
    const std::uint8_t n = found->second.bytes[2];
    for (const auto& choice : SwitchChoices()) {
        if (choice.n == n && choice.item == setting.item) return std::string(choice.choiceWord);
    }
    return std::nullopt;
}

std::string SettingJob(const SettingAttribute& setting, const PrinterState& state) {
    const auto& group = setting.syntax == SettingSyntax::Range ? state.Distances() : state.Switches();
    const auto found = group.find(setting.item);
    return found == group.end() ? std::string() : found->second.job;
}

}  // namespace qvset
