#pragma once

#include <cstdint>
#include <span>
#include <string_view>

#include "ticket/Catalogue.h"

namespace qvset::forms {

// How a lit button goes out again.
enum class LitRule {
    // Lighting it unlights the other buttons of its frame (a pair's partner, the other baud buttons);
    // a recorded code that no button of the item carries leaves the frame as it is.
    Group,
    // It has no partner: only ResetSelection, or a recorded 0 shown by ShowItemStates, unlights it.
    Alone,
};

// A button that records a choice in ItemState: the settings buttons Command28 to Command48, each
// sending one switch choice of the catalogue, and the geometry buttons Command23 to Command25, each
// sending one ticket distance (recorded as 99).
struct PanelButton {
    std::string_view name;
    std::string_view frame;
    int item;
    std::int16_t code;
    LitRule rule;
    // The text box the geometry button reads; empty for a settings button.
    std::string_view textBox;
};

std::span<const PanelButton> PanelButtons();

// The button of that name, or nullptr.
const PanelButton* FindPanelButton(std::string_view name);

// The button that records `code` for `item`, or nullptr.
const PanelButton* FindPanelButton(int item, std::int16_t code);

// The switch choice a settings button sends, or nullptr (a geometry button, an unknown name).
const SwitchChoice* ChoiceOfButton(std::string_view name);

// The ticket distance a geometry button sends, or nullptr.
const TicketDistance* DistanceOfButton(std::string_view name);

}  // namespace qvset::forms
