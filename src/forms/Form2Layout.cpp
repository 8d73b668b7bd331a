#include "forms/FormLayout.h"

namespace qvset::forms {

namespace {
using enum ControlKind;
}  // namespace

// The help window "说明": a heading and seven numbered lines, nothing that takes the focus.
const FormLayout& Form2Layout() {
    static const FormLayout kLayout{
        "Form2",
        "说明",
        7200,
        4080,
        {
            {"Label1", Label, nullptr, 360, 240, 6840, 450, "说明", 14, true, TextAlign::Centre},
            {"Label2", Label, nullptr, 360, 900, 6840, 300,
             "一、设置前请先确认所选打印机驱动能不能正常打印测试页"},
            {"Label3", Label, nullptr, 360, 1320, 6840, 300,
             "二、每项设置可直接点击要设置的小按钮，设置后按钮会亮起"},
            {"Label4", Label, nullptr, 360, 1740, 6840, 300,
             "三、根据自己的票据需求设置好后，可保存该设置到文件，方便下次调用"},
            {"Label5", Label, nullptr, 360, 2160, 6840, 300, "四、点击保存票样命名好自己的票据名称"},
            {"Label6", Label, nullptr, 360, 2580, 6840, 300,
             "五、可导入需要打印的票样进行设置，如果不调整设置内容，直接点击设置票样"},
            {"Label7", Label, nullptr, 360, 3000, 6840, 300,
             "六、设置票样时，每个亮起的按钮表示这次票样要设置的内容"},
            {"Label8", Label, nullptr, 360, 3420, 6840, 300, "七、感谢您的使用，祝您生活愉快"},
        },
        {}};
    return kLayout;
}

}  // namespace qvset::forms
