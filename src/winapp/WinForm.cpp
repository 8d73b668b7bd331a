#include "winapp/WinForm.h"

#include <stdexcept>

#include "forms/NestingScope.h"
#include "text/WideText.h"
#include "winapp/ControlIds.h"
#include "winapp/Dpi.h"
#include "winapp/DrawingPainter.h"
#include "winapp/PushButtonPainter.h"

namespace qvset::winapp {

namespace {

using forms::ControlKind;
using forms::ControlSpec;
using forms::FormEvent;
// Marks the face as applying the logic's calls for as long as one runs.
using Applying = forms::NestingScope;

// Fixed size, no maximise. No WS_CLIPCHILDREN: a group box paints only its frame and caption, so the
// window paints the ground beneath it.
constexpr DWORD kFormStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
constexpr int kProgramIconId = 1;
// How far a combo box's list drops below its field, in twips.
constexpr int kDroppedListTwips = 3000;

struct WindowClass {
    const wchar_t* name;
    DWORD style;
};

// The Win32 class and styles of each kind of control.
WindowClass ClassOf(const ControlSpec& layoutControl) {
    switch (layoutControl.kind) {
        case ControlKind::Frame:
            return {L"BUTTON", BS_GROUPBOX};
        case ControlKind::Label:
            return {L"STATIC", static_cast<DWORD>(
                                   SS_NOPREFIX |
                                   (layoutControl.align == forms::TextAlign::Centre ? SS_CENTER : SS_LEFT))};
        case ControlKind::Button:
            return {L"BUTTON", BS_OWNERDRAW};
        case ControlKind::TextBox:
            return {L"EDIT", ES_AUTOHSCROLL};
        case ControlKind::MultiLineText:
            return {L"EDIT", ES_MULTILINE | ES_AUTOVSCROLL | ES_WANTRETURN | WS_VSCROLL};
        case ControlKind::CheckBox:
            return {L"BUTTON", BS_AUTOCHECKBOX};
        case ControlKind::Option:
            return {L"BUTTON", BS_RADIOBUTTON};
        case ControlKind::ComboList:
            return {L"COMBOBOX", CBS_DROPDOWNLIST | WS_VSCROLL};
        case ControlKind::ComboEdit:
            return {L"COMBOBOX", CBS_DROPDOWN | CBS_AUTOHSCROLL | WS_VSCROLL};
        case ControlKind::Picture:
            return {L"STATIC", SS_SUNKEN};
        case ControlKind::Drawing:
            return {kDrawingClass, 0};
    }
    return {L"STATIC", 0};
}

bool IsEdit(ControlKind kind) {
    return kind == ControlKind::TextBox || kind == ControlKind::MultiLineText;
}

bool IsCombo(ControlKind kind) {
    return kind == ControlKind::ComboList || kind == ControlKind::ComboEdit;
}

std::wstring TextOf(HWND control) {
    const int length = GetWindowTextLengthW(control);
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    const int copied = GetWindowTextW(control, text.data(), length + 1);
    text.resize(static_cast<std::size_t>(copied));
    return text;
}

bool SameContainer(const ControlSpec& a, const ControlSpec& b) {
    if (a.container == nullptr || b.container == nullptr) return a.container == b.container;
    return std::string_view(a.container) == b.container;
}

// Makes a combo box's field (its closed height) `height` pixels high: the field's item height is what
// can be set, the edge around it is the control's own.
void FitComboField(HWND combo, int height) {
    auto field = static_cast<int>(SendMessageW(combo, CB_GETITEMHEIGHT, static_cast<WPARAM>(-1), 0));
    for (int attempt = 0; attempt < 3; ++attempt) {
        RECT shown{};
        GetWindowRect(combo, &shown);
        const int off = height - (shown.bottom - shown.top);
        if (off == 0 || field + off <= 0) return;
        // Counted from the height asked for, not the one read back: some systems add their own margin.
        field += off;
        SendMessageW(combo, CB_SETITEMHEIGHT, static_cast<WPARAM>(-1), field);
    }
}

}  // namespace

WinForm::WinForm(forms::FormLogic& logic, Host host) : m_logic(logic), m_host(std::move(host)) {}

WinForm::~WinForm() {
    if (m_window != nullptr) {
        SetWindowLongPtrW(m_window, GWLP_USERDATA, 0);
        DestroyWindow(m_window);
    }
}

void WinForm::RegisterClasses() {
    static const bool registered = [] {
        HINSTANCE instance = GetModuleHandleW(nullptr);
        WNDCLASSEXW form{};
        form.cbSize = sizeof(form);
        form.lpfnWndProc = WindowProc;
        form.hInstance = instance;
        form.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(kProgramIconId));
        form.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        form.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
        form.lpszClassName = kFormClass;
        RegisterClassExW(&form);
        WNDCLASSEXW drawing{};
        drawing.cbSize = sizeof(drawing);
        drawing.lpfnWndProc = DrawingProc;
        drawing.hInstance = instance;
        drawing.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        drawing.lpszClassName = kDrawingClass;
        RegisterClassExW(&drawing);
        return true;
    }();
    (void)registered;
}

