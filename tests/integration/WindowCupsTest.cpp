// The main window against a real CUPS server: start-up picks the maker's queue as the default, and every
// visible button that talks to the printer, clicked where the window's layout puts it, delivers its
// documents to that queue byte for byte.
#include <gtest/gtest.h>

#include <QPushButton>
#include <QTest>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "Sandbox.h"
#include "app/Form1.h"
#include "app/Twips.h"
#include "app/WindowFixture.h"
#include "printer/HexCodec.h"
#include "printer/PrinterSelection.h"
#include "printer/cups/CupsSpooler.h"
#include "support/RecordingDialogs.h"

namespace qvset::app {
namespace {

using qvset::testing::Sandbox;
using testing::FixedClock;

constexpr const char* kQueue = "QV640_Virtual";
constexpr const char* kBaudMessage = "您设置了波特率，完成后需要重启打印机";

// Where a button sits in the window, in twips from the window's top-left corner (its frame's position
// plus its own within the frame).
struct Placement {
    const char* name;
    int left;
    int top;
    int width;
    int height;
};

// Every visible button that sends to the printer, as the window lays it out.
const std::vector<Placement>& VisibleSendButtons() {
    static const std::vector<Placement> placements = {
        // 黑标设置 at 120, 2040
        {"Command28", 120 + 240, 2040 + 480, 615, 375},
        {"Command29", 120 + 1560, 2040 + 480, 615, 375},
        // 纸张类型设置 at 2880, 2040
        {"Command31", 2880 + 240, 2040 + 480, 735, 375},
        {"Command32", 2880 + 1560, 2040 + 480, 735, 375},
        // 黑标门槛 at 5640, 2040
        {"Command30", 5640 + 480, 2040 + 480, 1095, 375},
        // 打印头选择 at 120, 3480
        {"Command33", 120 + 120, 3480 + 480, 975, 375},
        {"Command34", 120 + 1440, 3480 + 480, 975, 375},
        // 撕纸口位置选择 at 2880, 3480
        {"Command35", 2880 + 240, 3480 + 480, 855, 375},
        {"Command36", 2880 + 1560, 3480 + 480, 855, 375},
        // 打印开始定位 at 120, 4920 and 打印结束定位 at 2880, 4920
        {"Command37", 120 + 240, 4920 + 480, 615, 375},
        {"Command38", 120 + 1560, 4920 + 480, 615, 375},
        {"Command39", 2880 + 240, 4920 + 480, 615, 375},
        {"Command40", 2880 + 1560, 4920 + 480, 615, 375},
        // 串口波特率 9600*n at 5640, 3240: two columns, four rows
        {"Command41", 5640 + 240, 3240 + 360, 615, 375},
        {"Command42", 5640 + 1200, 3240 + 360, 615, 375},
        {"Command43", 5640 + 240, 3240 + 960, 615, 375},
        {"Command44", 5640 + 1200, 3240 + 960, 615, 375},
        {"Command45", 5640 + 240, 3240 + 1560, 615, 375},
        {"Command46", 5640 + 1200, 3240 + 1560, 615, 375},
        {"Command47", 5640 + 240, 3240 + 2160, 615, 375},
        {"Command48", 5640 + 1200, 3240 + 2160, 615, 375},
        // 票据格式设置 at 7680, 2040: the B, L and P rows
        {"Command25", 7680 + 1920, 2040 + 720, 615, 375},
        {"Command23", 7680 + 1920, 2040 + 2040, 615, 375},
        {"Command24", 7680 + 1920, 2040 + 3360, 615, 375},
        // bottom row and top bar
        {"Command17", 120, 6360, 1335, 735},
        {"Command19", 1920, 6360, 1335, 735},
        {"Command49", 120 + 9120, 120 + 160, 975, 375},
    };
    return placements;
}

const Placement& PlacementOf(const std::string& name) {
    for (const auto& placement : VisibleSendButtons()) {
        if (name == placement.name) return placement;
    }
    throw std::logic_error("no placement for " + name);
}

class WindowCups : public ::testing::Test {
  protected:
    static void SetUpTestSuite() { Sandbox::UseClientEnvironment(); }

