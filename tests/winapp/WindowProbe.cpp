// qvset_probe.exe: tells a script where things of the running qvset.exe's windows are on the screen,
// or closes a window. Wine's screen is the X display's, so xdotool can click there.
//   qvset_probe.exe where NAME        prints "X Y", the centre of the main window's control NAME in
//                                     screen pixels (exit 1: not found)
//   qvset_probe.exe closebox FORM     prints "X Y", the centre of the close box of the window FORM
//                                     (Form1, Form2, Form3; exit 1: not on screen)
//   qvset_probe.exe close [FORM]      asks the window (the main window unless named) to close
#include <windows.h>

#include <cstdio>
#include <string>

#include "forms/FormLayout.h"
#include "text/WideText.h"
#include "winapp/ControlIds.h"
#include "winapp/WinForm.h"

namespace {

// The window of that name, found by its caption.
HWND FindForm(const std::string& form) {
    using namespace qvset::forms;
    const FormLayout* layout = form == "Form1"   ? &Form1Layout()
                               : form == "Form2" ? &Form2Layout()
                               : form == "Form3" ? &Form3Layout()
                                                 : nullptr;
    if (layout == nullptr) return nullptr;
    return FindWindowW(qvset::winapp::kFormClass, qvset::ToWide(layout->caption).c_str());
}

void PrintCentre(const RECT& rect) {
    std::printf("%ld %ld\n", (rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2);
}

// The close box: the last square of the caption bar, at its right end.
RECT CloseBox(HWND window) {
    TITLEBARINFO bar{};
    bar.cbSize = sizeof(bar);
    RECT title{};
    if (GetTitleBarInfo(window, &bar) && bar.rcTitleBar.bottom > bar.rcTitleBar.top) {
        title = bar.rcTitleBar;
    } else {
        GetWindowRect(window, &title);
        const int frame = GetSystemMetrics(SM_CXFIXEDFRAME);
        title = RECT{title.left + frame, title.top + frame, title.right - frame,
                     title.top + frame + GetSystemMetrics(SM_CYCAPTION)};
    }
    const LONG side = title.bottom - title.top;
    return RECT{title.right - side, title.top, title.right, title.bottom};
}

}  // namespace

int main(int argc, char** argv) {
    using namespace qvset;
    if (argc < 2) return 2;
    const std::string verb = argv[1];
    if (verb == "close") {
        HWND window = FindForm(argc >= 3 ? argv[2] : "Form1");
        if (window == nullptr) return 1;
        PostMessageW(window, WM_CLOSE, 0, 0);
        return 0;
    }
    if (verb == "closebox" && argc >= 3) {
        HWND window = FindForm(argv[2]);
        if (window == nullptr || !IsWindowVisible(window)) return 1;
        PrintCentre(CloseBox(window));
        return 0;
    }
    if (verb != "where" || argc < 3) return 2;
    HWND window = FindForm("Form1");
    if (window == nullptr) return 1;
    HWND control = GetDlgItem(window, winapp::ControlId(forms::Form1Layout(), argv[2]));
    if (control == nullptr || !IsWindowVisible(control)) return 1;
    RECT rect{};
    GetWindowRect(control, &rect);
    PrintCentre(rect);
    return 0;
}