void WinForm::Create() {
    if (m_window != nullptr) return;
    RegisterClasses();
    const forms::FormLayout& layout = m_logic.Layout();
    m_dpi = DpiOf(nullptr);
    const RECT outer = OuterRect({0, 0, forms::TwipsToPixels(layout.clientWidth, m_dpi),
                                  forms::TwipsToPixels(layout.clientHeight, m_dpi)},
                                 kFormStyle, 0, m_dpi);
    m_window = CreateWindowExW(0, kFormClass, ToWide(layout.caption).c_str(), kFormStyle, CW_USEDEFAULT,
                               CW_USEDEFAULT, outer.right - outer.left, outer.bottom - outer.top, nullptr,
                               nullptr, GetModuleHandleW(nullptr), this);
    if (m_window == nullptr) throw std::runtime_error("cannot create the window " + std::string(layout.name));
    m_dpi = DpiOf(m_window);
    m_fonts = std::make_unique<WindowFonts>(m_dpi);
    CreateControls();
    PlaceControls();
    m_logic.Attach(*this);
}

void WinForm::Show() {
    Create();
    ShowWindow(m_window, SW_SHOW);
    SetForegroundWindow(m_window);
    HWND focus = m_lastFocus != nullptr ? m_lastFocus : FirstTabStop();
    if (focus != nullptr) SetFocus(focus);
}

void WinForm::Hide() {
    if (m_window != nullptr) ShowWindow(m_window, SW_HIDE);
}

HWND WinForm::Control(std::string_view name) const {
    const int id = ControlId(m_logic.Layout(), name);
    return id == 0 || m_window == nullptr ? nullptr : GetDlgItem(m_window, id);
}

bool WinForm::IsLitShown(std::string_view control) const {
    return m_lit.at(RowOf(control));
}

std::size_t WinForm::RowOf(std::string_view control) const {
    const int id = ControlId(m_logic.Layout(), control);
    if (id == 0) throw std::logic_error("no control named " + std::string(control));
    return static_cast<std::size_t>(id - kFirstControlId);
}

HWND WinForm::FirstTabStop() const {
    const auto& order = m_logic.Layout().tabOrder;
    return order.empty() ? nullptr : Control(order.front());
}

// The focus chain first, in its order; then the other controls in the table's order; the frames last,
// so that every control they hold lies above them.
void WinForm::CreateControls() {
    const forms::FormLayout& layout = m_logic.Layout();
    m_controls.assign(layout.controls.size(), nullptr);
    m_lit.assign(layout.controls.size(), false);
    for (const char* name : layout.tabOrder) CreateControl(RowOf(name));
    for (std::size_t row = 0; row < layout.controls.size(); ++row) {
        if (layout.controls[row].kind != ControlKind::Frame && m_controls[row] == nullptr) CreateControl(row);
    }
    for (std::size_t row = 0; row < layout.controls.size(); ++row) {
        if (m_controls[row] == nullptr) CreateControl(row);
    }
}

