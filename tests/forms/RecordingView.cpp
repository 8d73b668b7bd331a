#include "RecordingView.h"

#include <stdexcept>

namespace qvset::forms::testing {

RecordingView::RecordingView(const FormLayout& layout) : m_layout(layout), m_states(InitialStates(layout)) {}

ControlState& RecordingView::At(std::string_view control) {
    const auto found = m_states.find(control);
    if (found == m_states.end()) throw std::logic_error("the view has no control " + std::string(control));
    return found->second;
}

const ControlState& RecordingView::Of(std::string_view control) const {
    const auto found = m_states.find(control);
    if (found == m_states.end()) throw std::logic_error("the view has no control " + std::string(control));
    return found->second;
}

void RecordingView::SetText(std::string_view control, std::string_view text) {
    At(control).text = std::string(text);
}

void RecordingView::SetLit(std::string_view control, bool lit) {
    At(control).lit = lit;
}

void RecordingView::SetEnabled(std::string_view control, bool enabled) {
    At(control).enabled = enabled;
}

void RecordingView::SetChecked(std::string_view control, bool checked) {
    At(control).checked = checked;
}

void RecordingView::SetEntries(std::string_view control, const std::vector<std::string>& entries) {
    ControlState& state = At(control);
    state.entries = entries;
    state.selected = -1;
}

void RecordingView::SetSelectedIndex(std::string_view control, int index) {
    ControlState& state = At(control);
    state.selected = index;
    if (m_layout.Find(control)->kind == ControlKind::ComboList) {
        const bool inList = index >= 0 && static_cast<std::size_t>(index) < state.entries.size();
        state.text = inList ? state.entries[static_cast<std::size_t>(index)] : std::string();
    }
}

void RecordingView::StartTimer(std::string_view timer, int intervalMs) {
    m_timerStarts.emplace_back(std::string(timer), intervalMs);
    if (m_onStartTimer) m_onStartTimer(std::string(timer), intervalMs);
}

void RecordingView::TakeUserEvent(const FormEvent& event) {
    forms::TakeUserEvent(m_layout, event, m_states);
}

std::set<std::string> RecordingView::Lit() const {
    std::set<std::string> lit;
    for (const auto& [name, state] : m_states) {
        if (state.lit) lit.insert(name);
    }
    return lit;
}

}  // namespace qvset::forms::testing
