#include "app/TicketDrawing.h"

#include <QPainter>
#include <QPainterPath>
#include <algorithm>

namespace qvset::app {

namespace {

// Drawn on a canvas of kCanvasWidth × kCanvasHeight, scaled to the widget.
constexpr int kCanvasWidth = 340;
constexpr int kCanvasHeight = 440;
constexpr double kPixelsPerMm = 4.0;
constexpr double kTopY = 40;
constexpr double kUpperEndMm = 65;     // the scale is drawn from 0 to here,
constexpr double kLowerStartMm = 135;  // then broken, and continues from here
constexpr double kLowerEndMm = 160;
constexpr double kBreakGap = 18;
constexpr double kRulerX = 52;
constexpr double kTicketLeft = 70;
constexpr double kTicketRight = 250;
constexpr double kB = 27;
constexpr double kP = 35;
constexpr double kL = 152;
constexpr int kFigures[] = {20, 30, 40, 50, 60, 140, 150, 160};

constexpr const char* kHeader = "发 票 联";
constexpr const char* kFirstPrintLine = "起始打印行";
constexpr const char* kTicketLength = "票长";
constexpr const char* kBlackMarkDistance = "黑标距离";
constexpr const char* kPrintStartDistance = "起始打印距离";
constexpr const char* kUnit = "mm";

double YOfMm(double mm) {
    if (mm <= kUpperEndMm) return kTopY + mm * kPixelsPerMm;
    return kTopY + kUpperEndMm * kPixelsPerMm + kBreakGap + (mm - kLowerStartMm) * kPixelsPerMm;
}

const double kBreakTop = YOfMm(kUpperEndMm);
const double kBreakBottom = kBreakTop + kBreakGap;

QString Text(const char* utf8) {
    return QString::fromUtf8(utf8);
}

// A vertical line from y1 to y2 that leaves out the break of the scale.
void VerticalBroken(QPainter& painter, double x, double y1, double y2) {
    if (y2 <= kBreakTop || y1 >= kBreakBottom) {
        painter.drawLine(QPointF(x, y1), QPointF(x, y2));
        return;
    }
    painter.drawLine(QPointF(x, y1), QPointF(x, kBreakTop));
    painter.drawLine(QPointF(x, kBreakBottom), QPointF(x, y2));
}

void Arrowhead(QPainter& painter, QPointF tip, double direction) {
    QPainterPath head;
    head.moveTo(tip);
    head.lineTo(tip.x() - 3, tip.y() - 7 * direction);
    head.lineTo(tip.x() + 3, tip.y() - 7 * direction);
    head.closeSubpath();
    painter.fillPath(head, painter.pen().color());
}

// A dimension from the ticket's top edge down to `mm`, at x, with its letter beside it.
void Dimension(QPainter& painter, double x, double mm, const QString& letter) {
    const double bottom = YOfMm(mm);
    VerticalBroken(painter, x, kTopY, bottom);
    Arrowhead(painter, QPointF(x, kTopY), -1);
    Arrowhead(painter, QPointF(x, bottom), 1);
    const double middle = (kTopY + std::min(bottom, kBreakTop)) / 2;
    painter.drawText(QRectF(x + 3, middle - 8, 16, 16), Qt::AlignLeft | Qt::AlignVCenter, letter);
}

}  // namespace

TicketDrawing::TicketDrawing(QWidget* parent) : QWidget(parent) {
    setAutoFillBackground(true);
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, Qt::white);
    setPalette(palette);
}

