#include "forms/PanelButtons.h"

#include <array>

namespace qvset::forms {
namespace {

constexpr std::array<PanelButton, 24> kPanelButtons{{
    {"Command28", "Frame9", kItemBlackMark, 99, LitRule::Group, {}},
    {"Command29", "Frame9", kItemBlackMark, 88, LitRule::Group, {}},
    {"Command30", "Frame10", kItemThreshold, 99, LitRule::Alone, {}},
    {"Command31", "Frame11", kItemPaperWidth, 99, LitRule::Group, {}},
    {"Command32", "Frame11", kItemPaperWidth, 88, LitRule::Group, {}},
    {"Command33", "Frame12", kItemPrintHead, 99, LitRule::Group, {}},
    {"Command34", "Frame12", kItemPrintHead, 88, LitRule::Group, {}},
    {"Command35", "Frame13", kItemTearEdge, 99, LitRule::Group, {}},
    {"Command36", "Frame13", kItemTearEdge, 88, LitRule::Group, {}},
    {"Command37", "Frame14", kItemStartPositioning, 99, LitRule::Group, {}},
    {"Command38", "Frame14", kItemStartPositioning, 88, LitRule::Group, {}},
    {"Command39", "Frame15", kItemEndPositioning, 99, LitRule::Group, {}},
    {"Command40", "Frame15", kItemEndPositioning, 88, LitRule::Group, {}},
    {"Command41", "Frame16", kItemBaudRate, 1, LitRule::Group, {}},
    {"Command42", "Frame16", kItemBaudRate, 2, LitRule::Group, {}},
    {"Command43", "Frame16", kItemBaudRate, 3, LitRule::Group, {}},
    {"Command44", "Frame16", kItemBaudRate, 4, LitRule::Group, {}},
    {"Command45", "Frame16", kItemBaudRate, 5, LitRule::Group, {}},
    {"Command46", "Frame16", kItemBaudRate, 6, LitRule::Group, {}},
    {"Command47", "Frame16", kItemBaudRate, 7, LitRule::Group, {}},
    {"Command48", "Frame16", kItemBaudRate, 8, LitRule::Group, {}},
    {"Command23", "Frame7", kItemTicketLength, 99, LitRule::Alone, "Text3"},
    {"Command24", "Frame7", kItemStartOffset, 99, LitRule::Alone, "Text4"},
    {"Command25", "Frame7", kItemBlackMarkOffset, 99, LitRule::Alone, "Text5"},
}};

}  // namespace

std::span<const PanelButton> PanelButtons() {
    return kPanelButtons;
}

const PanelButton* FindPanelButton(std::string_view name) {
    for (const auto& button : kPanelButtons) {
        if (button.name == name) return &button;
    }
    return nullptr;
}

const PanelButton* FindPanelButton(int item, std::int16_t code) {
    for (const auto& button : kPanelButtons) {
        if (button.item == item && button.code == code) return &button;
    }
    return nullptr;
}

const SwitchChoice* ChoiceOfButton(std::string_view name) {
    const PanelButton* button = FindPanelButton(name);
    return button == nullptr ? nullptr : FindSwitchChoice(button->item, button->code);
}

const TicketDistance* DistanceOfButton(std::string_view name) {
    const PanelButton* button = FindPanelButton(name);
    return button == nullptr || button->textBox.empty() ? nullptr : FindDistance(button->item);
}

}  // namespace qvset::forms
