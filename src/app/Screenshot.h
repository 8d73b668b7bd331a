#pragma once

#include <QImage>
#include <QString>

class QWidget;

namespace qvset::app {

// The window's client area as an image (shown first, so that it is laid out and polished).
QImage RenderWindow(QWidget& window);

// The same, written as PNG the way descriptions are saved: an earlier picture is replaced only once the
// new one is complete (a full disk leaves it as it was), and its mode and links are kept. False when the
// file cannot be written.
bool SaveScreenshot(QWidget& window, const QString& fileName);

}  // namespace qvset::app
