#include "RecordingView.h"

#include <stdexcept>

namespace qvset::forms::testing {

RecordingView::RecordingView(const FormLayout& layout) : m_layout(layout) {
    for (const ControlSpec& spec : layout.controls) {
        ControlState state;
        if (spec.kind != ControlKind::ComboList) state.text = spec.caption;
        m_states.emplace(spec.name, std::move(state));
    }
}

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
    const ControlSpec* spec = m_layout.Find(event.control);
    if (spec == nullptr) return;
    ControlState& state = At(event.control);
    switch (event.kind) {
        case EventKind::Change:
            state.text = event.text;
            break;
        case EventKind::Click:
            if (spec->kind == ControlKind::CheckBox) state.checked = event.checked;
            break;
        case EventKind::OptionOn:
            for (const ControlSpec& other : m_layout.controls) {
                const bool sameContainer =
                    (other.container == nullptr) == (spec->container == nullptr) &&
                    (other.container == nullptr || std::string_view(other.container) == spec->container);
                if (other.kind == ControlKind::Option && sameContainer)
                    At(other.name).checked = &other == spec;
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

std::set<std::string> RecordingView::Lit() const {
    std::set<std::string> lit;
    for (const auto& [name, state] : m_states) {
        if (state.lit) lit.insert(name);
    }
    return lit;
}

}  // namespace qvset::forms::testing
