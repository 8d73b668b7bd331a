#include "forms/FormLayout.h"

namespace qvset::forms {

namespace {
using enum ControlKind;
}  // namespace

// The preview window "设置预览页": the drawing of a ticket with its three distances, a worked example,
// the firmware note and the button "进入设置" that opens the main window.
const FormLayout& Form3Layout() {
    static const FormLayout kLayout{
        "Form3",
        "设置预览页",
        10800,
        7200,
        {
            {"Picture1", Drawing, nullptr, 240, 240, 5160, 6720, ""},
            {"Label1", Label, nullptr, 5640, 960, 4920, 375, "如图所示： B=27  L=152  P=35  （单位mm）"},
            {"Label2", Label, nullptr, 5640, 1680, 4920, 375, "注：该软件只支持PX4C3R08及以上版本使用"},
            {"Label3", Label, nullptr, 5640, 5640, 3135, 375, "根据自己的票样进行设置吧————>"},
            {"Command19", Button, nullptr, 8880, 5520, 1335, 615, "进入设置"},
        },
        {"Command19"}};
    return kLayout;
}

}  // namespace qvset::forms
