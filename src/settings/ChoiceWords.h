#pragma once

#include <span>
#include <string_view>

#include "settings/PanelButtons.h"

namespace qvset {

// The command line's words for a settings button: `qvctl set black-mark on` is a click on Command28.
struct ChoiceWords {
    std::string_view item;
    std::string_view choice;
    std::string_view button;
};

// Every settings button Command28 to Command48 with its words, grouped by item.
std::span<const ChoiceWords> ChoiceWordTable();

// The button of an item word and a choice word, or nullptr.
const PanelButton* FindButtonByWords(std::string_view item, std::string_view choice);

}  // namespace qvset
