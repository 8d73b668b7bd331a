// The main window's Win32 face against the private CUPS server through Wine's winspool: start-up
// picks the maker's queue, and every visible sending button, pressed on the control found by its name,
// delivers to that queue exactly what the Linux window delivers; the batch, a ticket description saved
// and opened, and a tuning run watched to its end.
#include "WinFaceFixture.h"

#include <vector>

#include "WinSandbox.h"
#include "forms/Form1.h"
#include "forms/SelectionHandlers.h"
#include "printer/HexCodec.h"
#include "printer/PrinterSelection.h"
#include "printer/win/WinSpooler.h"
#include "settings/SwitchCommands.h"
#include "support/VisibleSendButtons.h"
#include "tuning/JobWatch.h"

namespace qvset::winapp::testing {
namespace {

using qvset::testing::WinSandbox;

constexpr const char* kQueue = "QV640_Virtual";

class WinFaceSandbox : public WinFace {
  protected:
    void SetUp() override {
        WinFace::SetUp();
        // Start from another default, so that the start-up pick has something to change.
        for (const auto& printer : m_spooler.ListPrinters()) {
            if (printer.deviceName == "Office_Laser")
                m_spooler.ApplyPrinterChoice(FormatPrinterEntry(printer));
        }
        ASSERT_EQ(m_spooler.CurrentPrinter(), "Office_Laser");
    }

    // Presses `name` and returns the hex of the documents it left on the queue, once `count` arrived.
    std::vector<std::string> PressAndCollect(const std::string& name, std::size_t count) {
        const std::size_t before = WinSandbox::CapturedJobs(kQueue).size();
        Press(name);
        return DocumentsFrom(WinSandbox::WaitForJobs(kQueue, before + count), before, name);
    }

    win::WinSpooler m_spooler;
};

TEST_F(WinFaceSandbox, EveryVisibleSendingButtonDeliversItsDocumentThenTheBatchAllRecorded) {
    WinForm& face = Open(m_spooler);
    EXPECT_EQ(m_spooler.CurrentPrinter(), kQueue) << "start-up picks the first QV6 printer";
    EXPECT_EQ(TextOf(face.Control("Combo1")).rfind(std::string(kQueue) + ",", 0), 0u);
    for (const auto& button : qvset::testing::VisibleSendButtons()) {
        // Where the shared expectation says the button is laid out is where the face put it.
        RECT placed{};
        GetWindowRect(face.Control(button.name), &placed);
        MapWindowPoints(nullptr, face.Window(), reinterpret_cast<POINT*>(&placed), 2);
        EXPECT_EQ(placed.left, forms::TwipsToPixels(button.left, USER_DEFAULT_SCREEN_DPI)) << button.name;
        EXPECT_EQ(placed.top, forms::TwipsToPixels(button.top, USER_DEFAULT_SCREEN_DPI)) << button.name;
        EXPECT_TRUE(IsWindowVisible(face.Control(button.name))) << button.name;

        m_dialogs.Clear();
        EXPECT_EQ(PressAndCollect(button.name, 1), std::vector<std::string>{button.hex}) << button.name;
        EXPECT_EQ(m_dialogs.MessageTexts(), button.baudMessage
                                                ? std::vector<std::string>{std::string(kMsgBaudRateSet)}
                                                : std::vector<std::string>{})
            << button.name;
    }
    std::vector<std::string> lit;
    for (const forms::ControlSpec& layoutControl : forms::Form1Layout().controls) {
        if (layoutControl.kind == forms::ControlKind::Button && face.IsLitShown(layoutControl.name))
            lit.emplace_back(layoutControl.name);
    }
    std::vector<std::string> expectedLit = qvset::testing::LitAfterEveryVisibleSendButton();
    std::sort(lit.begin(), lit.end());
    std::sort(expectedLit.begin(), expectedLit.end());
    EXPECT_EQ(lit, expectedLit);

    m_dialogs.Clear();
    EXPECT_EQ(PressAndCollect(qvset::testing::kBatchButton.name, 1),
              std::vector<std::string>{qvset::testing::BatchAfterEveryVisibleSendButton()});
    EXPECT_EQ(m_dialogs.MessageTexts(), std::vector<std::string>{std::string(kMsgBaudRateSet)});
}

TEST_F(WinFaceSandbox, ATicketDescriptionSavedAndOpenedAgainLightsItsButtons) {
    WinForm& face = Open(m_spooler);
    PressAndCollect("Command32", 1);
    PressAndCollect("Command36", 1);
    const std::filesystem::path path = m_folder / L"小票.txt";
    const std::string file = ToUtf8(path.wstring());
    m_dialogs.QueueFileName(file);
    Press("Command20");  // 保存票样
    ASSERT_TRUE(std::filesystem::exists(path));
    Press("Command49");  // 取消选定: saved, so no question
    EXPECT_FALSE(face.IsLitShown("Command32"));
    m_dialogs.QueueFileName(file);
    Press("Command21");  // 打开票样
    EXPECT_TRUE(face.IsLitShown("Command32"));
    EXPECT_TRUE(face.IsLitShown("Command36"));
    EXPECT_FALSE(face.IsLitShown("Command31"));
    EXPECT_EQ(TextOf(face.Control("Label12")), "小票.txt");
    ASSERT_EQ(m_dialogs.SaveDialogs().size(), 1u);
    EXPECT_EQ(m_dialogs.OpenDialogs().size(), 1u);
    EXPECT_EQ(m_dialogs.OpenDialogs().front().fileName, file) << "the one dialog keeps the name";
}

TEST_F(WinFaceSandbox, ASingleModeRunOnTheQueueEndsDoneWithTheRunButtonsUnlocked) {
    WinForm& face = Open(m_spooler);
    const std::size_t before = WinSandbox::CapturedJobs(kQueue).size();
    // 设置单项, high speed at 16: the watch looks at the queue every second and ends the run at 27.
    Press("Command3");
    EXPECT_FALSE(IsWindowEnabled(face.Control("Command1"))) << "the run locks the printer buttons";
    ASSERT_TRUE(PumpUntil([&] { return TextOf(face.Control("Label8")) == kWatchCaptionDone; },
                          std::chrono::seconds(40)))
        << TextOf(face.Control("Label8"));
    EXPECT_TRUE(IsWindowEnabled(face.Control("Command1")));
    EXPECT_GT(WinSandbox::CapturedJobs(kQueue).size(), before);
    EXPECT_EQ(m_endings, 0);
}

}  // namespace
}  // namespace qvset::winapp::testing