void WinForm::CreateControl(std::size_t row) {
    const forms::FormLayout& layout = m_logic.Layout();
    const ControlSpec& layoutControl = layout.controls[row];
    const WindowClass windowClass = ClassOf(layoutControl);
    DWORD style = WS_CHILD | WS_CLIPSIBLINGS | windowClass.style;
    if (layout.IsShown(layoutControl.name)) style |= WS_VISIBLE;
    for (const char* name : layout.tabOrder) {
        if (std::string_view(name) == layoutControl.name) style |= WS_TABSTOP;
    }
    // Each container's first option starts a group of its own.
    if (layoutControl.kind == ControlKind::Option) {
        bool first = true;
        for (std::size_t before = 0; before < row; ++before) {
            const ControlSpec& other = layout.controls[before];
            if (other.kind == ControlKind::Option && SameContainer(other, layoutControl)) first = false;
        }
        if (first) style |= WS_GROUP;
    }
    const DWORD exStyle = IsEdit(layoutControl.kind) ? WS_EX_CLIENTEDGE : 0;
    const std::wstring caption =
        layoutControl.kind == ControlKind::ComboList ? L"" : ToWide(layoutControl.caption);
    const Applying applying(m_applying);
    HWND control = CreateWindowExW(
        exStyle, windowClass.name, IsCombo(layoutControl.kind) ? L"" : caption.c_str(), style, 0, 0, 1, 1,
        m_window, reinterpret_cast<HMENU>(static_cast<INT_PTR>(kFirstControlId) + static_cast<INT_PTR>(row)),
        GetModuleHandleW(nullptr), nullptr);
    if (control == nullptr)
        throw std::runtime_error("cannot create the control " + std::string(layoutControl.name));
    if (layoutControl.kind == ControlKind::ComboEdit) SetWindowTextW(control, caption.c_str());
    if (layoutControl.kind == ControlKind::Drawing)
        SetWindowLongPtrW(control, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    m_controls[row] = control;
}

void WinForm::PlaceControls() {
    const forms::FormLayout& layout = m_logic.Layout();
    const auto px = [this](int twips) { return forms::TwipsToPixels(twips, m_dpi); };
    const Applying applying(m_applying);
    for (std::size_t row = 0; row < layout.controls.size(); ++row) {
        const ControlSpec& layoutControl = layout.controls[row];
        HWND control = m_controls[row];
        SendMessageW(control, WM_SETFONT,
                     reinterpret_cast<WPARAM>(m_fonts->Get(layoutControl.fontPoints, layoutControl.bold)),
                     FALSE);
        const forms::TwipsRect rect = layout.WindowRect(layoutControl.name);
        const int height = px(rect.height);
        // A combo box's window reaches down over its dropped list; its field is made as high as laid out.
        const int windowHeight = IsCombo(layoutControl.kind) ? height + px(kDroppedListTwips) : height;
        SetWindowPos(control, nullptr, px(rect.left), px(rect.top), px(rect.width), windowHeight,
                     SWP_NOZORDER | SWP_NOACTIVATE);
        if (IsCombo(layoutControl.kind)) FitComboField(control, height);
    }
}

// ---- The view ----

void WinForm::SetText(std::string_view control, std::string_view text) {
    const std::size_t row = RowOf(control);
    const Applying applying(m_applying);
    const std::wstring wide = ToWide(text);
    HWND hwnd = m_controls[row];
    if (m_logic.Layout().controls[row].kind == ControlKind::ComboList) {
        SendMessageW(hwnd, CB_SELECTSTRING, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(wide.c_str()));
        return;
    }
    SetWindowTextW(hwnd, wide.c_str());
    InvalidateRect(hwnd, nullptr, TRUE);
}

void WinForm::SetLit(std::string_view control, bool lit) {
    const std::size_t row = RowOf(control);
    m_lit[row] = lit;
    InvalidateRect(m_controls[row], nullptr, FALSE);
}

void WinForm::SetEnabled(std::string_view control, bool enabled) {
    const Applying applying(m_applying);
    EnableWindow(m_controls[RowOf(control)], enabled ? TRUE : FALSE);
}

void WinForm::SetChecked(std::string_view control, bool checked) {
    const Applying applying(m_applying);
    SendMessageW(m_controls[RowOf(control)], BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
}

void WinForm::SetEntries(std::string_view control, const std::vector<std::string>& entries) {
    const std::size_t row = RowOf(control);
    const Applying applying(m_applying);
    HWND hwnd = m_controls[row];
    // Emptying the list empties an editable box's field too; its text stays what it was.
    const std::wstring text = TextOf(hwnd);
    SendMessageW(hwnd, CB_RESETCONTENT, 0, 0);
    for (const std::string& entry : entries) {
        const std::wstring wide = ToWide(entry);
        SendMessageW(hwnd, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(wide.c_str()));
    }
    if (m_logic.Layout().controls[row].kind == ControlKind::ComboEdit) SetWindowTextW(hwnd, text.c_str());
}

void WinForm::SetSelectedIndex(std::string_view control, int index) {
    const Applying applying(m_applying);
    SendMessageW(m_controls[RowOf(control)], CB_SETCURSEL, static_cast<WPARAM>(index), 0);
}

void WinForm::StartTimer(std::string_view timer, int intervalMs) {
    auto found = m_timers.find(timer);
    if (found == m_timers.end()) found = m_timers.emplace(std::string(timer), m_timers.size() + 1).first;
    // Setting a timer of the same ID again starts its interval afresh.
    SetTimer(m_window, found->second, static_cast<UINT>(intervalMs), nullptr);
}

void WinForm::RepaintNow() {
    RedrawWindow(m_window, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
}

void WinForm::SetWaitCursor(bool on) {
    m_waitCursor = on;
    SetCursor(LoadCursorW(nullptr, on ? IDC_WAIT : IDC_ARROW));
}

// ---- Events ----

void WinForm::Forward(const FormEvent& event) {
    if (m_applying > 0) return;
    m_logic.OnEvent(event);
}

void WinForm::OnCommand(int id, int code) {
    const forms::FormLayout& layout = m_logic.Layout();
    const ControlSpec* layoutControl = ControlOfId(layout, id);
    if (layoutControl == nullptr || m_applying > 0) return;
    HWND control = m_controls[static_cast<std::size_t>(id - kFirstControlId)];
    switch (layoutControl->kind) {
        case ControlKind::Button:
            if (code == BN_CLICKED) Forward(FormEvent::Click(layoutControl->name));
            break;
        case ControlKind::CheckBox:
            if (code == BN_CLICKED)
                Forward(FormEvent::Click(layoutControl->name,
                                         SendMessageW(control, BM_GETCHECK, 0, 0) == BST_CHECKED));
            break;
        case ControlKind::Option:
            // The option is switched on, the others of its container off, before the logic hears of it.
            if (code == BN_CLICKED && SendMessageW(control, BM_GETCHECK, 0, 0) != BST_CHECKED) {
                {
                    const Applying applying(m_applying);
                    for (std::size_t row = 0; row < layout.controls.size(); ++row) {
                        const ControlSpec& other = layout.controls[row];
                        if (other.kind == ControlKind::Option && SameContainer(other, *layoutControl))
                            SendMessageW(m_controls[row], BM_SETCHECK,
                                         &other == layoutControl ? BST_CHECKED : BST_UNCHECKED, 0);
                    }
                }
                Forward(FormEvent::OptionOn(layoutControl->name));
            }
            break;
        case ControlKind::TextBox:
        case ControlKind::MultiLineText:
            if (code == EN_CHANGE) Forward(FormEvent::Change(layoutControl->name, ToUtf8(TextOf(control))));
            break;
        case ControlKind::ComboEdit:
            if (code == CBN_EDITCHANGE)
                Forward(FormEvent::Change(layoutControl->name, ToUtf8(TextOf(control))));
            [[fallthrough]];
        case ControlKind::ComboList:
            if (code == CBN_SELCHANGE)
                Forward(FormEvent::Pick(layoutControl->name,
                                        static_cast<int>(SendMessageW(control, CB_GETCURSEL, 0, 0))));
            break;
        default:
            break;
    }
}

LRESULT CALLBACK WinForm::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
        auto* form = static_cast<WinForm*>(create->lpCreateParams);
        form->m_window = window;
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(form));
    }
    auto* form = reinterpret_cast<WinForm*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (form == nullptr) return DefWindowProcW(window, message, wParam, lParam);
    return form->Handle(message, wParam, lParam);
}

