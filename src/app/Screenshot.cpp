#include "app/Screenshot.h"

#include <QApplication>
#include <QSaveFile>
#include <QWidget>

namespace qvset::app {

QImage RenderWindow(QWidget& window) {
    window.show();
    QApplication::processEvents();
    return window.grab().toImage();
}

bool SaveScreenshot(QWidget& window, const QString& fileName) {
    const QImage image = RenderWindow(window);
    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly)) return false;
    if (!image.save(&file, "PNG")) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

}  // namespace qvset::app
