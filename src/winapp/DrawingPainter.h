#pragma once

// windows.h first, in a block of its own: the other Windows headers build on it.
#include <windows.h>

#include "forms/Drawing.h"
#include "winapp/WindowFonts.h"

namespace qvset::winapp {

// Paints a window's line drawing with GDI into `area` (the drawing's twips at the fonts' dots per
// inch): a white ground, then every shape in order.
void PaintDrawing(HDC dc, const RECT& area, const forms::Drawing& drawing, WindowFonts& fonts);

}  // namespace qvset::winapp
