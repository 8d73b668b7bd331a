#pragma once

#include <functional>

#include "seams/Pause.h"

namespace qvset::forms {

// The window's blocking wait: `beforeWait` has the window show what the handler has done so far and
// the busy cursor before the face's own pause begins; `afterWait` takes the busy cursor away again.
class PaintingPause final : public Pause {
  public:
    PaintingPause(Pause& pause, std::function<void()> beforeWait, std::function<void()> afterWait)
        : m_pause(pause), m_beforeWait(std::move(beforeWait)), m_afterWait(std::move(afterWait)) {}

    void Wait(int milliseconds) override {
        m_beforeWait();
        m_pause.Wait(milliseconds);
        m_afterWait();
    }

  private:
    Pause& m_pause;
    std::function<void()> m_beforeWait;
    std::function<void()> m_afterWait;
};

}  // namespace qvset::forms
