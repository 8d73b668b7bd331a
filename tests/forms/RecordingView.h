#pragma once

#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "forms/FormEvent.h"
#include "forms/FormLayout.h"
#include "forms/ShownControls.h"
#include "forms/View.h"

namespace qvset::forms::testing {

// A face without a toolkit: it keeps what each control shows, as a face builds it from the layout and
// then applies the view calls, and records the calls that are not about one control.
class RecordingView final : public View {
  public:
    explicit RecordingView(const FormLayout& layout);

    void SetText(std::string_view control, std::string_view text) override;
    void SetLit(std::string_view control, bool lit) override;
    void SetEnabled(std::string_view control, bool enabled) override;
    void SetChecked(std::string_view control, bool checked) override;
    void SetEntries(std::string_view control, const std::vector<std::string>& entries) override;
    void SetSelectedIndex(std::string_view control, int index) override;
    void StartTimer(std::string_view timer, int intervalMs) override;
    void RepaintNow() override { ++m_repaints; }
    void SetWaitCursor(bool on) override { m_cursor.push_back(on); }
    void ShowForm(std::string_view form) override { m_shownForms.emplace_back(form); }
    void HideForm(std::string_view form) override { m_hiddenForms.emplace_back(form); }
    void EndProgram() override { ++m_endings; }

    // What a toolkit's control does by itself when the user works it, before its event reaches the
    // logic: the typed text, the new tick, the option switched on (and the others of its group off),
    // the picked entry.
    void TakeUserEvent(const FormEvent& event);

    const ControlState& Of(std::string_view control) const;
    const std::string& Text(std::string_view control) const { return Of(control).text; }
    bool Enabled(std::string_view control) const { return Of(control).enabled; }
    bool Checked(std::string_view control) const { return Of(control).checked; }
    // Every control shown lit.
    std::set<std::string> Lit() const;
    const ControlStates& States() const { return m_states; }

    int Repaints() const { return m_repaints; }
    // Each change of the busy cursor, in order.
    const std::vector<bool>& CursorChanges() const { return m_cursor; }
    bool WaitCursor() const { return !m_cursor.empty() && m_cursor.back(); }
    const std::vector<std::pair<std::string, int>>& TimerStarts() const { return m_timerStarts; }
    const std::vector<std::string>& ShownForms() const { return m_shownForms; }
    const std::vector<std::string>& HiddenForms() const { return m_hiddenForms; }
    int Endings() const { return m_endings; }

    // Called on every StartTimer, for a test that keeps time.
    void OnStartTimer(std::function<void(const std::string&, int)> hook) { m_onStartTimer = std::move(hook); }

  private:
    ControlState& At(std::string_view control);

    const FormLayout& m_layout;
    ControlStates m_states;
    int m_repaints = 0;
    std::vector<bool> m_cursor;
    std::vector<std::pair<std::string, int>> m_timerStarts;
    std::vector<std::string> m_shownForms;
    std::vector<std::string> m_hiddenForms;
    int m_endings = 0;
    std::function<void(const std::string&, int)> m_onStartTimer;
};

}  // namespace qvset::forms::testing
