#pragma once

#include <QColor>
#include <QPushButton>

namespace qvset::app {

// A lit button's back colour &H00C0E0FF: red 255, green 224, blue 192.
inline const QColor kLitColour{255, 224, 192};

// A push button of a window. Lit, its face is painted flat in kLitColour whatever the style; unlit it
// is the style's button in the palette's button face. Its caption keeps a small margin from the edges,
// shrinking the font a little where a caption would otherwise touch them. Enter presses it when it has
// the focus, as on Windows.
class FaceButton final : public QPushButton {
    Q_OBJECT

  public:
    FaceButton(const QString& caption, QWidget* parent);

    void SetLit(bool lit);
    bool IsLit() const { return m_lit; }

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    bool m_lit = false;
};

}  // namespace qvset::app
