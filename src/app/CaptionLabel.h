#pragma once

#include <QLabel>

namespace qvset::app {

// A label of a window. A caption wider than the label wraps onto further lines, spaced by the font's
// size rather than its full line height (CJK faces add a tall leading), and the lines are centred
// inside the label with a small margin, the font shrinking a little where they would not fit: so a
// two-line caption neither crosses the border of the frame above it nor touches the control below.
class CaptionLabel final : public QLabel {
    Q_OBJECT

  public:
    CaptionLabel(const QString& text, QWidget* parent);

  protected:
    void paintEvent(QPaintEvent* event) override;
};

}  // namespace qvset::app