LRESULT WinForm::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_COMMAND:
            OnCommand(LOWORD(wParam), HIWORD(wParam));
            return 0;
        case WM_TIMER:
            for (const auto& [name, id] : m_timers) {
                if (id == wParam) Forward(FormEvent::Tick(name));
            }
            return 0;
        case WM_CLOSE:
            Forward(FormEvent::Close(m_logic.Layout().name));
            return 0;
        case WM_DRAWITEM: {
            const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
            const ControlSpec* layoutControl = ControlOfId(m_logic.Layout(), static_cast<int>(item->CtlID));
            if (layoutControl == nullptr || item->CtlType != ODT_BUTTON) break;
            PaintPushButton(*item, m_lit[item->CtlID - kFirstControlId],
                            m_fonts->Get(layoutControl->fontPoints, layoutControl->bold));
            return TRUE;
        }
        case WM_CTLCOLORSTATIC:
        case WM_CTLCOLORBTN: {
            HDC dc = reinterpret_cast<HDC>(wParam);
            SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
            SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
            return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
        }
        case WM_SETCURSOR:
            if (m_waitCursor) {
                SetCursor(LoadCursorW(nullptr, IDC_WAIT));
                return TRUE;
            }
            break;
        case WM_ACTIVATE:
            if (LOWORD(wParam) == WA_INACTIVE) {
                HWND focus = GetFocus();
                if (focus != nullptr && IsChild(m_window, focus)) m_lastFocus = focus;
            } else if (m_lastFocus != nullptr) {
                SetFocus(m_lastFocus);
                return 0;
            }
            break;
        case WM_DPICHANGED: {
            m_dpi = HIWORD(wParam);
            m_fonts = std::make_unique<WindowFonts>(m_dpi);
            const auto* suggested = reinterpret_cast<const RECT*>(lParam);
            SetWindowPos(m_window, nullptr, suggested->left, suggested->top,
                         suggested->right - suggested->left, suggested->bottom - suggested->top,
                         SWP_NOZORDER | SWP_NOACTIVATE);
            PlaceControls();
            InvalidateRect(m_window, nullptr, TRUE);
            return 0;
        }
        default:
            break;
    }
    return DefWindowProcW(m_window, message, wParam, lParam);
}

