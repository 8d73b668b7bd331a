#pragma once

#include <QWidget>

namespace qvset::app {

// The preview window's picture: a ticket headed "发 票 联" on a millimetre scale (broken between 65
// and 135 mm), with its black mark and first print line and the three distances from the ticket's
// top edge: B (黑标距离) 27, P (起始打印距离) 35 and L (票长) 152.
class TicketDrawing final : public QWidget {
    Q_OBJECT

  public:
    explicit TicketDrawing(QWidget* parent = nullptr);

  protected:
    void paintEvent(QPaintEvent* event) override;
};

}  // namespace qvset::app
