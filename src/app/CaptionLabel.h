#pragma once

#include <QLabel>

namespace qvset::app {

// A label of the main window. A caption wider than the label wraps onto lines spaced by the font's
// size rather than by its full line height, so two lines of Chinese fit a label two lines of 9 points
// high, as the window's layout expects (CJK faces add a tall leading that would push the second line
// under the control below).
class CaptionLabel final : public QLabel {
    Q_OBJECT

  public:
    CaptionLabel(const QString& text, QWidget* parent);

  protected:
    void paintEvent(QPaintEvent* event) override;
};

}  // namespace qvset::app
