#pragma once

#include <QImage>
#include <QString>

class QWidget;

namespace qvset::app {

// The window's client area as an image (shown first, so that it is laid out and polished).
QImage RenderWindow(QWidget& window);

// The same, written as PNG. The picture goes to a temporary file beside the target that replaces it
// only once complete, so a full disk or a failed write leaves an earlier picture as it was. False when
// the file cannot be written.
bool SaveScreenshot(QWidget& window, const QString& fileName);

}  // namespace qvset::app
