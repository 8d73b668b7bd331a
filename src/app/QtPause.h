#pragma once

#include <QPointer>
#include <QTimer>
#include <vector>

#include "printer/Pause.h"

namespace qvset::app {

// The window's blocking wait. The window keeps repainting, but user input waits until the pausing
// handler has returned, and the held timers (Timer1) do not tick during the wait: they are stopped
// and started afresh when it ends, so the first tick after a run comes a full interval after its
// handler last paused.
class QtPause final : public Pause {
  public:
    void HoldDuringWaits(QTimer* timer) { m_held.emplace_back(timer); }
    void Wait(int milliseconds) override;

  private:
    std::vector<QPointer<QTimer>> m_held;
};

}  // namespace qvset::app
