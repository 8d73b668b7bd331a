#include "app/CaptionLabel.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QTextLayout>
#include <cmath>

namespace qvset::app {

CaptionLabel::CaptionLabel(const QString& text, QWidget* parent) : QLabel(text, parent) {
    setAlignment(Qt::AlignLeft | Qt::AlignTop);
}

void CaptionLabel::paintEvent(QPaintEvent* event) {
    const QFontMetricsF metrics(font());
    if (metrics.horizontalAdvance(text()) <= width()) {
        QLabel::paintEvent(event);
        return;
    }
    // Line step: the font's pixel size; each line's box is centred on its step.
    const double pixelSize =
        font().pixelSize() > 0 ? font().pixelSize() : font().pointSizeF() * logicalDpiY() / 72.0;
    const double step = std::ceil(pixelSize);
    const double trim = (metrics.height() - step) / 2;

    QTextLayout layout(text(), font());
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    layout.setTextOption(option);
    layout.beginLayout();
    for (int index = 0;; ++index) {
        QTextLine line = layout.createLine();
        if (!line.isValid()) break;
        line.setLineWidth(width());
        line.setPosition(QPointF(0, index * step - trim));
    }
    layout.endLayout();

    QPainter painter(this);
    painter.setPen(
        palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::WindowText));
    layout.draw(&painter, QPointF(0, 0));
}

}  // namespace qvset::app
