#include "winapp/WinPause.h"

namespace qvset::winapp {

namespace {

// Dispatches every queued message of one kind; sent messages are delivered by the peek itself.
void DispatchQueued(UINT kind) {
    MSG message;
    while (PeekMessageW(&message, nullptr, kind, kind, PM_REMOVE)) DispatchMessageW(&message);
}

}  // namespace

void WinPause::Wait(int milliseconds) {
    const ULONGLONG deadline = GetTickCount64() + static_cast<ULONGLONG>(milliseconds > 0 ? milliseconds : 0);
    for (;;) {
        DispatchQueued(WM_PAINT);
        DispatchQueued(WM_TIMER);
        const ULONGLONG now = GetTickCount64();
        if (now >= deadline) return;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(deadline - now),
                                  QS_PAINT | QS_TIMER | QS_SENDMESSAGE);
    }
}

}  // namespace qvset::winapp
