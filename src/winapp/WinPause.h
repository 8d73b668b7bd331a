#pragma once

// windows.h first, in a block of its own: the other Windows headers build on it.
#include <windows.h>

#include "seams/Pause.h"

namespace qvset::winapp {

// A blocking wait in the window's thread that keeps the windows painted and lets timer messages reach
// them (the window's logic takes a tick during a handler as the clock's alone). Keyboard and mouse
// input, and every other posted message, stay queued until the waiting handler has returned.
class WinPause final : public Pause {
  public:
    void Wait(int milliseconds) override;
};

}  // namespace qvset::winapp
