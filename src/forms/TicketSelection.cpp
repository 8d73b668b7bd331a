#include "forms/TicketSelection.h"

#include <stdexcept>

#include "forms/PanelButtons.h"
#include "ticket/NumericText.h"

namespace qvset::forms {
namespace {

std::size_t Slot(int item) {
    if (item < kFirstItem || item > kLastItem) throw std::out_of_range("item outside 1 to 11");
    return static_cast<std::size_t>(item);
}

}  // namespace

TicketSelection::TicketSelection() {
    ResetSelection();
}

const std::string& TicketSelection::SavedItemState(int item) const {
    return m_savedItemState[Slot(item)];
}

void TicketSelection::TakeSnapshot() {
    for (int item = kFirstItem; item <= kLastItem; ++item) {
        m_savedItemState[Slot(item)] = std::to_string(ItemState(item));
    }
}

bool TicketSelection::HasUnsavedChanges() const {
    for (int item = kFirstItem; item <= kLastItem; ++item) {
        if (NumericValue(SavedItemState(item)) != ItemState(item)) return true;
    }
    return false;
}

void TicketSelection::ResetSelection() {
    m_label12 = kLabel12None;
    m_lit.clear();
    m_description.ClearCodes();
    for (int item = kFirstItem; item <= kLastItem; ++item) {
        m_savedItemState[Slot(item)] = "0";
    }
}

void TicketSelection::ShowItemStates() {
    for (int item = kFirstItem; item <= kLastItem; ++item) {
        const std::int16_t code = ItemState(item);
        if (const PanelButton* button = FindPanelButton(item, code)) {
            Light(button->name);
        } else if (code == kCodeNone) {
            for (const auto& other : PanelButtons()) {
                if (other.item == item && other.rule == LitRule::Alone) Unlight(other.name);
            }
        }
    }
}

bool TicketSelection::IsLit(std::string_view button) const {
    return m_lit.find(button) != m_lit.end();
}

void TicketSelection::Light(std::string_view name) {
    const PanelButton* button = FindPanelButton(name);
    if (button == nullptr) return;
    if (button->rule == LitRule::Group) {
        for (const auto& other : PanelButtons()) {
            if (other.frame == button->frame) Unlight(other.name);
        }
    }
    m_lit.emplace(button->name);
}

void TicketSelection::Unlight(std::string_view button) {
    const auto it = m_lit.find(button);
    if (it != m_lit.end()) m_lit.erase(it);
}

void TicketSelection::SetBlackMarkStyle(int style) {
    if (style == 1 || style == 2) m_blackMarkStyle = style;
}

}  // namespace qvset::forms
