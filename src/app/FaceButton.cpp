#include "app/FaceButton.h"

#include <QFontMetricsF>
#include <QStyleOptionButton>
#include <QStylePainter>

namespace qvset::app {

namespace {

// Pixels between a caption and the button's edges, and the frame the style draws round the face.
constexpr int kCaptionMargin = 4;
constexpr int kFrame = 2;
constexpr double kSmallestButtonPointSize = 6.5;

}  // namespace

FaceButton::FaceButton(const QString& caption, QWidget* parent) : QPushButton(caption, parent) {
    setAutoDefault(true);
}

void FaceButton::SetLit(bool lit) {
    if (lit == m_lit) return;
    m_lit = lit;
    update();
}

void FaceButton::paintEvent(QPaintEvent*) {
    QStylePainter painter(this);
    QStyleOptionButton option;
    initStyleOption(&option);
    painter.drawControl(QStyle::CE_PushButtonBevel, option);
    if (m_lit) painter.fillRect(rect().adjusted(kFrame, kFrame, -kFrame, -kFrame), kLitColour);

    QFont captionFont = font();
    const double room = width() - 2.0 * kCaptionMargin;
    while (QFontMetricsF(captionFont).horizontalAdvance(text()) > room &&
           captionFont.pointSizeF() > kSmallestButtonPointSize) {
        captionFont.setPointSizeF(captionFont.pointSizeF() - 0.5);
    }
    painter.setFont(captionFont);
    option.fontMetrics = QFontMetrics(captionFont);
    painter.drawControl(QStyle::CE_PushButtonLabel, option);
}

}  // namespace qvset::app
