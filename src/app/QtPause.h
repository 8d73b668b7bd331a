#pragma once

#include <QObject>
#include <QPointer>
#include <QTimer>
#include <vector>

#include "printer/Pause.h"

namespace qvset::app {

// The window's blocking wait. The window keeps repainting, but user input waits until the pausing
// handler has returned, and the held timers (Timer1) do not tick during the wait. A tick that came due
// during a wait is not lost: it is delivered once, as soon as the handler has returned to the event
// loop (not inside a later wait of the same handler), and the timer's next tick comes a full interval
// after it, as a timer's pending tick is delivered after a long blocking handler.
class QtPause final : public QObject, public Pause {
    Q_OBJECT

  public:
    void HoldDuringWaits(QTimer* timer);
    void Wait(int milliseconds) override;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    struct Held {
        QPointer<QTimer> timer;
        bool due = false;
    };

    void DeliverDueTicks();

    std::vector<Held> m_held;
    int m_waiting = 0;  // nested waits in progress
};

}  // namespace qvset::app
