#pragma once

#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "forms/FormEvent.h"
#include "forms/FormLayout.h"
#include "forms/View.h"

namespace qvset::forms {

// What a face shows of one control.
struct ControlState {
    std::string text;
    bool lit = false;
    bool enabled = true;
    bool checked = false;
    std::vector<std::string> entries;
    int selected = -1;

    bool operator==(const ControlState&) const = default;
};

using ControlStates = std::map<std::string, ControlState, std::less<>>;

// Every control as a face builds it from the layout: enabled, unlit, unticked, showing its caption or
// initial text (a drop-down list: nothing).
ControlStates InitialStates(const FormLayout& layout);

// What a toolkit's control shows by itself once the user has worked it, before the logic answers: the
// typed text, the new tick, the option switched on (and the other options of its container off), the
// picked entry.
void TakeUserEvent(const FormLayout& layout, const FormEvent& event, ControlStates& states);

// What a window's face shows of every control, as far as the logic knows: the state the face built
// from the layout, every change the logic made since, and what the user's events changed. The Show
// calls compare with that and hand the view only what differs, so a text the user is typing is never
// written back over itself.
class ShownControls {
  public:
    explicit ShownControls(const FormLayout& layout);

    void Attach(View& view) { m_view = &view; }

    const ControlState& Of(std::string_view control) const;

    void ShowText(std::string_view control, std::string_view text);
    void ShowLit(std::string_view control, bool lit);
    void ShowEnabled(std::string_view control, bool enabled);
    void ShowChecked(std::string_view control, bool checked);
    void ShowEntries(std::string_view control, const std::vector<std::string>& entries);
    void ShowSelected(std::string_view control, int index);

    // Takes note of what the face already shows after a user's event: a changed text, a new tick, an
    // option switched on (and the other options of its container off), a picked entry.
    void Note(const FormEvent& event) { TakeUserEvent(m_layout, event, m_states); }

  private:
    ControlState& At(std::string_view control);

    const FormLayout& m_layout;
    ControlStates m_states;
    View* m_view = nullptr;
};

}  // namespace qvset::forms