void TicketDrawing::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setWindow(0, 0, kCanvasWidth, kCanvasHeight);
    painter.setViewport(rect());
    painter.setPen(QPen(Qt::black, 1));
    const double ticketBottom = YOfMm(kL);

    // Scale with its figures and unit.
    VerticalBroken(painter, kRulerX, kTopY, YOfMm(kLowerEndMm));
    for (int mm = 0; mm <= static_cast<int>(kLowerEndMm); mm += 5) {
        if (mm > kUpperEndMm && mm < kLowerStartMm) continue;
        const double y = YOfMm(mm);
        painter.drawLine(QPointF(kRulerX - (mm % 10 == 0 ? 8 : 4), y), QPointF(kRulerX, y));
    }
    for (int figure : kFigures) {
        painter.drawText(QRectF(8, YOfMm(figure) - 8, kRulerX - 18, 16), Qt::AlignRight | Qt::AlignVCenter,
                         QString::number(figure));
    }
    painter.drawText(QRectF(8, kTopY - 30, kRulerX - 10, 16), Qt::AlignRight | Qt::AlignVCenter, Text(kUnit));
    for (double offset : {4.0, 12.0}) {
        painter.drawLine(QPointF(kRulerX - 6, kBreakTop + offset + 3),
                         QPointF(kRulerX + 6, kBreakTop + offset - 3));
    }

    // The ticket, torn across the break of the scale.
    painter.drawLine(QPointF(kTicketLeft, kTopY), QPointF(kTicketRight, kTopY));
    painter.drawLine(QPointF(kTicketLeft, ticketBottom), QPointF(kTicketRight, ticketBottom));
    VerticalBroken(painter, kTicketLeft, kTopY, ticketBottom);
    VerticalBroken(painter, kTicketRight, kTopY, ticketBottom);
    for (double edge : {kBreakTop, kBreakBottom}) {
        QPainterPath tear;
        tear.moveTo(kTicketLeft, edge);
        for (double x = kTicketLeft + 10; x <= kTicketRight; x += 10)
            tear.lineTo(x, edge + ((static_cast<int>(x) / 10) % 2 == 0 ? -3 : 3));
        painter.drawPath(tear);
    }
    QFont headerFont = painter.font();
    headerFont.setBold(true);
    headerFont.setPointSizeF(headerFont.pointSizeF() * 1.4);
    painter.setFont(headerFont);
    painter.drawText(QRectF(kTicketLeft, kTopY + 8, kTicketRight - kTicketLeft, 24), Qt::AlignCenter,
                     Text(kHeader));
    painter.setFont(font());

    // Printed lines, suggested.
    painter.setPen(QPen(QColor(170, 170, 170), 2));
    for (double y = YOfMm(kP) + 26; y < kBreakTop - 6; y += 14) {
        painter.drawLine(QPointF(kTicketLeft + 20, y),
                         QPointF(kTicketRight - 20 - (static_cast<int>(y) % 3) * 15, y));
    }
    for (double y = kBreakBottom + 12; y < ticketBottom - 22; y += 14) {
        painter.drawLine(QPointF(kTicketLeft + 20, y), QPointF(kTicketRight - 40, y));
    }

    // Black mark and its distance.
    const double blackMarkY = YOfMm(kB);
    painter.fillRect(QRectF(kTicketLeft, blackMarkY, 14, 14), Qt::black);
    QPen dashed(Qt::black, 1, Qt::DashLine);
    painter.setPen(dashed);
    painter.drawLine(QPointF(kTicketLeft + 14, blackMarkY), QPointF(kTicketRight + 16, blackMarkY));
    painter.setPen(QPen(Qt::black, 1));
    painter.drawText(QRectF(kTicketLeft + 20, blackMarkY - 17, kTicketRight - kTicketLeft - 24, 16),
                     Qt::AlignRight | Qt::AlignVCenter, Text(kBlackMarkDistance));

    // First print line and its distance.
    const double printStartY = YOfMm(kP);
    painter.setPen(dashed);
    painter.drawLine(QPointF(kTicketLeft, printStartY), QPointF(kTicketRight + 38, printStartY));
    painter.setPen(QPen(Qt::black, 1));
    painter.drawText(QRectF(kTicketLeft + 20, printStartY - 17, kTicketRight - kTicketLeft - 24, 16),
                     Qt::AlignRight | Qt::AlignVCenter, Text(kPrintStartDistance));
    painter.drawText(QRectF(kTicketLeft + 6, printStartY + 2, kTicketRight - kTicketLeft - 12, 16),
                     Qt::AlignLeft | Qt::AlignVCenter, Text(kFirstPrintLine));

    // Ticket length.
    painter.drawText(QRectF(kTicketLeft + 20, ticketBottom - 19, kTicketRight - kTicketLeft - 24, 16),
                     Qt::AlignRight | Qt::AlignVCenter, Text(kTicketLength));

    // Dimensions from the top edge, with their extension lines.
    painter.setPen(QPen(Qt::black, 1));
    painter.drawLine(QPointF(kTicketRight, kTopY), QPointF(kTicketRight + 66, kTopY));
    painter.drawLine(QPointF(kTicketRight, ticketBottom), QPointF(kTicketRight + 66, ticketBottom));
    Dimension(painter, kTicketRight + 12, kB, "B");
    Dimension(painter, kTicketRight + 34, kP, "P");
    Dimension(painter, kTicketRight + 60, kL, "L");
}

}  // namespace qvset::app
