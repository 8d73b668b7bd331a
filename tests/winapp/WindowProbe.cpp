// qvset_probe.exe: tells a script where a control of the running qvset.exe's main window is on the
// screen, or closes that window. Wine's screen is the X display's, so xdotool can click there.
//   qvset_probe.exe where NAME   prints "X Y", the control's centre in screen pixels (exit 1: not found)
//   qvset_probe.exe close        asks the main window to close
#include <windows.h>

#include <cstdio>
#include <string>

#include "forms/FormLayout.h"
#include "winapp/ControlIds.h"
#include "winapp/WinForm.h"

int main(int argc, char** argv) {
    using namespace qvset;
    if (argc < 2) return 2;
    HWND window = FindWindowW(winapp::kFormClass, L"设置");
    if (window == nullptr) return 1;
    const std::string verb = argv[1];
    if (verb == "close") {
        PostMessageW(window, WM_CLOSE, 0, 0);
        return 0;
    }
    if (verb != "where" || argc < 3) return 2;
    HWND control = GetDlgItem(window, winapp::ControlId(forms::Form1Layout(), argv[2]));
    if (control == nullptr || !IsWindowVisible(control)) return 1;
    RECT rect{};
    GetWindowRect(control, &rect);
    std::printf("%ld %ld\n", (rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2);
    return 0;
}
