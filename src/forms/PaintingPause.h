#pragma once

#include <functional>

#include "printer/Pause.h"

namespace qvset::forms {

// The window's blocking wait: `beforeWait` has the window show what the handler has done so far (and
// the busy cursor) before the wait of the face's own pause begins.
class PaintingPause final : public Pause {
  public:
    PaintingPause(Pause& pause, std::function<void()> beforeWait)
        : m_pause(pause), m_beforeWait(std::move(beforeWait)) {}

    void Wait(int milliseconds) override {
        m_beforeWait();
        m_pause.Wait(milliseconds);
    }

  private:
    Pause& m_pause;
    std::function<void()> m_beforeWait;
};

}  // namespace qvset::forms
