#include "app/DrawingWidget.h"

#include <QPainter>
#include <QPainterPath>
#include <QTextOption>

namespace qvset::app {

DrawingWidget::DrawingWidget(const forms::Drawing* drawing, QWidget* parent)
    : QWidget(parent), m_drawing(drawing) {
    setAutoFillBackground(true);
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, Qt::white);
    setPalette(palette);
}

void DrawingWidget::paintEvent(QPaintEvent*) {
    if (m_drawing == nullptr || m_drawing->width <= 0 || m_drawing->height <= 0) return;
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const double sx = width() / m_drawing->width;
    const double sy = height() / m_drawing->height;
    const auto at = [sx, sy](const forms::DrawPoint& point) { return QPointF(point.x * sx, point.y * sy); };
    for (const forms::Shape& shape : m_drawing->shapes) {
        const QColor colour(shape.grey, shape.grey, shape.grey);
        if (shape.points.empty()) continue;
        switch (shape.kind) {
            case forms::ShapeKind::Line: {
                QPen pen(colour, std::max(1.0, shape.penTwips * sx),
                         shape.dashed ? Qt::DashLine : Qt::SolidLine);
                painter.setPen(pen);
                QPainterPath path(at(shape.points.front()));
                for (std::size_t i = 1; i < shape.points.size(); ++i) path.lineTo(at(shape.points[i]));
                painter.drawPath(path);
                break;
            }
            case forms::ShapeKind::Fill: {
                QPainterPath path(at(shape.points.front()));
                for (std::size_t i = 1; i < shape.points.size(); ++i) path.lineTo(at(shape.points[i]));
                path.closeSubpath();
                painter.fillPath(path, colour);
                break;
            }
            case forms::ShapeKind::Text: {
                if (shape.points.size() < 2) break;
                QFont textFont = font();
                textFont.setPointSizeF(textFont.pointSizeF() * shape.fontScale);
                textFont.setBold(shape.bold);
                painter.setFont(textFont);
                painter.setPen(colour);
                const Qt::Alignment horizontal =
                    shape.placement == forms::TextPlacement::Right    ? Qt::AlignRight
                    : shape.placement == forms::TextPlacement::Centre ? Qt::AlignHCenter
                                                                      : Qt::AlignLeft;
                painter.drawText(QRectF(at(shape.points[0]), at(shape.points[1])),
                                 QString::fromStdString(shape.text),
                                 QTextOption(horizontal | Qt::AlignVCenter));
                break;
            }
        }
    }
}

}  // namespace qvset::app
