#include <gtest/gtest.h>

#include <QLabel>
#include <QPushButton>
#include <QTest>

#include "app/Form2.h"
#include "app/Form3.h"

namespace qvset::app {
namespace {

TEST(HelpWindow, ShowsItsHeadingAndSevenLinesInOrder) {
    Form2 help;
    EXPECT_EQ(help.windowTitle().toStdString(), "说明");
    std::vector<std::string> texts;
    for (const QLabel* label : help.findChildren<QLabel*>()) texts.push_back(label->text().toStdString());
    const std::vector<std::string> expected = {
        "说明",
        "一、设置前请先确认所选打印机驱动能不能正常打印测试页",
        "二、每项设置可直接点击要设置的小按钮，设置后按钮会亮起",
        "三、根据自己的票据需求设置好后，可保存该设置到文件，方便下次调用",
        "四、点击保存票样命名好自己的票据名称",
        "五、可导入需要打印的票样进行设置，如果不调整设置内容，直接点击设置票样",
        "六、设置票样时，每个亮起的按钮表示这次票样要设置的内容",
        "七、感谢您的使用，祝您生活愉快",
    };
    EXPECT_EQ(texts, expected);
    EXPECT_TRUE(help.findChildren<QPushButton*>().isEmpty());
}

TEST(PreviewWindow, ShowsTheExampleNoteAndPromptAndItsButtonOpensTheMainWindow) {
    int shown = 0;
    Form3 preview([&] { ++shown; });
    EXPECT_EQ(preview.windowTitle().toStdString(), "设置预览页");
    std::vector<std::string> texts;
    for (const QLabel* label : preview.findChildren<QLabel*>()) texts.push_back(label->text().toStdString());
    EXPECT_EQ(texts, (std::vector<std::string>{"如图所示： B=27  L=152  P=35  （单位mm）",
                                               "注：该软件只支持PX4C3R08及以上版本使用",
                                               "根据自己的票样进行设置吧————>"}));
    auto* button = preview.findChild<QPushButton*>("Command19");
    ASSERT_NE(button, nullptr);
    EXPECT_EQ(button->text().toStdString(), "进入设置");
    QTest::mouseClick(button, Qt::LeftButton);
    EXPECT_EQ(shown, 1);
    QTest::mouseClick(button, Qt::LeftButton);
    EXPECT_EQ(shown, 2);
}

}  // namespace
}  // namespace qvset::app
