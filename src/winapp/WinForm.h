#pragma once

// windows.h first, in a block of its own: the other Windows headers build on it.
#include <windows.h>

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "forms/FormLogic.h"
#include "forms/Program.h"
#include "forms/View.h"
#include "winapp/WindowFonts.h"

namespace qvset::winapp {

// One window of the program as plain Win32 controls over its toolkit-free logic. It creates every
// control of the layout as its Win32 counterpart, child of the window at the control's rectangle in the
// client area (twips at the monitor's dots per inch), with the ID of its row in the table; forwards the
// controls' notifications, the timers and the close box to the logic by name; and applies the logic's
// view calls by name. It holds no rule of the window itself.
//
// Controls the window does not show are created without WS_VISIBLE: they exist and are wired, but
// cannot be seen or reached. Only the controls of the layout's tab order have WS_TABSTOP, and they are
// created first, in that order, so that the dialog manager walks them in it.
class WinForm final : public forms::View, public forms::FormFace {
  public:
    // What the face cannot do by itself: the program's other windows and its end.
    struct Host {
        std::function<void(std::string_view form)> showForm;
        std::function<void(std::string_view form)> hideForm;
        std::function<void()> endProgram;
    };

    WinForm(forms::FormLogic& logic, Host host);
    ~WinForm() override;
    WinForm(const WinForm&) = delete;
    WinForm& operator=(const WinForm&) = delete;

    // Creates the window and its controls, not yet shown, and attaches the logic: the window's start-up
    // runs before it is first displayed.
    void Create();
    // Shows the window and brings it to the front, the focus on its first control.
    void Show() override;
    void Hide() override;
    bool IsShown() const override { return m_window != nullptr && IsWindowVisible(m_window) != FALSE; }

    HWND Window() const { return m_window; }
    // The control of that name, as GetDlgItem finds it by the ID of its row; nullptr for none.
    HWND Control(std::string_view name) const;
    forms::FormLogic& Logic() { return m_logic; }
    bool IsLitShown(std::string_view control) const;
    bool WaitCursorShown() const { return m_waitCursor; }

    // The message loop's part for the program's windows: Enter presses the focused push button, Tab and
    // Shift+Tab walk the focus chain. True when the message was taken.
    static bool TakeDialogMessage(MSG& message);

    // The view.
    void SetText(std::string_view control, std::string_view text) override;
    void SetLit(std::string_view control, bool lit) override;
    void SetEnabled(std::string_view control, bool enabled) override;
    void SetChecked(std::string_view control, bool checked) override;
    void SetEntries(std::string_view control, const std::vector<std::string>& entries) override;
    void SetSelectedIndex(std::string_view control, int index) override;
    void StartTimer(std::string_view timer, int intervalMs) override;
    void RepaintNow() override;
    void SetWaitCursor(bool on) override;
    void ShowForm(std::string_view form) override { m_host.showForm(form); }
    void HideForm(std::string_view form) override { m_host.hideForm(form); }
    void EndProgram() override { m_host.endProgram(); }

  private:
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK DrawingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    static void RegisterClasses();
    LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam);

    void CreateControls();
    void CreateControl(std::size_t row);
    // Sizes the window and places every control for the current dots per inch.
    void PlaceControls();
    void OnCommand(int id, int code);
    void Forward(const forms::FormEvent& event);
    std::size_t RowOf(std::string_view control) const;
    HWND FirstTabStop() const;

    forms::FormLogic& m_logic;
    Host m_host;
    HWND m_window = nullptr;
    std::vector<HWND> m_controls;  // by row of the layout
    std::vector<bool> m_lit;       // by row
    std::map<std::string, UINT_PTR, std::less<>> m_timers;
    std::unique_ptr<WindowFonts> m_fonts;
    int m_dpi = USER_DEFAULT_SCREEN_DPI;
    int m_applying = 0;  // view calls in progress: the controls' notifications are not the user's
    bool m_waitCursor = false;
    HWND m_lastFocus = nullptr;
};

inline constexpr const wchar_t* kFormClass = L"QvsetForm";
inline constexpr const wchar_t* kDrawingClass = L"QvsetDrawing";

}  // namespace qvset::winapp
