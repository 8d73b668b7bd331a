#pragma once

#include <QWidget>
#include <map>
#include <stdexcept>
#include <string>
#include <string_view>

#include "app/FormHost.h"
#include "forms/FormLogic.h"
#include "forms/View.h"

class QTimer;

namespace qvset::app {

// The Qt face of a window: it builds every control of the logic's layout as its Qt counterpart, named
// as the layout names it and placed at its twips rectangle, forwards each control's user events to the
// logic by name and applies the logic's view calls. It holds no rule of its own. Controls outside the
// Tab order take no focus, so the hidden ones below the client area can never be reached.
class QtForm final : public QWidget, public forms::View {
    Q_OBJECT

  public:
    // Builds the controls and attaches the logic, which runs the window's start-up.
    QtForm(forms::FormLogic& logic, FormHost& host, QWidget* parent = nullptr);
    ~QtForm() override;

    forms::FormLogic& Logic() { return m_logic; }

    // The control `name` as a T (a QPushButton, QLabel, QLineEdit, QComboBox, ...). Throws
    // std::logic_error for a name not in the layout or a control of another kind.
    template <class T>
    T* Control(std::string_view name) const {
        T* control = qobject_cast<T*>(Widget(name));
        if (control == nullptr) throw std::logic_error("control of another kind: " + std::string(name));
        return control;
    }
    QWidget* Widget(std::string_view name) const;
    QTimer* Timer(std::string_view name) const;

    // forms::View
    void SetText(std::string_view name, std::string_view text) override;
    void SetLit(std::string_view name, bool lit) override;
    void SetEnabled(std::string_view name, bool enabled) override;
    void SetChecked(std::string_view name, bool checked) override;
    void SetEntries(std::string_view name, const std::vector<std::string>& entries) override;
    void SetSelectedIndex(std::string_view name, int index) override;
    void StartTimer(std::string_view name, int intervalMs) override;
    void RepaintNow() override;
    void SetWaitCursor(bool on) override;
    void ShowForm(std::string_view form) override { m_host.ShowForm(form); }
    void HideForm(std::string_view form) override { m_host.HideForm(form); }
    void EndProgram() override { m_host.EndProgram(); }

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    void BuildControls();
    void ConnectControl(const forms::ControlSpec& layoutControl, QWidget* control);
    void ApplyTabOrder();
    void Forward(const forms::FormEvent& event);

    forms::FormLogic& m_logic;
    FormHost& m_host;
    std::map<std::string, QWidget*, std::less<>> m_controls;
    std::map<std::string, QTimer*, std::less<>> m_timers;
    int m_applying = 0;  // view calls being applied: the signals they raise are not the user's
    bool m_waitCursor = false;
};

}  // namespace qvset::app