    void SetUp() override {
        m_folder = std::filesystem::temp_directory_path() /
                   ("qvset-window-cups-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()));
        std::filesystem::create_directories(m_folder);
        m_spooler = std::make_unique<CupsSpooler>();
        // Start from another default, so that the start-up pick has something to change.
        for (const auto& printer : m_spooler->ListPrinters()) {
            if (printer.deviceName == "Office_Laser")
                m_spooler->ApplyPrinterChoice(FormatPrinterEntry(printer));
        }
        ASSERT_EQ(m_spooler->CurrentPrinter(), "Office_Laser");
    }

    void TearDown() override {
        m_form.reset();
        std::filesystem::remove_all(m_folder);
    }

    Form1& Open() {
        m_form = std::make_unique<Form1>(*m_spooler, m_dialogs, m_pause, m_clock, m_folder);
        m_form->SetEndProgram([] { ADD_FAILURE() << "the program ended"; });
        m_form->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(m_form.get()));
        return *m_form;
    }

    // Clicks the point where the layout puts `name`: the centre of its twips rectangle, after checking
    // that the widget under that point is that button.
    void ClickWhereLaidOut(const std::string& name) {
        const Placement& placement = PlacementOf(name);
        const QRect rect = TwipsRect(placement.left, placement.top, placement.width, placement.height,
                                     m_form->logicalDpiX(), m_form->logicalDpiY());
        const QPoint centre = rect.center();
        QWidget* hit = m_form->childAt(centre);
        ASSERT_NE(hit, nullptr) << name;
        auto* button = qobject_cast<QPushButton*>(hit);
        ASSERT_NE(button, nullptr) << name << " hit " << hit->objectName().toStdString();
        ASSERT_EQ(button->objectName().toStdString(), name);
        ASSERT_TRUE(button->isEnabled()) << name;
        QTest::mouseClick(m_form->windowHandle(), Qt::LeftButton, Qt::NoModifier, centre);
    }

    // Clicks `name` where it is laid out and returns the hex of every document it left on the queue,
    // once `expectedCount` have arrived.
    std::vector<std::string> ClickAndCollect(const std::string& name, std::size_t expectedCount) {
        const std::size_t before = Sandbox::CapturedJobs(kQueue).size();
        ClickWhereLaidOut(name);
        const auto jobs = Sandbox::WaitForJobs(kQueue, before + expectedCount);
        std::vector<std::string> documents;
        for (std::size_t i = before; i < jobs.size(); ++i) {
            EXPECT_EQ(jobs[i].title, "AAAAAA") << name;
            documents.push_back(EncodeHex(jobs[i].bytes));
        }
        return documents;
    }

