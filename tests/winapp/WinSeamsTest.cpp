// The Windows side of the window's seams: the pause, the clock's format and the dialogs.
#include "WinFaceFixture.h"

#include <atomic>
#include <thread>
#include <vector>

#include "winapp/WinClock.h"
#include "winapp/WinDialogs.h"
#include "winapp/WinPause.h"

namespace qvset::winapp::testing {
namespace {

// A window that counts its paints, timer ticks and key presses.
class CountingWindow {
  public:
    CountingWindow() {
        static const bool registered = [] {
            WNDCLASSW windowClass{};
            windowClass.lpfnWndProc = Proc;
            windowClass.hInstance = GetModuleHandleW(nullptr);
            windowClass.lpszClassName = L"QvsetCountingWindow";
            return RegisterClassW(&windowClass) != 0;
        }();
        EXPECT_TRUE(registered);
        m_window = CreateWindowExW(0, L"QvsetCountingWindow", L"", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0,
                                   200, 100, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
        SetWindowLongPtrW(m_window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
        PumpFor(std::chrono::milliseconds(50));
        paints = ticks = keys = 0;
    }
    ~CountingWindow() { DestroyWindow(m_window); }
    HWND Window() const { return m_window; }

    int paints = 0;
    int ticks = 0;
    int keys = 0;

  private:
    static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        auto* self = reinterpret_cast<CountingWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
        if (self != nullptr) {
            if (message == WM_PAINT) ++self->paints;
            if (message == WM_TIMER) ++self->ticks;
            if (message == WM_KEYDOWN || message == WM_LBUTTONDOWN) ++self->keys;
        }
        return DefWindowProcW(window, message, wParam, lParam);
    }
    HWND m_window = nullptr;
};

TEST(WinPause, WaitsItsTimeKeepsPaintingAndDeliversTicksButHoldsInput) {
    CountingWindow window;
    SetTimer(window.Window(), 7, 50, nullptr);
    InvalidateRect(window.Window(), nullptr, TRUE);
    PostMessageW(window.Window(), WM_KEYDOWN, 'A', 0);
    PostMessageW(window.Window(), WM_LBUTTONDOWN, 0, 0);
    const ULONGLONG start = GetTickCount64();
    WinPause().Wait(400);
    const ULONGLONG waited = GetTickCount64() - start;
    KillTimer(window.Window(), 7);
    EXPECT_GE(waited, 400u);
    EXPECT_LT(waited, 1500u);
    EXPECT_GE(window.paints, 1) << "painted during the wait";
    EXPECT_GE(window.ticks, 3) << "timer ticks reach the window during the wait";
    EXPECT_EQ(window.keys, 0) << "input waits for the handler's return";
    PumpFor(std::chrono::milliseconds(50));
    EXPECT_EQ(window.keys, 2) << "and is delivered afterwards, in full";
}

TEST(WinClock, WritesTheLocalesShortDateAndTime) {
    const SYSTEMTIME moment{2024, 5, 5, 3, 14, 7, 9, 0};
    EXPECT_EQ(WinClock::Format(moment,
                               MAKELCID(MAKELANGID(LANG_CHINESE, SUBLANG_CHINESE_SIMPLIFIED), SORT_DEFAULT)),
              "2024/5/3 14:07:09");
    EXPECT_EQ(WinClock::Format(moment, MAKELCID(MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US), SORT_DEFAULT)),
              "5/3/2024 2:07:09 PM");
    EXPECT_FALSE(WinClock().Now().empty());
}

TEST(WinDialogs, MessagesBecomeMessageBoxStylesAndAnswers) {
    struct Row {
        MessageButtons buttons;
        MessageIcon icon;
        UINT style;
    };
    const Row rows[] = {
        {MessageButtons::Ok, MessageIcon::None, MB_OK},
        {MessageButtons::Ok, MessageIcon::Information, MB_OK | MB_ICONINFORMATION},
        {MessageButtons::Ok, MessageIcon::Exclamation, MB_OK | MB_ICONEXCLAMATION},
        {MessageButtons::Ok, MessageIcon::Critical, MB_OK | MB_ICONERROR},
        {MessageButtons::YesNo, MessageIcon::Question, MB_YESNO | MB_ICONQUESTION},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(WinDialogs::StyleOf({"text", "title", row.buttons, row.icon}), row.style);
    }
    EXPECT_EQ(WinDialogs::AnswerOf(IDOK, MessageButtons::Ok), MessageAnswer::Ok);
    EXPECT_EQ(WinDialogs::AnswerOf(IDYES, MessageButtons::YesNo), MessageAnswer::Yes);
    EXPECT_EQ(WinDialogs::AnswerOf(IDNO, MessageButtons::YesNo), MessageAnswer::No);
    EXPECT_EQ(WinDialogs::AnswerOf(0, MessageButtons::YesNo), MessageAnswer::Dismissed) << "the box failed";
    constexpr wchar_t kList[] = L"票样文件(*.txt)\0*.txt\0所有文件(*.*)\0*.*\0";  // and the closing NUL
    EXPECT_EQ(WinDialogs::FilterList("票样文件(*.txt)|*.txt|所有文件(*.*)|*.*|"),
              std::wstring(kList, std::size(kList)));
}

// Finds the dialog with that title on another thread, hands it to `act`, and gives up after a while.
class DialogHand {
  public:
    DialogHand(std::wstring title, std::function<void(HWND)> act)
        : m_thread([this, title = std::move(title), act = std::move(act)] {
              for (int tries = 0; tries < 300 && !m_stop; ++tries) {
                  HWND box = FindWindowW(L"#32770", title.c_str());
                  if (box != nullptr && IsWindowVisible(box)) {
                      act(box);
                      return;
                  }
                  Sleep(20);
              }
          }) {}
    ~DialogHand() {
        m_stop = true;
        m_thread.join();
    }

