// The help and preview windows' logic.
#include <gtest/gtest.h>

#include "RecordingView.h"
#include "forms/Form2.h"
#include "forms/Form3.h"

namespace qvset::forms::testing {
namespace {

TEST(HelpWindow, ShowsItsHeadingAndSevenLinesInOrderAndClosingOnlyHidesIt) {
    Form2 help;
    RecordingView view(help.Layout());
    help.Attach(view);
    std::vector<std::string> texts;
    for (const auto& layoutControl : help.Layout().controls) texts.push_back(view.Text(layoutControl.name));
    EXPECT_EQ(texts, (std::vector<std::string>{
                         "说明",
                         "一、设置前请先确认所选打印机驱动能不能正常打印测试页",
                         "二、每项设置可直接点击要设置的小按钮，设置后按钮会亮起",
                         "三、根据自己的票据需求设置好后，可保存该设置到文件，方便下次调用",
                         "四、点击保存票样命名好自己的票据名称",
                         "五、可导入需要打印的票样进行设置，如果不调整设置内容，直接点击设置票样",
                         "六、设置票样时，每个亮起的按钮表示这次票样要设置的内容",
                         "七、感谢您的使用，祝您生活愉快",
                     }));
    help.OnEvent(FormEvent::Close("Form2"));
    EXPECT_EQ(view.HiddenForms(), std::vector<std::string>{"Form2"});
    EXPECT_EQ(view.Endings(), 0);
}

TEST(PreviewWindow, ItsButtonShowsTheMainWindowEachTimeAndItsPictureIsTheTicket) {
    Form3 preview;
    RecordingView view(preview.Layout());
    preview.Attach(view);
    EXPECT_EQ(view.Text("Command19"), "进入设置");
    EXPECT_EQ(view.Text("Label1"), "如图所示： B=27  L=152  P=35  （单位mm）");
    EXPECT_EQ(view.Text("Label2"), "注：该软件只支持PX4C3R08及以上版本使用");
    EXPECT_EQ(view.Text("Label3"), "根据自己的票样进行设置吧————>");
    preview.OnEvent(FormEvent::Click("Command19"));
    preview.OnEvent(FormEvent::Click("Command19"));
    EXPECT_EQ(view.ShownForms(), (std::vector<std::string>{"Form1", "Form1"}));
    ASSERT_NE(preview.DrawingOf("Picture1"), nullptr);
    EXPECT_FALSE(preview.DrawingOf("Picture1")->shapes.empty());
    EXPECT_EQ(preview.DrawingOf("Label1"), nullptr);
    preview.OnEvent(FormEvent::Close("Form3"));
    EXPECT_EQ(view.HiddenForms(), std::vector<std::string>{"Form3"});
}

}  // namespace
}  // namespace qvset::forms::testing
