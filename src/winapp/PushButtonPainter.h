#pragma once

// windows.h first, in a block of its own: the other Windows headers build on it.
#include <windows.h>

namespace qvset::winapp {

// The back colour of a button that records a choice: red 255, green 224, blue 192, painted flat.
inline constexpr COLORREF kLitColour = RGB(255, 224, 192);

// Paints an owner-drawn push button: the system's raised (or, while pressed, sunken) edge, its face
// flat in the lit colour or the system's button face, the caption centred (wrapped when it does not fit
// one line, grey when disabled) and the focus rectangle.
void PaintPushButton(const DRAWITEMSTRUCT& item, bool lit, HFONT font);

}  // namespace qvset::winapp
