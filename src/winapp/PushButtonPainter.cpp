#include "winapp/PushButtonPainter.h"

#include <string>

namespace qvset::winapp {

namespace {
constexpr int kEdge = 2;        // the raised edge's width in pixels
constexpr int kFocusInset = 3;  // the focus rectangle inside the edge
}  // namespace

void PaintPushButton(const DRAWITEMSTRUCT& item, bool lit, HFONT font) {
    HDC dc = item.hDC;
    RECT rect = item.rcItem;
    const bool pressed = (item.itemState & ODS_SELECTED) != 0;
    DrawFrameControl(dc, &rect, DFC_BUTTON, DFCS_BUTTONPUSH | (pressed ? DFCS_PUSHED : 0u));

    RECT face = rect;
    InflateRect(&face, -kEdge, -kEdge);
    HBRUSH brush = lit ? CreateSolidBrush(kLitColour) : GetSysColorBrush(COLOR_BTNFACE);
    FillRect(dc, &face, brush);
    if (lit) DeleteObject(brush);

    const int length = GetWindowTextLengthW(item.hwndItem);
    std::wstring caption(static_cast<std::size_t>(length) + 1, L'\0');
    GetWindowTextW(item.hwndItem, caption.data(), length + 1);
    caption.resize(static_cast<std::size_t>(length));

    HGDIOBJ oldFont = SelectObject(dc, font);
    SetBkMode(dc, TRANSPARENT);
    const bool disabled = (item.itemState & ODS_DISABLED) != 0;
    SetTextColor(dc, GetSysColor(disabled ? COLOR_GRAYTEXT : COLOR_BTNTEXT));
    RECT text = face;
    if (pressed) OffsetRect(&text, 1, 1);
    // A caption that fits the button's width stays on one line; a longer one wraps, its lines centred
    // as a block.
    SIZE extent{};
    GetTextExtentPoint32W(dc, caption.c_str(), length, &extent);
    if (extent.cx <= rect.right - rect.left - kEdge) {
        text.left = rect.left;
        text.right = rect.right + (pressed ? 1 : 0);
        DrawTextW(dc, caption.c_str(), length, &text, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    } else {
        RECT measured = text;
        DrawTextW(dc, caption.c_str(), length, &measured,
                  DT_CENTER | DT_WORDBREAK | DT_NOPREFIX | DT_CALCRECT);
        text.top += ((text.bottom - text.top) - (measured.bottom - measured.top)) / 2;
        DrawTextW(dc, caption.c_str(), length, &text, DT_CENTER | DT_WORDBREAK | DT_NOPREFIX);
    }
    SelectObject(dc, oldFont);

    if ((item.itemState & ODS_FOCUS) != 0 && (item.itemState & ODS_NOFOCUSRECT) == 0) {
        RECT focus = rect;
        InflateRect(&focus, -kFocusInset, -kFocusInset);
        DrawFocusRect(dc, &focus);
    }
}

}  // namespace qvset::winapp
