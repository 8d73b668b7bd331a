#include "app/Form3.h"

#include <QLabel>
#include <QPushButton>

#include "app/TicketDrawing.h"
#include "app/Twips.h"
#include "app/WindowFont.h"

namespace qvset::app {

namespace {

constexpr const char* kCaption = "设置预览页";
constexpr const char* kExample = "如图所示： B=27  L=152  P=35  （单位mm）";
constexpr const char* kFirmwareNote = "注：该软件只支持PX4C3R08及以上版本使用";
constexpr const char* kPrompt = "根据自己的票样进行设置吧————>";
constexpr const char* kEnterSettings = "进入设置";
constexpr int kClientWidthTwips = 10800;
constexpr int kClientHeightTwips = 7200;

}  // namespace

Form3::Form3(std::function<void()> showMainWindow, QWidget* parent)
    : QWidget(parent), m_showMainWindow(std::move(showMainWindow)) {
    setObjectName("Form3");
    setWindowTitle(QString::fromUtf8(kCaption));
    ApplyWindowFont(this);
    const int dpiX = logicalDpiX();
    const int dpiY = logicalDpiY();
    setFixedSize(TwipsToPixels(kClientWidthTwips, dpiX), TwipsToPixels(kClientHeightTwips, dpiY));

    auto* drawing = new TicketDrawing(this);
    drawing->setObjectName("Picture1");
    drawing->setGeometry(TwipsRect(240, 240, 5160, 6720, dpiX, dpiY));

    const struct {
        const char* name;
        const char* text;
        QRect twips;
    } kLabels[] = {
        {"Label1", kExample, {5640, 960, 4920, 375}},
        {"Label2", kFirmwareNote, {5640, 1680, 4920, 375}},
        {"Label3", kPrompt, {5640, 5640, 3135, 375}},
    };
    for (const auto& control : kLabels) {
        auto* label = new QLabel(QString::fromUtf8(control.text), this);
        label->setObjectName(control.name);
        label->setWordWrap(true);
        label->setGeometry(TwipsRect(control.twips.x(), control.twips.y(), control.twips.width(),
                                     control.twips.height(), dpiX, dpiY));
    }

    auto* button = new QPushButton(QString::fromUtf8(kEnterSettings), this);
    button->setObjectName("Command19");
    button->setGeometry(TwipsRect(8880, 5520, 1335, 615, dpiX, dpiY));
    connect(button, &QPushButton::clicked, this, &Form3::Command19_Click);
}

void Form3::Command19_Click() {
    if (m_showMainWindow) m_showMainWindow();
}

}  // namespace qvset::app
