#pragma once

#include <QColor>

class QPushButton;

namespace qvset::app {

// A settings button that records a choice is lit: back colour &H00C0E0FF (red 255, green 224,
// blue 192). Unlit it has the system's button face (the palette's Button colour), and follows it.
inline const QColor kLitColour{255, 224, 192};

void SetLit(QPushButton* button, bool lit);
bool IsLit(const QPushButton* button);

}  // namespace qvset::app
