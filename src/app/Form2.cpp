#include "app/Form2.h"

#include <QLabel>
#include <QVBoxLayout>

#include "app/WindowFont.h"

namespace qvset::app {

namespace {

constexpr const char* kCaption = "说明";
constexpr const char* kHeading = "说明";
constexpr const char* kLines[] = {
    "一、设置前请先确认所选打印机驱动能不能正常打印测试页",
    "二、每项设置可直接点击要设置的小按钮，设置后按钮会亮起",
    "三、根据自己的票据需求设置好后，可保存该设置到文件，方便下次调用",
    "四、点击保存票样命名好自己的票据名称",
    "五、可导入需要打印的票样进行设置，如果不调整设置内容，直接点击设置票样",
    "六、设置票样时，每个亮起的按钮表示这次票样要设置的内容",
    "七、感谢您的使用，祝您生活愉快",
};

}  // namespace

Form2::Form2(QWidget* owner) : QWidget(owner, Qt::Window) {
    setObjectName("Form2");
    setWindowTitle(QString::fromUtf8(kCaption));
    ApplyWindowFont(this);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(24, 16, 24, 24);
    layout->setSpacing(10);
    auto* heading = new QLabel(QString::fromUtf8(kHeading), this);
    heading->setObjectName("Label1");
    QFont headingFont = heading->font();
    headingFont.setPointSize(14);
    headingFont.setBold(true);
    heading->setFont(headingFont);
    heading->setAlignment(Qt::AlignHCenter);
    layout->addWidget(heading);
    int number = 2;
    for (const char* line : kLines) {
        auto* label = new QLabel(QString::fromUtf8(line), this);
        label->setObjectName(QString("Label%1").arg(number++));
        layout->addWidget(label);
    }
    layout->addStretch();
}

}  // namespace qvset::app
