#include "forms/FormLayout.h"

#include <cmath>
#include <stdexcept>
#include <string>

namespace qvset::forms {

bool TwipsRect::Contains(const TwipsRect& inner) const {
    return inner.left >= left && inner.top >= top && inner.Right() <= Right() && inner.Bottom() <= Bottom();
}

const ControlSpec* FormLayout::Find(std::string_view control) const {
    for (const auto& layoutControl : controls) {
        if (control == layoutControl.name) return &layoutControl;
    }
    return nullptr;
}

TwipsRect FormLayout::WindowRect(std::string_view control) const {
    const ControlSpec* layoutControl = Find(control);
    if (layoutControl == nullptr) throw std::logic_error("no control named " + std::string(control));
    TwipsRect rect = layoutControl->Rect();
    if (layoutControl->container != nullptr) {
        const TwipsRect outer = WindowRect(layoutControl->container);
        rect.left += outer.left;
        rect.top += outer.top;
    }
    return rect;
}

bool FormLayout::IsShown(std::string_view control) const {
    const ControlSpec* layoutControl = Find(control);
    if (layoutControl == nullptr) return false;
    const TwipsRect rect = WindowRect(control);
    if (!TwipsRect{0, 0, clientWidth, clientHeight}.Contains(rect)) return false;
    if (layoutControl->container == nullptr) return true;
    return IsShown(layoutControl->container) && WindowRect(layoutControl->container).Contains(rect);
}

int TwipsToPixels(int twips, int logicalDpi) {
    return static_cast<int>(std::lround(static_cast<double>(twips) * logicalDpi / kTwipsPerInch));
}

}  // namespace qvset::forms
