#pragma once

#include <string>
#include <vector>

namespace qvset::forms {

// A point of a drawing, in twips from the picture's top-left corner.
struct DrawPoint {
    double x = 0;
    double y = 0;
};

enum class ShapeKind {
    Line,  // a polyline through the points
    Fill,  // a filled polygon
    Text,  // a text in the box from points[0] (top left) to points[1] (bottom right), centred vertically
};

enum class TextPlacement { Left, Centre, Right };

// One shape of a drawing, in the grey it is drawn with (0 black, 255 white).
struct Shape {
    ShapeKind kind = ShapeKind::Line;
    std::vector<DrawPoint> points;
    int grey = 0;
    double penTwips = 15;  // one pixel at 96 dpi
    bool dashed = false;
    std::string text;
    TextPlacement placement = TextPlacement::Left;
    double fontScale = 1;  // times the window's font size
    bool bold = false;
};

// A line drawing on a white ground that each face paints as it is; nothing in it depends on a toolkit.
struct Drawing {
    double width = 0;
    double height = 0;
    std::vector<Shape> shapes;
};

}  // namespace qvset::forms