    qvset::testing::RecordingDialogs m_dialogs;
    qvset::testing::RecordingPause m_pause;
    FixedClock m_clock;
    std::filesystem::path m_folder;
    std::unique_ptr<CupsSpooler> m_spooler;
    std::unique_ptr<Form1> m_form;
};

TEST_F(WindowCups, StartUpMakesTheFirstMakerQueueTheDefault) {
    Form1& form = Open();
    EXPECT_EQ(m_spooler->CurrentPrinter(), kQueue);
    EXPECT_EQ(form.Text("Combo1").rfind(std::string(kQueue) + ",", 0), 0u) << form.Text("Combo1");
    // Another client of the same server sees the same default.
    EXPECT_EQ(Sandbox::Shell("lpstat -d | grep -q 'destination: QV640_Virtual'"), 0);
    EXPECT_TRUE(m_dialogs.Messages().empty());
}

TEST_F(WindowCups, EachVisibleButtonSendsItsDocumentToTheVirtualQueue) {
    struct Expected {
        const char* button;
        const char* hex;  // the one document it sends
        bool baudMessage;
    };
    const std::vector<Expected> table = {
        {"Command28", "1B4202", false},  // black mark on
        {"Command29", "1B4203", false},  // black mark off
        {"Command31", "1B4204", false},  // 76 mm paper
        {"Command32", "1B4205", false},  // 58 mm paper
        {"Command30", "1B4201", false},  // recalibrate the black-mark threshold
        {"Command33", "1B420A", false},  // standard head
        {"Command34", "1B420B", false},  // noise-reduced head
        {"Command35", "1B420C", false},  // high tear-off edge, QV640
        {"Command36", "1B420D", false},  // low tear-off edge, QV650
        {"Command37", "1B4206", false},  // print start positioning on
        {"Command38", "1B4207", false},  // print start positioning off
        {"Command39", "1B4208", false},  // print end positioning on
        {"Command40", "1B4209", false},  // print end positioning off
        {"Command41", "1B420E", true},   // 9600 x 1
        {"Command42", "1B420F", true},   // 9600 x 2
        {"Command43", "1B4210", true},   // 9600 x 4
        {"Command44", "1B4211", true},   // 9600 x 12
        {"Command45", "1B4212", true},   // 9600 x 24
        {"Command46", "1B4213", true},   // 9600 x 30
        {"Command47", "1B4214", true},   // 9600 x 36
        {"Command48", "1B4215", true},   // 9600 x 42
        // The geometry buttons with the initial texts B 27, L 152, P 35 (item encoding, 0.175 mm units).
        {"Command25", "1D2846040006009B00", false},
        {"Command23", "1D2846040004006503", false},
        {"Command24", "1D284604000500C900", false},
        // 测试: the printer's self-test.
        {"Command17", "1B3A000050", false},
    };
    Form1& form = Open();
    ASSERT_EQ(m_spooler->CurrentPrinter(), kQueue);
    for (const auto& row : table) {
        m_dialogs.Clear();
        EXPECT_EQ(ClickAndCollect(row.button, 1), std::vector<std::string>{row.hex}) << row.button;
        EXPECT_EQ(m_dialogs.MessageTexts(),
                  row.baudMessage ? std::vector<std::string>{kBaudMessage} : std::vector<std::string>{})
            << row.button;
    }
    // What the clicks recorded: the last choice of each item, lit.
    for (const char* lit : {"Command29", "Command32", "Command30", "Command34", "Command36", "Command38",
                            "Command40", "Command48", "Command23", "Command24", "Command25"}) {
        EXPECT_TRUE(form.IsLit(lit)) << lit;
    }

    // 设置票样 re-sends every recorded item as one document: the baud message first, then 102 digits in
    // item order (black mark, paper, head, tear-off edge, print start, print end, L, P, B, threshold,
    // baud rate).
    const std::vector<std::string> batchParts = {
        "1B4203",              // black mark off
        "1B4205",              // 58 mm paper
        "1B420B",              // noise-reduced head
        "1B420D",              // low tear-off edge
        "1B4207",              // print start positioning off
        "1B4209",              // print end positioning off
        "1D2846040004006503",  // L 152
        "1D284604000500C900",  // P 35
        "1D2846040006009B00",  // B 27
        "1B4201",              // threshold recalibration
        "1B4215",              // 9600 x 42
    };
    std::string batch;
    for (const auto& part : batchParts) batch += part;
    ASSERT_EQ(batch.size(), 102u);
    m_dialogs.Clear();
    EXPECT_EQ(ClickAndCollect("Command19", 1), std::vector<std::string>{batch});
    EXPECT_EQ(m_dialogs.MessageTexts(), std::vector<std::string>{kBaudMessage});
}

TEST_F(WindowCups, CancelledSelectionThenAFewSettingsGiveTheWorkedBatch) {
    Form1& form = Open();
    // Settle a previous selection away with 取消选定: no ticket description is open, so no question.
    ClickAndCollect("Command33", 1);
    m_dialogs.Clear();
    ClickWhereLaidOut("Command49");
    EXPECT_TRUE(m_dialogs.Messages().empty());
    EXPECT_FALSE(form.IsLit("Command33"));

    // Nothing recorded: 设置票样 only says so and sends nothing.
    const std::size_t before = Sandbox::CapturedJobs(kQueue).size();
    ClickWhereLaidOut("Command19");
    EXPECT_EQ(m_dialogs.MessageTexts(), std::vector<std::string>{"您没有要设置的项目，请确认"});

    // Black mark on, 58 mm paper, the ticket length 152 and 9600 x 12, then the batch.
    EXPECT_EQ(ClickAndCollect("Command28", 1), std::vector<std::string>{"1B4202"});
    EXPECT_EQ(ClickAndCollect("Command32", 1), std::vector<std::string>{"1B4205"});
    EXPECT_EQ(ClickAndCollect("Command23", 1), std::vector<std::string>{"1D2846040004006503"});
    EXPECT_EQ(ClickAndCollect("Command44", 1), std::vector<std::string>{"1B4211"});
    m_dialogs.Clear();
    EXPECT_EQ(ClickAndCollect("Command19", 1),
              std::vector<std::string>{"1B42021B42051D28460400040065031B4211"});
    EXPECT_EQ(m_dialogs.MessageTexts(), std::vector<std::string>{kBaudMessage});
    // The refused batch left no document: exactly the five above arrived.
    EXPECT_EQ(Sandbox::CapturedJobs(kQueue).size(), before + 5);
}

}  // namespace
}  // namespace qvset::app
