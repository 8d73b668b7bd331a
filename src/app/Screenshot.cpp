#include "app/Screenshot.h"

#include <QApplication>
#include <QWidget>

namespace qvset::app {

QImage RenderWindow(QWidget& window) {
    window.show();
    QApplication::processEvents();
    return window.grab().toImage();
}

bool SaveScreenshot(QWidget& window, const QString& fileName) {
    return RenderWindow(window).save(fileName, "PNG");
}

}  // namespace qvset::app
