#include "app/QtPause.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimerEvent>

namespace qvset::app {

void QtPause::HoldDuringWaits(QTimer* timer) {
    m_held.push_back({timer, false});
    timer->installEventFilter(this);
}

bool QtPause::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::Timer) return false;
    for (auto& held : m_held) {
        if (held.timer != watched || static_cast<QTimerEvent*>(event)->timerId() != held.timer->timerId()) {
            continue;
        }
        if (m_waiting > 0) {
            held.due = true;  // held back until the pausing handler has returned
            return true;
        }
        held.due = false;  // the timer's own tick is the one that was due: one tick, not two
        return false;
    }
    return false;
}

void QtPause::Wait(int milliseconds) {
    if (milliseconds <= 0) return;
    ++m_waiting;
    QEventLoop loop;
    QTimer::singleShot(milliseconds, Qt::PreciseTimer, &loop, &QEventLoop::quit);
    loop.exec(QEventLoop::ExcludeUserInputEvents);
    --m_waiting;
    // Runs once control is back in an event loop: in the main loop after the handler has returned, or
    // in the handler's next wait, which leaves the ticks due for its own end.
    QTimer::singleShot(0, this, &QtPause::DeliverDueTicks);
}

void QtPause::DeliverDueTicks() {
    if (m_waiting > 0) return;
    for (auto& held : m_held) {
        if (!held.due || held.timer == nullptr) continue;
        held.due = false;
        if (!held.timer->isActive()) continue;
        QTimer* timer = held.timer;
        timer->start();  // the next tick a full interval after this one
        QTimerEvent tick(timer->timerId());
        QCoreApplication::sendEvent(timer, &tick);
    }
}

}  // namespace qvset::app
