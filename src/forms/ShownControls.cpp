#include "forms/ShownControls.h"

#include <stdexcept>

namespace qvset::forms {

ControlStates InitialStates(const FormLayout& layout) {
    ControlStates states;
    for (const ControlSpec& layoutControl : layout.controls) {
        ControlState state;
        if (layoutControl.kind != ControlKind::ComboList) state.text = layoutControl.caption;
        states.emplace(layoutControl.name, std::move(state));
    }
    return states;
}

void TakeUserEvent(const FormLayout& layout, const FormEvent& event, ControlStates& states) {
    const ControlSpec* layoutControl = layout.Find(event.control);
    const auto found = states.find(event.control);
    if (layoutControl == nullptr || found == states.end()) return;
    ControlState& state = found->second;
    switch (event.kind) {
        case EventKind::Change:
            state.text = event.text;
            break;
        case EventKind::Click:
            if (layoutControl->kind == ControlKind::CheckBox) state.checked = event.checked;
            break;
        case EventKind::OptionOn:
            for (const ControlSpec& other : layout.controls) {
                const bool sameContainer =
                    (other.container == nullptr) == (layoutControl->container == nullptr) &&
                    (other.container == nullptr ||
                     std::string_view(other.container) == layoutControl->container);
                if (other.kind == ControlKind::Option && sameContainer)
                    states.at(other.name).checked = &other == layoutControl;
            }
            break;
        case EventKind::Pick:
            state.selected = event.index;
            if (event.index >= 0 && static_cast<std::size_t>(event.index) < state.entries.size()) {
                state.text = state.entries[static_cast<std::size_t>(event.index)];
            }
            break;
        case EventKind::Tick:
        case EventKind::Close:
            break;
    }
}

ShownControls::ShownControls(const FormLayout& layout) : m_layout(layout), m_states(InitialStates(layout)) {}

const ControlState& ShownControls::Of(std::string_view control) const {
    const auto found = m_states.find(control);
    if (found == m_states.end()) throw std::logic_error("no control named " + std::string(control));
    return found->second;
}

ControlState& ShownControls::At(std::string_view control) {
    const auto found = m_states.find(control);
    if (found == m_states.end()) throw std::logic_error("no control named " + std::string(control));
    return found->second;
}

void ShownControls::ShowText(std::string_view control, std::string_view text) {
    ControlState& state = At(control);
    if (state.text == text) return;
    state.text = std::string(text);
    if (m_view != nullptr) m_view->SetText(control, text);
}

void ShownControls::ShowLit(std::string_view control, bool lit) {
    ControlState& state = At(control);
    if (state.lit == lit) return;
    state.lit = lit;
    if (m_view != nullptr) m_view->SetLit(control, lit);
}

void ShownControls::ShowEnabled(std::string_view control, bool enabled) {
    ControlState& state = At(control);
    if (state.enabled == enabled) return;
    state.enabled = enabled;
    if (m_view != nullptr) m_view->SetEnabled(control, enabled);
}

void ShownControls::ShowChecked(std::string_view control, bool checked) {
    ControlState& state = At(control);
    if (state.checked == checked) return;
    state.checked = checked;
    if (m_view != nullptr) m_view->SetChecked(control, checked);
}

void ShownControls::ShowEntries(std::string_view control, const std::vector<std::string>& entries) {
    ControlState& state = At(control);
    if (state.entries == entries) return;
    state.entries = entries;
    state.selected = -1;  // a list filled anew selects nothing
    if (m_view != nullptr) m_view->SetEntries(control, entries);
}

void ShownControls::ShowSelected(std::string_view control, int index) {
    ControlState& state = At(control);
    if (state.selected == index) return;
    state.selected = index;
    const bool inList = index >= 0 && static_cast<std::size_t>(index) < state.entries.size();
    if (m_layout.Find(control)->kind == ControlKind::ComboList) {
        state.text = inList ? state.entries[static_cast<std::size_t>(index)] : std::string();
    }
    if (m_view != nullptr) m_view->SetSelectedIndex(control, index);
}

}  // namespace qvset::forms
