// The main window's Win32 face over an in-memory spooler: every control built from the table, found
// by its ID, placed at its twips; the focus chain; the controls' notifications reaching the logic and
// the logic's calls reaching the controls.
#include "WinFaceFixture.h"

#include <set>
#include <vector>

#include "forms/Form1.h"
#include "printer/MemorySpooler.h"
#include "support/DocumentsAsHex.h"
#include "winapp/Dpi.h"
#include "winapp/PushButtonPainter.h"
#include "winapp/WindowFonts.h"
#include "winapp/WindowPicture.h"

namespace qvset::winapp::testing {
namespace {

using forms::ControlKind;

std::vector<PrinterInfo> Printers() {
    return {{"Office_Laser", "Generic", "usb://a"}, {"QV640_Virtual", "Generic", "usb://b"}};
}

std::wstring ClassName(HWND control) {
    wchar_t name[64] = {};
    GetClassNameW(control, name, 64);
    return name;
}

// The Win32 class and type of each kind of control.
struct KindOnWindows {
    ControlKind kind;
    const wchar_t* className;
    LONG_PTR typeMask;
    LONG_PTR type;
};
constexpr KindOnWindows kKinds[] = {
    {ControlKind::Frame, L"Button", BS_TYPEMASK, BS_GROUPBOX},
    {ControlKind::Label, L"Static", 0, 0},
    {ControlKind::Button, L"Button", BS_TYPEMASK, BS_OWNERDRAW},
    {ControlKind::TextBox, L"Edit", ES_MULTILINE, 0},
    {ControlKind::MultiLineText, L"Edit", ES_MULTILINE, ES_MULTILINE},
    {ControlKind::CheckBox, L"Button", BS_TYPEMASK, BS_AUTOCHECKBOX},
    {ControlKind::Option, L"Button", BS_TYPEMASK, BS_RADIOBUTTON},
    {ControlKind::ComboList, L"ComboBox", CBS_DROPDOWNLIST, CBS_DROPDOWNLIST},
    {ControlKind::ComboEdit, L"ComboBox", CBS_DROPDOWNLIST, CBS_DROPDOWN},
    {ControlKind::Picture, L"Static", 0, 0},
    {ControlKind::Drawing, kDrawingClass, 0, 0},
};

// A control's rectangle in its window's client area, in pixels.
RECT PlacedAt(HWND control) {
    RECT rect{};
    GetWindowRect(control, &rect);
    MapWindowPoints(nullptr, GetParent(control), reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

std::uint32_t AsPixel(COLORREF colour) {
    return (static_cast<std::uint32_t>(GetRValue(colour)) << 16) |
           (static_cast<std::uint32_t>(GetGValue(colour)) << 8) | GetBValue(colour);
}

// The colour of a button's face as painted: a point inside its edge, left of its caption.
std::uint32_t FaceColour(HWND button) {
    const WindowPixels picture = CaptureWindow(button);
    return picture.At(4, picture.height / 2);
}

TEST_F(WinFace, EveryControlOfTheTableIsBuiltAsItsKindAndFoundByItsId) {
    MemorySpooler spooler(Printers());
    WinForm& face = Open(spooler);
    const forms::FormLayout& layout = forms::Form1Layout();
    ASSERT_EQ(DpiOf(face.Window()), USER_DEFAULT_SCREEN_DPI) << "the test display runs at 96 dpi";
    RECT client{};
    GetClientRect(face.Window(), &client);
    EXPECT_EQ(client.right, 10425 / 15);
    EXPECT_EQ(client.bottom, 7275 / 15);
    EXPECT_EQ(TextOf(face.Window()), "设置");
    EXPECT_EQ(GetWindowLongPtrW(face.Window(), GWL_STYLE) & WS_MAXIMIZEBOX, 0) << "fixed size, no maximise";
    int shown = 0;
    for (const forms::ControlSpec& layoutControl : layout.controls) {
        HWND control = GetDlgItem(face.Window(), ControlId(layout, layoutControl.name));
        ASSERT_NE(control, nullptr) << layoutControl.name;
        for (const KindOnWindows& kind : kKinds) {
            if (kind.kind != layoutControl.kind) continue;
            EXPECT_EQ(lstrcmpiW(ClassName(control).c_str(), kind.className), 0) << layoutControl.name;
            EXPECT_EQ(GetWindowLongPtrW(control, GWL_STYLE) & kind.typeMask, kind.type) << layoutControl.name;
        }
        EXPECT_EQ(IsWindowVisible(control) != FALSE, layout.IsShown(layoutControl.name))
            << layoutControl.name;
        if (!layout.IsShown(layoutControl.name)) continue;
        ++shown;
        const forms::TwipsRect twips = layout.WindowRect(layoutControl.name);
        const RECT placed = PlacedAt(control);
        const auto px = [](int length) { return forms::TwipsToPixels(length, USER_DEFAULT_SCREEN_DPI); };
        EXPECT_EQ(placed.left, px(twips.left)) << layoutControl.name;
        EXPECT_EQ(placed.top, px(twips.top)) << layoutControl.name;
        EXPECT_EQ(placed.right - placed.left, px(twips.width)) << layoutControl.name;
        EXPECT_EQ(placed.bottom - placed.top, px(twips.height)) << layoutControl.name;
    }
    EXPECT_EQ(shown, 56) << "the frames, labels, buttons, text boxes and list of the client area";
}

TEST_F(WinFace, TheFocusChainHoldsTheVisibleControlsInReadingOrder) {
    MemorySpooler spooler(Printers());
    WinForm& face = Open(spooler);
    const auto& order = forms::Form1Layout().tabOrder;
    const auto walk = [&](BOOL backwards) {
        std::vector<std::string> names;
        HWND at = face.Control(order.front());
        for (std::size_t step = 0; step <= order.size(); ++step) {
            const auto* layoutControl = ControlOfId(forms::Form1Layout(), GetDlgCtrlID(at));
            names.push_back(layoutControl == nullptr ? "?" : layoutControl->name);
            at = GetNextDlgTabItem(face.Window(), at, backwards);
        }
        return names;
    };
    std::vector<std::string> forwards(order.begin(), order.end());
    forwards.push_back(order.front());  // and round again
    EXPECT_EQ(walk(FALSE), forwards);
    std::vector<std::string> backwards = {order.front()};
    backwards.insert(backwards.end(), order.rbegin(), order.rend() - 1);
    backwards.push_back(order.front());
    EXPECT_EQ(walk(TRUE), backwards);
}

TEST_F(WinFace, TabMovesTheFocusOnAndEnterPressesTheFocusedButton) {
    MemorySpooler spooler(Printers());
    Open(spooler);
    SetFocus(Control("Command28"));
    PostMessageW(GetFocus(), WM_KEYDOWN, VK_TAB, 0);
    PumpFor(std::chrono::milliseconds(50));
    EXPECT_EQ(GetFocus(), Control("Command29"));
    PostMessageW(GetFocus(), WM_KEYDOWN, VK_RETURN, 0);
    PumpFor(std::chrono::milliseconds(50));
    EXPECT_EQ(qvset::testing::DocumentsAsHex(spooler), std::vector<std::string>{"1B4203"});
    EXPECT_EQ(m_endings, 0);
}

TEST_F(WinFace, APressedSettingsButtonSendsAndIsPaintedInTheLitColour) {
    MemorySpooler spooler(Printers());
    WinForm& face = Open(spooler);
    const std::uint32_t buttonFace = AsPixel(GetSysColor(COLOR_BTNFACE));
    EXPECT_EQ(FaceColour(Control("Command28")), buttonFace);
    Press("Command28");
    EXPECT_EQ(qvset::testing::DocumentsAsHex(spooler), std::vector<std::string>{"1B4202"});
    EXPECT_TRUE(face.IsLitShown("Command28"));
    EXPECT_EQ(FaceColour(Control("Command28")), 0xFFE0C0u) << "red 255, green 224, blue 192";
    // The other choice of the item takes the light over.
    Press("Command29");
    EXPECT_EQ(FaceColour(Control("Command28")), buttonFace);
    EXPECT_EQ(FaceColour(Control("Command29")), 0xFFE0C0u);
}

TEST_F(WinFace, TheUsersTextPicksOptionsAndTicksReachTheLogic) {
    MemorySpooler spooler(Printers());
    Open(spooler);
    forms::Form1& logic = m_program->Main();
    // A typed length is what the length button sends.
    SetWindowTextW(Control("Text3"), L"100");
    EXPECT_EQ(logic.Selection().GeometryText(7), "100");
    // The printer list: the user's pick makes that printer the default.
    ASSERT_EQ(spooler.CurrentPrinter(), "QV640_Virtual");
    SendMessageW(Control("Combo1"), CB_SETCURSEL, 0, 0);
    SendMessageW(m_program->Face("Form1").Window(), WM_COMMAND,
                 MAKEWPARAM(ControlId(forms::Form1Layout(), "Combo1"), CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(Control("Combo1")));
    EXPECT_EQ(spooler.CurrentPrinter(), "Office_Laser");
    // An option switched on switches the others of its frame off.
    Press("Optcgs");
    EXPECT_EQ(logic.SpeedQuality().SelectedMode(), TuningMode::Standard);
    EXPECT_EQ(SendMessageW(Control("Optcgs"), BM_GETCHECK, 0, 0), BST_CHECKED);
    EXPECT_EQ(SendMessageW(Control("Optgs"), BM_GETCHECK, 0, 0), BST_UNCHECKED);
    // A box ticked and unticked again: the baud rate's list is disabled with it.
    Press("PrinterBaudrate");
    EXPECT_TRUE(logic.CheckBoxes().IsTicked("PrinterBaudrate"));
    EXPECT_EQ(SendMessageW(Control("PrinterBaudrate"), BM_GETCHECK, 0, 0), BST_CHECKED);
    EXPECT_TRUE(IsWindowEnabled(Control("ComBaudrate")));
    Press("PrinterBaudrate");
    EXPECT_FALSE(logic.CheckBoxes().IsTicked("PrinterBaudrate"));
    EXPECT_FALSE(IsWindowEnabled(Control("ComBaudrate")));
}

TEST_F(WinFace, WhatTheLogicShowsNeverComesBackAsTheUsersChange) {
    MemorySpooler spooler(Printers());
    WinForm& face = Open(spooler);
    face.SetText("Text3", "99");
    EXPECT_EQ(TextOf(Control("Text3")), "99");
    EXPECT_EQ(m_program->Main().Selection().GeometryText(7), "152");
    face.SetChecked("PrinterBlack", true);
    EXPECT_FALSE(m_program->Main().CheckBoxes().IsTicked("PrinterBlack"));
    face.SetText("cmbsz", "33");
    EXPECT_EQ(m_program->Main().SpeedQuality().ComboText(), "16");
}

TEST_F(WinFace, Timer1TicksEverySecondAndShowsTheClock) {
    MemorySpooler spooler(Printers());
    Open(spooler);
    m_clock.Set("2024/5/3 14:07:10");
    EXPECT_TRUE(PumpUntil([&] { return TextOf(Control("Labtime")) == "2024/5/3 14:07:10"; },
                          std::chrono::milliseconds(2500)));
}

TEST_F(WinFace, ThePauseShowsTheWaitCursorOverTheWindow) {
    MemorySpooler spooler(Printers());
    struct CursorPause final : Pause {
        std::function<void()> during;
        void Wait(int) override { during(); }
    } pause;
    std::vector<bool> shown;
    WinForm* face = nullptr;
    pause.during = [&] {
        SendMessageW(face->Window(), WM_SETCURSOR, reinterpret_cast<WPARAM>(face->Window()), HTCLIENT);
        shown.push_back(face->WaitCursorShown() && GetCursor() == LoadCursorW(nullptr, IDC_WAIT));
    };
    face = &Open(spooler, &pause);
    Press("Command7");  // restores the factory parameters, with pauses between its documents
    ASSERT_FALSE(shown.empty());
    EXPECT_EQ(std::set<bool>(shown.begin(), shown.end()), std::set<bool>{true});
    EXPECT_FALSE(face->WaitCursorShown());
}

TEST_F(WinFace, TheCloseBoxEndsTheProgramAndHelpOpensItsWindow) {
    MemorySpooler spooler(Printers());
    WinForm& face = Open(spooler);
    Press("Command22");
    HWND help = m_program->Face("Form2").Window();
    EXPECT_TRUE(IsWindowVisible(help));
    EXPECT_EQ(TextOf(help), "说明");
    SendMessageW(help, WM_CLOSE, 0, 0);
    EXPECT_FALSE(IsWindowVisible(help));
    EXPECT_EQ(m_endings, 0);
    SendMessageW(face.Window(), WM_CLOSE, 0, 0);
    EXPECT_EQ(m_endings, 1);
}

TEST_F(WinFace, ThePreviewsButtonOpensTheMainWindow) {
    MemorySpooler spooler(Printers());
    m_program = std::make_unique<WinProgram>(spooler, m_dialogs, m_pause, m_clock,
                                             std::vector<std::filesystem::path>{m_folder});
    m_program->ShowForm("Form3");
    SendMessageW(m_program->Face("Form3").Control("Command19"), BM_CLICK, 0, 0);
    EXPECT_TRUE(IsWindowVisible(m_program->Face("Form1").Window()));
    EXPECT_EQ(spooler.CurrentPrinter(), "QV640_Virtual") << "the main window's start-up ran";
}

// The preview started alone and closed by its close box leaves no window on screen: the message loop
// ends, and with it qvset.exe.
TEST_F(WinFace, TheLastWindowGoneEndsTheMessageLoop) {
    MemorySpooler spooler(Printers());
    m_program = std::make_unique<WinProgram>(spooler, m_dialogs, m_pause, m_clock,
                                             std::vector<std::filesystem::path>{m_folder});
    m_program->ShowForm("Form3");
    PostMessageW(m_program->Face("Form3").Window(), WM_CLOSE, 0, 0);
    // Should the loop not end by itself, a timer ends it after 5 s with another status.
    const UINT_PTR guard =
        SetTimer(nullptr, 0, 5000, [](HWND, UINT, UINT_PTR, DWORD) { PostQuitMessage(7); });
    EXPECT_EQ(WinProgram::RunMessages(), 0);
    KillTimer(nullptr, guard);
    EXPECT_FALSE(IsWindowVisible(m_program->Face("Form3").Window()));
}

// Every character of every caption has a glyph in the window's font: no caption shows boxes.
TEST_F(WinFace, TheWindowFontHasEveryCaptionsCharacters) {
    WindowFonts fonts(USER_DEFAULT_SCREEN_DPI);
    EXPECT_EQ(fonts.Face(), kChineseDialogFace);
    HDC screen = GetDC(nullptr);
    HGDIOBJ old = SelectObject(screen, fonts.Get());
    for (const forms::FormLayout* layout :
         {&forms::Form1Layout(), &forms::Form2Layout(), &forms::Form3Layout()}) {
        for (const forms::ControlSpec& layoutControl : layout->controls) {
            const std::wstring caption = ToWide(layoutControl.caption);
            std::vector<WORD> glyphs(caption.size() + 1);
            GetGlyphIndicesW(screen, caption.c_str(), static_cast<int>(caption.size()), glyphs.data(),
                             GGI_MARK_NONEXISTING_GLYPHS);
            for (std::size_t i = 0; i < caption.size(); ++i)
                EXPECT_NE(glyphs[i], 0xFFFF) << layoutControl.name << " character " << i;
        }
    }
    SelectObject(screen, old);
    ReleaseDC(nullptr, screen);
}

}  // namespace
}  // namespace qvset::winapp::testing
