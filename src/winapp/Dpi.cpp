#include "winapp/Dpi.h"

namespace qvset::winapp {

namespace {

template <typename Function>
Function User32Function(const char* name) {
    HMODULE user32 = GetModuleHandleW(L"user32.dll");
    if (user32 == nullptr) return nullptr;
    // The address is the function's: the cast back to its type is how GetProcAddress is used.
    return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(user32, name)));
}

using GetDpiForWindowFunction = UINT(WINAPI*)(HWND);
using AdjustForDpiFunction = BOOL(WINAPI*)(LPRECT, DWORD, BOOL, DWORD, UINT);

}  // namespace

int DpiOf(HWND window) {
    static const auto forWindow = User32Function<GetDpiForWindowFunction>("GetDpiForWindow");
    if (window != nullptr && forWindow != nullptr) {
        const UINT dpi = forWindow(window);
        if (dpi != 0) return static_cast<int>(dpi);
    }
    HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSX);
    ReleaseDC(nullptr, screen);
    return dpi > 0 ? dpi : USER_DEFAULT_SCREEN_DPI;
}

RECT OuterRect(RECT client, DWORD style, DWORD exStyle, int dpi) {
    static const auto forDpi = User32Function<AdjustForDpiFunction>("AdjustWindowRectExForDpi");
    if (forDpi != nullptr && forDpi(&client, style, FALSE, exStyle, static_cast<UINT>(dpi))) return client;
    AdjustWindowRectEx(&client, style, FALSE, exStyle);
    return client;
}

}  // namespace qvset::winapp
