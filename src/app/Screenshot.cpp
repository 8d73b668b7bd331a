#include "app/Screenshot.h"

#include <QApplication>
#include <QBuffer>
#include <QWidget>
#include <span>

#include "files/FileContents.h"

namespace qvset::app {

QImage RenderWindow(QWidget& window) {
    window.show();
    QApplication::processEvents();
    return window.grab().toImage();
}

bool SaveScreenshot(QWidget& window, const QString& fileName) {
    const QImage image = RenderWindow(window);
    QByteArray png;
    QBuffer buffer(&png);
    if (!buffer.open(QIODevice::WriteOnly) || !image.save(&buffer, "PNG")) return false;
    const std::span<const std::uint8_t> bytes(reinterpret_cast<const std::uint8_t*>(png.constData()),
                                              static_cast<std::size_t>(png.size()));
    return ReplaceFileContents(std::filesystem::path(fileName.toStdU16String()), bytes);
}

}  // namespace qvset::app
