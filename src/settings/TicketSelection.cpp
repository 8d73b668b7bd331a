#include "settings/TicketSelection.h"

#include <stdexcept>

#include "settings/FlagCommands.h"
#include "settings/PanelButtons.h"
#include "ticket/NumericText.h"

namespace qvset {
namespace {

std::size_t Slot(int item) {
    if (item < 0 || item >= static_cast<int>(TicketSelection::kSlots)) {
        throw std::out_of_range("item slot outside 0 to 20");
    }
    return static_cast<std::size_t>(item);
}

std::size_t GeometrySlot(int item) {
    if (item < kItemTicketLength || item > kItemBlackMarkOffset) {
        throw std::out_of_range("geometry item outside 7 to 9");
    }
    return static_cast<std::size_t>(item - kItemTicketLength);
}

}  // namespace

TicketSelection::TicketSelection()
    : m_texts{std::string(kInitialText3), std::string(kInitialText4), std::string(kInitialText5)} {
    ResetSelection();
}

std::int16_t TicketSelection::ItemState(int item) const {
    return m_itemState[Slot(item)];
}

void TicketSelection::SetItemState(int item, std::int16_t code) {
    m_itemState[Slot(item)] = code;
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
    for (int item = kFirstItem; item <= kLastItem; ++item) {
        m_itemState[Slot(item)] = kCodeNone;
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

const std::string& TicketSelection::GeometryText(int item) const {
    return m_texts[GeometrySlot(item)];
}

void TicketSelection::SetGeometryText(int item, std::string text) {
    m_texts[GeometrySlot(item)] = std::move(text);
}

void TicketSelection::SetBlackMarkStyle(int style) {
    if (style == 1 || style == 2) m_blackMarkStyle = style;
}

}  // namespace qvset
