#pragma once

#include "seams/Pause.h"

namespace qvset::app {

// The window's blocking wait: the window keeps painting and its timers keep ticking (the window's
// logic takes a tick during a wait for the clock only), but the user's input waits until the pausing
// handler has returned.
class QtPause final : public Pause {
  public:
    void Wait(int milliseconds) override;
};

}  // namespace qvset::app
