#pragma once

// windows.h first, in a block of its own: the other Windows headers build on it.
#include <windows.h>

namespace qvset::winapp {

// The dots per inch of the monitor a window is on (of the primary screen for nullptr). The per-monitor
// calls are looked up at run time, so the program still starts on systems that lack them.
int DpiOf(HWND window);

// The outer size of a window whose client area is `client` at `dpi`.
RECT OuterRect(RECT client, DWORD style, DWORD exStyle, int dpi);

}  // namespace qvset::winapp