LRESULT CALLBACK WinForm::DrawingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message != WM_PAINT && message != WM_PRINTCLIENT)
        return DefWindowProcW(window, message, wParam, lParam);
    auto* form = reinterpret_cast<WinForm*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    PAINTSTRUCT paint{};
    HDC dc = message == WM_PAINT ? BeginPaint(window, &paint) : reinterpret_cast<HDC>(wParam);
    if (form != nullptr) {
        const forms::ControlSpec* layoutControl = ControlOfId(form->m_logic.Layout(), GetDlgCtrlID(window));
        const forms::Drawing* drawing =
            layoutControl == nullptr ? nullptr : form->m_logic.DrawingOf(layoutControl->name);
        RECT area{};
        GetClientRect(window, &area);
        if (drawing != nullptr) PaintDrawing(dc, area, *drawing, *form->m_fonts);
    }
    if (message == WM_PAINT) EndPaint(window, &paint);
    return 0;
}

bool WinForm::TakeDialogMessage(MSG& message) {
    HWND root = message.hwnd == nullptr ? nullptr : GetAncestor(message.hwnd, GA_ROOT);
    if (root == nullptr) return false;
    wchar_t className[32] = {};
    GetClassNameW(root, className, 32);
    if (lstrcmpW(className, kFormClass) != 0) return false;
    // Enter presses the focused push button, as Space does.
    if (message.message == WM_KEYDOWN && message.wParam == VK_RETURN) {
        HWND focus = GetFocus();
        wchar_t focusClass[16] = {};
        if (focus != nullptr && IsChild(root, focus)) GetClassNameW(focus, focusClass, 16);
        if (lstrcmpiW(focusClass, L"BUTTON") == 0 &&
            (GetWindowLongPtrW(focus, GWL_STYLE) & BS_TYPEMASK) == BS_OWNERDRAW) {
            SendMessageW(focus, BM_CLICK, 0, 0);
            return true;
        }
    }
    return IsDialogMessageW(root, &message) != FALSE;
}

}  // namespace qvset::winapp
