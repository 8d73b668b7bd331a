#pragma once

#include <QWidget>

namespace qvset::app {

// The help window "说明": a heading and seven numbered lines, nothing to click. Non-modal; the main
// window creates it on the first "帮助" and shows the same one again on every later click.
class Form2 final : public QWidget {
    Q_OBJECT

  public:
    explicit Form2(QWidget* owner = nullptr);
};

}  // namespace qvset::app
