#include "app/QtPause.h"

#include <QEventLoop>
#include <QTimer>

namespace qvset::app {

void QtPause::Wait(int milliseconds) {
    if (milliseconds <= 0) return;
    QEventLoop loop;
    QTimer::singleShot(milliseconds, Qt::PreciseTimer, &loop, &QEventLoop::quit);
    loop.exec(QEventLoop::ExcludeUserInputEvents);
}

}  // namespace qvset::app
