#include "forms/TicketDrawing.h"

#include <algorithm>
#include <string>

namespace qvset::forms {

namespace {

// Laid out on a canvas of kCanvasWidth × kCanvasHeight units, then scaled to the picture's twips.
constexpr double kCanvasWidth = 340;
constexpr double kCanvasHeight = 440;
constexpr double kPictureWidth = 5160;
constexpr double kPictureHeight = 6720;
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
constexpr int kPrintedLineGrey = 170;

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

// Collects shapes in canvas units; Finish scales them to twips.
class Sketch {
  public:
    void Line(DrawPoint from, DrawPoint to, bool dashed = false) {
        Shape& shape = Add(ShapeKind::Line, {from, to});
        shape.dashed = dashed;
    }
    void Polyline(std::vector<DrawPoint> points) { Add(ShapeKind::Line, std::move(points)); }
    void Fill(std::vector<DrawPoint> points) { Add(ShapeKind::Fill, std::move(points)); }
    void Text(double left, double top, double width, double height, TextPlacement placement,
              const std::string& text, double fontScale = 1, bool bold = false) {
        Shape& shape = Add(ShapeKind::Text, {{left, top}, {left + width, top + height}});
        shape.text = text;
        shape.placement = placement;
        shape.fontScale = fontScale;
        shape.bold = bold;
    }
    // A vertical line from y1 to y2 that leaves out the break of the scale.
    void VerticalBroken(double x, double y1, double y2) {
        if (y2 <= kBreakTop || y1 >= kBreakBottom) {
            Line({x, y1}, {x, y2});
            return;
        }
        Line({x, y1}, {x, kBreakTop});
        Line({x, kBreakBottom}, {x, y2});
    }
    void Arrowhead(DrawPoint tip, double direction) {
        Fill({tip, {tip.x - 3, tip.y - 7 * direction}, {tip.x + 3, tip.y - 7 * direction}});
    }
    // A dimension from the ticket's top edge down to `mm`, at x, with its letter beside it.
    void Dimension(double x, double mm, const std::string& letter) {
        const double bottom = YOfMm(mm);
        VerticalBroken(x, kTopY, bottom);
        Arrowhead({x, kTopY}, -1);
        Arrowhead({x, bottom}, 1);
        const double middle = (kTopY + std::min(bottom, kBreakTop)) / 2;
        Text(x + 3, middle - 8, 16, 16, TextPlacement::Left, letter);
    }
    void Pen(int grey, double width) {
        m_grey = grey;
        m_pen = width;
    }

    Drawing Finish() {
        const double sx = kPictureWidth / kCanvasWidth;
        const double sy = kPictureHeight / kCanvasHeight;
        for (Shape& shape : m_drawing.shapes) {
            for (DrawPoint& point : shape.points) point = {point.x * sx, point.y * sy};
            shape.penTwips *= sx;
        }
        m_drawing.width = kPictureWidth;
        m_drawing.height = kPictureHeight;
        return m_drawing;
    }

  private:
    Shape& Add(ShapeKind kind, std::vector<DrawPoint> points) {
        Shape shape;
        shape.kind = kind;
        shape.points = std::move(points);
        shape.grey = m_grey;
        shape.penTwips = m_pen;
        m_drawing.shapes.push_back(std::move(shape));
        return m_drawing.shapes.back();
    }

