#include "app/WindowFont.h"

#include <QFont>
#include <QWidget>

namespace qvset::app {

void ApplyWindowFont(QWidget* window) {
    QFont font = window->font();
    font.setFamilies(
        {"Noto Sans CJK SC", "Source Han Sans SC", "WenQuanYi Micro Hei", "Microsoft YaHei", "SimSun"});
    font.setPointSize(9);
    window->setFont(font);
}

}  // namespace qvset::app
