#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace qvset::forms {

// What a window's logic tells its face to change. Each call names a control of the window's layout
// (or a timer, or a window) and is applied at once; the face raises no event of its own while it
// applies one, so a text the logic writes never comes back as a change.
class View {
  public:
    virtual ~View() = default;

    // A label's, button's or frame's caption; a text box's or editable combo box's text.
    virtual void SetText(std::string_view control, std::string_view text) = 0;
    // A settings button's back colour: lit (red 255, green 224, blue 192) or the system's button face.
    virtual void SetLit(std::string_view control, bool lit) = 0;
    virtual void SetEnabled(std::string_view control, bool enabled) = 0;
    // A check box's tick, or an option button switched on or off.
    virtual void SetChecked(std::string_view control, bool checked) = 0;
    // The entries of a combo box's list.
    virtual void SetEntries(std::string_view control, const std::vector<std::string>& entries) = 0;
    // The entry a drop-down list shows (-1: none).
    virtual void SetSelectedIndex(std::string_view control, int index) = 0;

    // Starts a timer that raises a tick event every `intervalMs`; starting it again restarts the
    // interval from now.
    virtual void StartTimer(std::string_view timer, int intervalMs) = 0;
    // Paints every change made so far before the call returns (a handler is about to block).
    virtual void RepaintNow() = 0;
    // The busy cursor over the window, while a handler pauses.
    virtual void SetWaitCursor(bool on) = 0;

    // Shows a window of the program ("Form1", "Form2", "Form3"), creating it on first use, and brings
    // it to the front; HideForm closes it without ending anything.
    virtual void ShowForm(std::string_view form) = 0;
    virtual void HideForm(std::string_view form) = 0;
    // Ends the program at once: no further events, questions or documents.
    virtual void EndProgram() = 0;
};

}  // namespace qvset::forms
