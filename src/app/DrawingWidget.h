#pragma once

#include <QWidget>

#include "forms/Drawing.h"

namespace qvset::app {

// A picture box that paints a toolkit-free drawing, scaled from its twips to the widget.
class DrawingWidget final : public QWidget {
    Q_OBJECT

  public:
    DrawingWidget(const forms::Drawing* drawing, QWidget* parent);

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    const forms::Drawing* m_drawing;
};

}  // namespace qvset::app