  private:
    std::atomic<bool> m_stop{false};
    std::thread m_thread;
};

std::wstring StaticText(HWND box) {
    std::wstring found;
    EnumChildWindows(
        box,
        [](HWND child, LPARAM text) {
            wchar_t name[16] = {};
            GetClassNameW(child, name, 16);
            wchar_t caption[512] = {};
            GetWindowTextW(child, caption, 512);
            if (lstrcmpiW(name, L"Static") == 0 && caption[0] != L'\0')
                *reinterpret_cast<std::wstring*>(text) = caption;
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&found));
    return found;
}

TEST(WinDialogs, AQuestionShowsItsTextAndTitleAndReturnsTheChosenButton) {
    std::wstring shown;
    const DialogHand hand(L"退出", [&](HWND box) {
        shown = StaticText(box);
        PostMessageW(box, WM_COMMAND, MAKEWPARAM(IDNO, BN_CLICKED),
                     reinterpret_cast<LPARAM>(GetDlgItem(box, IDNO)));
    });
    WinDialogs dialogs([] { return static_cast<HWND>(nullptr); });
    const MessageAnswer answer = dialogs.ShowMessage(
        {"你更改了票样，请确认是否保存", "退出", MessageButtons::YesNo, MessageIcon::Question});
    EXPECT_EQ(answer, MessageAnswer::No);
    EXPECT_EQ(ToUtf8(shown), "你更改了票样，请确认是否保存");
}

TEST(WinDialogs, TheSaveDialogStartsAtTheSharedNameAndReturnsTheChosenPath) {
    const qvset::testing::TestFolder testFolder("qvset-dialogs-");
    const std::filesystem::path& folder = testFolder.Path();
    const std::wstring chosen = (folder / L"票样一.txt").wstring();
    std::wstring startedAt;
    const DialogHand hand(L"保存票样", [&](HWND box) {
        Sleep(200);                          // the dialog fills its controls once shown
        HWND name = GetDlgItem(box, 0x47C);  // the file name box of the explorer dialog (cmb13)
        if (name == nullptr) name = GetDlgItem(box, 0x480);  // edt1
        wchar_t text[MAX_PATH] = {};
        GetWindowTextW(name, text, MAX_PATH);
        startedAt = text;
        SetWindowTextW(name, chosen.c_str());
        PostMessageW(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    });
    WinDialogs dialogs([] { return static_cast<HWND>(nullptr); });
    FileDialogState state{"保存票样", "票样文件(*.txt)|*.txt|", "上次.txt"};
    dialogs.ShowSave(state);
    EXPECT_EQ(startedAt, L"上次.txt");
    EXPECT_EQ(std::filesystem::path(ToWide(state.fileName)), std::filesystem::path(chosen));
}

}  // namespace
}  // namespace qvset::winapp::testing
