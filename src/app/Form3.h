#pragma once

#include <QWidget>
#include <functional>

namespace qvset::app {

// The preview window "设置预览页": a drawing of a ticket that explains the three distances B, L and P,
// a worked example, the firmware note and the button "进入设置" (Command19), whose click shows the
// main window through `showMainWindow`.
class Form3 final : public QWidget {
    Q_OBJECT

  public:
    explicit Form3(std::function<void()> showMainWindow, QWidget* parent = nullptr);

  private slots:
    void Command19_Click();

  private:
    std::function<void()> m_showMainWindow;
};

}  // namespace qvset::app
