#include "settings/ChoiceWords.h"

#include <array>

namespace qvset {
namespace {

constexpr std::array<ChoiceWords, 21> kChoiceWords{{
    {"black-mark", "on", "Command28"},
    {"black-mark", "off", "Command29"},
    {"threshold", "recalibrate", "Command30"},
    {"paper", "76", "Command31"},
    {"paper", "58", "Command32"},
    {"head", "standard", "Command33"},
    {"head", "quiet", "Command34"},
    {"edge", "high", "Command35"},
    {"edge", "low", "Command36"},
    {"start-position", "on", "Command37"},
    {"start-position", "off", "Command38"},
    {"end-position", "on", "Command39"},
    {"end-position", "off", "Command40"},
    {"baud", "1", "Command41"},
    {"baud", "2", "Command42"},
    {"baud", "4", "Command43"},
    {"baud", "12", "Command44"},
    {"baud", "24", "Command45"},
    {"baud", "30", "Command46"},
    {"baud", "36", "Command47"},
    {"baud", "42", "Command48"},
}};

}  // namespace

std::span<const ChoiceWords> ChoiceWordTable() {
    return kChoiceWords;
}

const PanelButton* FindButtonByWords(std::string_view item, std::string_view choice) {
    for (const auto& words : kChoiceWords) {
        if (words.item == item && words.choice == choice) return FindPanelButton(words.button);
    }
    return nullptr;
}

}  // namespace qvset