    Drawing m_drawing;
    int m_grey = 0;
    double m_pen = 1;
};

Drawing Draw() {
    Sketch sketch;
    const double ticketBottom = YOfMm(kL);

    // Scale with its figures and unit.
    sketch.VerticalBroken(kRulerX, kTopY, YOfMm(kLowerEndMm));
    for (int mm = 0; mm <= static_cast<int>(kLowerEndMm); mm += 5) {
        if (mm > kUpperEndMm && mm < kLowerStartMm) continue;
        const double y = YOfMm(mm);
        sketch.Line({kRulerX - (mm % 10 == 0 ? 8 : 4), y}, {kRulerX, y});
    }
    for (int figure : kFigures) {
        sketch.Text(8, YOfMm(figure) - 8, kRulerX - 18, 16, TextPlacement::Right, std::to_string(figure));
    }
    sketch.Text(8, kTopY - 30, kRulerX - 10, 16, TextPlacement::Right, kUnit);
    for (double offset : {4.0, 12.0}) {
        sketch.Line({kRulerX - 6, kBreakTop + offset + 3}, {kRulerX + 6, kBreakTop + offset - 3});
    }

    // The ticket, torn across the break of the scale.
    sketch.Line({kTicketLeft, kTopY}, {kTicketRight, kTopY});
    sketch.Line({kTicketLeft, ticketBottom}, {kTicketRight, ticketBottom});
    sketch.VerticalBroken(kTicketLeft, kTopY, ticketBottom);
    sketch.VerticalBroken(kTicketRight, kTopY, ticketBottom);
    for (double edge : {kBreakTop, kBreakBottom}) {
        std::vector<DrawPoint> tear{{kTicketLeft, edge}};
        for (double x = kTicketLeft + 10; x <= kTicketRight; x += 10) {
            tear.push_back({x, edge + ((static_cast<int>(x) / 10) % 2 == 0 ? -3 : 3)});
        }
        sketch.Polyline(std::move(tear));
    }
    sketch.Text(kTicketLeft, kTopY + 8, kTicketRight - kTicketLeft, 24, TextPlacement::Centre, kHeader, 1.4,
                true);

    // Printed lines, suggested.
    sketch.Pen(kPrintedLineGrey, 2);
    for (double y = YOfMm(kP) + 26; y < kBreakTop - 6; y += 14) {
        sketch.Line({kTicketLeft + 20, y}, {kTicketRight - 20 - (static_cast<int>(y) % 3) * 15, y});
    }
    for (double y = kBreakBottom + 12; y < ticketBottom - 22; y += 14) {
        sketch.Line({kTicketLeft + 20, y}, {kTicketRight - 40, y});
    }
    sketch.Pen(0, 1);

    // Black mark and its distance.
    const double blackMarkY = YOfMm(kB);
    sketch.Fill({{kTicketLeft, blackMarkY},
                 {kTicketLeft + 14, blackMarkY},
                 {kTicketLeft + 14, blackMarkY + 14},
                 {kTicketLeft, blackMarkY + 14}});
    sketch.Line({kTicketLeft + 14, blackMarkY}, {kTicketRight + 16, blackMarkY}, true);
    sketch.Text(kTicketLeft + 20, blackMarkY - 17, kTicketRight - kTicketLeft - 24, 16, TextPlacement::Right,
                kBlackMarkDistance);

    // First print line and its distance.
    const double printStartY = YOfMm(kP);
    sketch.Line({kTicketLeft, printStartY}, {kTicketRight + 38, printStartY}, true);
    sketch.Text(kTicketLeft + 20, printStartY - 17, kTicketRight - kTicketLeft - 24, 16, TextPlacement::Right,
                kPrintStartDistance);
    sketch.Text(kTicketLeft + 6, printStartY + 2, kTicketRight - kTicketLeft - 12, 16, TextPlacement::Left,
                kFirstPrintLine);

    // Ticket length.
    sketch.Text(kTicketLeft + 20, ticketBottom - 19, kTicketRight - kTicketLeft - 24, 16,
                TextPlacement::Right, kTicketLength);

    // Dimensions from the top edge, with their extension lines.
    sketch.Line({kTicketRight, kTopY}, {kTicketRight + 66, kTopY});
    sketch.Line({kTicketRight, ticketBottom}, {kTicketRight + 66, ticketBottom});
    sketch.Dimension(kTicketRight + 12, kB, "B");
    sketch.Dimension(kTicketRight + 34, kP, "P");
    sketch.Dimension(kTicketRight + 60, kL, "L");
    return sketch.Finish();
}

}  // namespace

const Drawing& TicketDrawing() {
    static const Drawing kDrawing = Draw();
    return kDrawing;
}

}  // namespace qvset::forms
