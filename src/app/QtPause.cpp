#include "app/QtPause.h"

#include <QEventLoop>

namespace qvset::app {

void QtPause::Wait(int milliseconds) {
    if (milliseconds <= 0) return;
    std::vector<QPointer<QTimer>> stopped;
    for (const auto& timer : m_held) {
        if (timer != nullptr && timer->isActive()) {
            timer->stop();
            stopped.push_back(timer);
        }
    }
    QEventLoop loop;
    QTimer::singleShot(milliseconds, Qt::PreciseTimer, &loop, &QEventLoop::quit);
    loop.exec(QEventLoop::ExcludeUserInputEvents);
    for (const auto& timer : stopped) {
        if (timer != nullptr) timer->start();
    }
}

}  // namespace qvset::app
