#include "winapp/DrawingPainter.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "forms/FormLayout.h"
#include "text/WideText.h"

namespace qvset::winapp {

namespace {

using forms::DrawPoint;
using forms::Shape;
using forms::ShapeKind;
using forms::TextPlacement;

class Scale {
  public:
    Scale(const RECT& area, int dpi) : m_left(area.left), m_top(area.top), m_dpi(dpi) {}
    int Length(double twips) const {
        return static_cast<int>(std::lround(twips * m_dpi / forms::kTwipsPerInch));
    }
    POINT Point(const DrawPoint& point) const { return {m_left + Length(point.x), m_top + Length(point.y)}; }

  private:
    int m_left;
    int m_top;
    int m_dpi;
};

COLORREF GreyOf(const Shape& shape) {
    // The same level in red, green and blue.
    return static_cast<COLORREF>(std::clamp(shape.grey, 0, 255)) * 0x010101u;
}

std::vector<POINT> PointsOf(const Shape& shape, const Scale& scale) {
    std::vector<POINT> points;
    for (const DrawPoint& point : shape.points) points.push_back(scale.Point(point));
    return points;
}

void PaintLine(HDC dc, const Shape& shape, const Scale& scale) {
    const COLORREF colour = GreyOf(shape);
    LOGBRUSH brush{BS_SOLID, colour, 0};
    const DWORD width = static_cast<DWORD>(std::max(1, scale.Length(shape.penTwips)));
    HPEN pen =
        ExtCreatePen(PS_GEOMETRIC | PS_ENDCAP_FLAT | PS_JOIN_MITER | (shape.dashed ? PS_DASH : PS_SOLID),
                     width, &brush, 0, nullptr);
    HGDIOBJ old = SelectObject(dc, pen);
    const std::vector<POINT> points = PointsOf(shape, scale);
    Polyline(dc, points.data(), static_cast<int>(points.size()));
    SelectObject(dc, old);
    DeleteObject(pen);
}

void PaintFill(HDC dc, const Shape& shape, const Scale& scale) {
    const COLORREF colour = GreyOf(shape);
    HBRUSH brush = CreateSolidBrush(colour);
    HPEN pen = CreatePen(PS_SOLID, 1, colour);
    HGDIOBJ oldBrush = SelectObject(dc, brush);
    HGDIOBJ oldPen = SelectObject(dc, pen);
    const std::vector<POINT> points = PointsOf(shape, scale);
    Polygon(dc, points.data(), static_cast<int>(points.size()));
    SelectObject(dc, oldPen);
    SelectObject(dc, oldBrush);
    DeleteObject(pen);
    DeleteObject(brush);
}

void PaintText(HDC dc, const Shape& shape, const Scale& scale, WindowFonts& fonts) {
    if (shape.points.size() < 2) return;
    const POINT topLeft = scale.Point(shape.points[0]);
    const POINT bottomRight = scale.Point(shape.points[1]);
    RECT box{topLeft.x, topLeft.y, bottomRight.x, bottomRight.y};
    UINT format = DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_NOCLIP;
    if (shape.placement == TextPlacement::Centre) format |= DT_CENTER;
    if (shape.placement == TextPlacement::Right) format |= DT_RIGHT;
    HGDIOBJ old = SelectObject(dc, fonts.Scaled(shape.fontScale, shape.bold));
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, GreyOf(shape));
    const std::wstring text = ToWide(shape.text);
    DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &box, format);
    SelectObject(dc, old);
}

}  // namespace

void PaintDrawing(HDC dc, const RECT& area, const forms::Drawing& drawing, WindowFonts& fonts) {
    FillRect(dc, &area, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    const Scale scale(area, fonts.Dpi());
    for (const Shape& shape : drawing.shapes) {
        switch (shape.kind) {
            case ShapeKind::Line:
                PaintLine(dc, shape, scale);
                break;
            case ShapeKind::Fill:
                PaintFill(dc, shape, scale);
                break;
            case ShapeKind::Text:
                PaintText(dc, shape, scale, fonts);
                break;
        }
    }
}

}  // namespace qvset::winapp
