#include "app/CaptionLabel.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QTextLayout>
#include <cmath>
#include <vector>

namespace qvset::app {

namespace {

// Pixels kept free above the first line's ink and below the last line's; a control laid out just
// below a label may overlap its last pixel.
constexpr double kTopMargin = 1.5;
constexpr double kBottomMargin = 2.5;
constexpr double kSmallestPointSize = 7.5;
// The ink a line's height is measured by: a Chinese character (punctuation may reach a little further).
const QString kInkSample = QStringLiteral("国");

struct WrappedCaption {
    std::vector<QString> lines;
    double step = 0;    // from one line's baseline to the next
    double inkTop = 0;  // above the first baseline
    double inkBottom = 0;
    double Height() const { return (static_cast<double>(lines.size()) - 1) * step + inkTop + inkBottom; }
};

WrappedCaption Wrap(const QString& text, const QFont& font, double width, int logicalDpiY) {
    WrappedCaption wrapped;
    const double pixelSize = font.pixelSize() > 0 ? font.pixelSize() : font.pointSizeF() * logicalDpiY / 72.0;
    wrapped.step = pixelSize;
    QTextLayout layout(text, font);
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    layout.setTextOption(option);
    layout.beginLayout();
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(width);
        wrapped.lines.push_back(text.mid(line.textStart(), line.textLength()));
    }
    layout.endLayout();
    const QRectF ink = QFontMetricsF(font).tightBoundingRect(kInkSample);
    wrapped.inkTop = -ink.top();
    wrapped.inkBottom = ink.bottom();
    return wrapped;
}

}  // namespace

CaptionLabel::CaptionLabel(const QString& text, QWidget* parent) : QLabel(text, parent) {
    setAlignment(Qt::AlignLeft | Qt::AlignTop);
}

void CaptionLabel::paintEvent(QPaintEvent* event) {
    if (QFontMetricsF(font()).horizontalAdvance(text()) <= width()) {
        QLabel::paintEvent(event);
        return;
    }
    QFont captionFont = font();
    const double room = height() - kTopMargin - kBottomMargin;
    WrappedCaption wrapped = Wrap(text(), captionFont, width(), logicalDpiY());
    while (wrapped.Height() > room && captionFont.pointSizeF() > kSmallestPointSize) {
        captionFont.setPointSizeF(captionFont.pointSizeF() - 0.25);
        wrapped = Wrap(text(), captionFont, width(), logicalDpiY());
    }
    const double firstBaseline = kTopMargin + std::max(0.0, (room - wrapped.Height()) / 2) + wrapped.inkTop;

    QPainter painter(this);
    painter.setFont(captionFont);
    painter.setPen(
        palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::WindowText));
    for (std::size_t index = 0; index < wrapped.lines.size(); ++index) {
        painter.drawText(QPointF(0, firstBaseline + static_cast<double>(index) * wrapped.step),
                         wrapped.lines[index]);
    }
}

}  // namespace qvset::app
