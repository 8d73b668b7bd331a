// The window with a devices file: its devices after the spooler's printers, a picked device the
// current printer of this run only (said so), its documents on the device, and the question whether a
// serial device follows its printer to a new baud rate.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <memory>

#include "RecordingView.h"
#include "forms/Program.h"
#include "printer/HexCodec.h"
#include "printer/MemorySpooler.h"
#include "printer/device/DevicesFile.h"
#include "printer/device/SpoolerWithDevices.h"
#include "settings/SwitchCommands.h"
#include "support/FakeDevices.h"
#include "support/FixedClock.h"
#include "support/RecordingDialogs.h"
#include "support/TestFolder.h"

namespace qvset::forms::testing {
namespace {

constexpr const char* kSerial = "serial:/dev/ttyUSB0?baud=9600";
constexpr const char* kSocket = "socket://192.0.2.7:9100";

class Face final : public FormFace {
  public:
    explicit Face(FormLogic& logic) : m_view(logic.Layout()) { logic.Attach(m_view); }
    void Show() override {}
    void Hide() override {}
    bool IsShown() const override { return true; }
    RecordingView& View() { return m_view; }

  private:
    RecordingView m_view;
};

class WindowDevices : public ::testing::Test {
  protected:
    void Start() {
        std::filesystem::create_directories(m_file.parent_path());
        std::ofstream(m_file, std::ios::binary)
            << "# shop\ncounter " << kSerial << "\nkitchen " << kSocket << "\n";
        m_devices = std::make_unique<DeviceSpooler>(ReadDevicesFile(m_file).devices, m_fake.Opener());
        m_both = std::make_unique<SpoolerWithDevices>(m_spooler, *m_devices);
        m_program = std::make_unique<Program>(
            *m_both, m_dialogs, m_pause, m_clock, std::vector<std::filesystem::path>{m_folder.Path()},
            [this](std::string_view, FormLogic& logic) {
                auto face = std::make_unique<Face>(logic);
                m_face = face.get();
                return face;
            },
            [] {}, RecordPlace{m_folder.Path() / "records", "localhost:631"},
            DevicePlace{m_file, m_devices.get()});
        m_program->ShowForm("Form1");
    }
    void Event(const FormEvent& event) {
        m_face->View().TakeUserEvent(event);
        m_program->Logic("Form1").OnEvent(event);
    }
    std::string DevicesFileText() const {
        std::ifstream in(m_file, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }
    std::string Entry(const std::string& name, const std::string& uri) const {
        return name + "," + std::string(kDeviceDriverText) + "," + uri;
    }

    MemorySpooler m_spooler{
        {{"Office_Laser", "Generic", "usb://Office"}, {"QV650_Back", "Generic", "usb://QV650"}}};
    qvset::testing::FakeDevices m_fake;
    qvset::testing::RecordingDialogs m_dialogs;
    qvset::testing::RecordingPause m_pause;
    qvset::testing::FixedClock m_clock;
    qvset::testing::TestFolder m_folder{"qvset-window-devices-"};
    std::filesystem::path m_file = m_folder.Path() / "devices";
    std::unique_ptr<DeviceSpooler> m_devices;
    std::unique_ptr<SpoolerWithDevices> m_both;
    Face* m_face = nullptr;
    std::unique_ptr<Program> m_program;
};

TEST_F(WindowDevices, TheDevicesFollowTheSpoolersPrintersAndTheStartUpSearchStaysWithTheSpooler) {
    Start();
    EXPECT_EQ(m_face->View().Of("Combo1").entries,
              (std::vector<std::string>{"Office_Laser,Generic,usb://Office", "QV650_Back,Generic,usb://QV650",
                                        Entry("counter", kSerial), Entry("kitchen", kSocket)}));
    // The first maker printer is the spooler's: the devices after it were never tried.
    EXPECT_EQ(m_spooler.AppliedChoices(), (std::vector<std::string>{"Office_Laser,Generic,usb://Office",
                                                                    "QV650_Back,Generic,usb://QV650"}));
    EXPECT_TRUE(m_dialogs.Messages().empty());
}

TEST_F(WindowDevices, APickedDeviceTakesTheDocumentsOfThisRunAndIsNoDefault) {
    Start();
    m_spooler.ClearDocuments();
    Event(FormEvent::Pick("Combo1", 3));
    EXPECT_EQ(m_dialogs.MessageTexts(),
              std::vector<std::string>{"设备 kitchen 只作本次运行的当前打印机，不能设为系统默认打印机"});
    EXPECT_EQ(m_spooler.AppliedChoices().size(), 2u);
    Event(FormEvent::Click("Command28"));  // black mark on
    ASSERT_EQ(m_fake.documents[kSocket].size(), 1u);
    EXPECT_EQ(EncodeHex(m_fake.documents[kSocket][0]), "1B4202");
    EXPECT_TRUE(m_spooler.Documents().empty());
    // The record keeps it under the device's URI.
    const auto record = RecordBook(m_folder.Path() / "records", "", {}).Read(kSocket);
    ASSERT_TRUE(record);
    ASSERT_EQ(record->entries.size(), 1u);
    EXPECT_EQ(record->entries[0].printer, kSocket);

    // Back to a queue: its documents go to the spooler again.
    Event(FormEvent::Pick("Combo1", 0));
    Event(FormEvent::Click("Command28"));
    ASSERT_EQ(m_spooler.Documents().size(), 1u);
    EXPECT_EQ(m_spooler.Documents()[0].printer, "Office_Laser");
}

TEST_F(WindowDevices, ADeviceThatFailsIsSaidOnceForItsDocument) {
    Start();
    m_fake.failures[kSocket].openProblem = "connect: Connection refused";
    Event(FormEvent::Pick("Combo1", 3));
    m_dialogs.Clear();
    Event(FormEvent::Click("Command28"));
    EXPECT_EQ(m_dialogs.MessageTexts(),
              std::vector<std::string>{
                  "设备 socket://192.0.2.7:9100 无法打开（connect: Connection refused），未发送"});
}

TEST_F(WindowDevices, ABaudChangeOnASerialDeviceIsOfferedAndFollowedOnlyOnYes) {
    Start();
    Event(FormEvent::Pick("Combo1", 2));
    m_dialogs.Clear();
    m_dialogs.QueueAnswer(MessageAnswer::No);
    Event(FormEvent::Click("Command42"));  // 9600 x 2
    const std::string question =
        "打印机此后以 19200 波特率应答（重启后生效）。把设备 counter 改为 serial:/dev/ttyUSB0?baud=19200 "
        "吗？";
    // The switch's own notice, then the question, after the document.
    EXPECT_EQ(m_dialogs.MessageTexts(), (std::vector<std::string>{std::string(kMsgBaudRateSet), question}));
    EXPECT_EQ(m_dialogs.Messages()[1].buttons, MessageButtons::YesNo);
    EXPECT_EQ(m_fake.log.front(), std::string("open ") + kSerial);
    EXPECT_NE(DevicesFileText().find(std::string("counter ") + kSerial), std::string::npos);

    m_dialogs.Clear();
    m_fake.log.clear();
    m_dialogs.QueueAnswer(MessageAnswer::Yes);
    Event(FormEvent::Click("Command42"));
    EXPECT_EQ(m_dialogs.MessageTexts(), (std::vector<std::string>{std::string(kMsgBaudRateSet), question}));
    EXPECT_EQ(DevicesFileText(),
              "# shop\ncounter serial:/dev/ttyUSB0?baud=19200\nkitchen socket://192.0.2.7:9100\n");
    // The next document goes out at the new rate, and asks nothing more.
    m_dialogs.Clear();
    m_fake.log.clear();
    Event(FormEvent::Click("Command28"));
    EXPECT_EQ(m_fake.log.front(), "open serial:/dev/ttyUSB0?baud=19200");
    EXPECT_TRUE(m_dialogs.Messages().empty());
}

}  // namespace
}  // namespace qvset::forms::testing
