// The record the window keeps of what it sends, through the one program shell: each document named by
// the caption of the control whose click sent it, written before anything the click shows next, and a
// record that cannot be written said once without holding up a document.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <iostream>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "RecordingView.h"
#include "forms/Program.h"
#include "printer/HexCodec.h"
#include "printer/MemorySpooler.h"
#include "settings/SwitchCommands.h"
#include "support/FixedClock.h"
#include "support/RecordingDialogs.h"
#include "support/SequenceLog.h"
#include "support/TestFolder.h"

namespace qvset::forms::testing {
namespace {

constexpr const char* kServer = "localhost:631";
constexpr const char* kPrinter = "QV640_Virtual";

// A face that keeps what each control shows.
class ViewFace final : public FormFace {
  public:
    explicit ViewFace(FormLogic& logic) : m_view(logic.Layout()) { logic.Attach(m_view); }
    void Show() override { m_shown = true; }
    void Hide() override { m_shown = false; }
    bool IsShown() const override { return m_shown; }
    RecordingView& View() { return m_view; }

  private:
    RecordingView m_view;
    bool m_shown = false;
};

class WindowRecord : public ::testing::Test {
  protected:
    void Start(std::optional<RecordPlace> place) {
        m_spooler.SetPrinters(
            {{kPrinter, "Generic", "usb://QV640"}, {"Office_Laser", "Generic", "usb://Office"}});
        m_program = std::make_unique<Program>(
            m_spooler, m_dialogs, m_pause, m_clock, std::vector<std::filesystem::path>{m_folder.Path()},
            [this](std::string_view, FormLogic& logic) {
                auto face = std::make_unique<ViewFace>(logic);
                m_face = face.get();
                return face;
            },
            [] {}, std::move(place));
        m_program->ShowForm("Form1");
    }
    RecordPlace Place() const { return {m_folder.Path() / "records", kServer}; }
    void Click(const std::string& control) { m_program->Logic("Form1").OnEvent(FormEvent::Click(control)); }
    std::vector<RecordEntry> Recorded() const {
        const auto record = RecordBook(Place().folder, kServer, {}).Read(kPrinter);
        return record ? record->entries : std::vector<RecordEntry>{};
    }
    // How many entries the record holds, and what the last one says became of its document.
    std::string RecordHolds() const {
        const auto recorded = Recorded();
        return "record holds " + std::to_string(recorded.size()) +
               (recorded.empty() ? std::string()
                                 : " (" + std::string(RecordFateWord(recorded.back().fate)) + ")");
    }

    MemorySpooler m_spooler;
    qvset::testing::RecordingDialogs m_dialogs;
    qvset::testing::RecordingPause m_pause;
    qvset::testing::FixedClock m_clock;
    qvset::testing::TestFolder m_folder{"qvset-window-record-"};
    qvset::testing::SequenceLog m_log{m_spooler, m_pause};
    ViewFace* m_face = nullptr;
    std::unique_ptr<Program> m_program;
};

TEST_F(WindowRecord, EveryDocumentIsRecordedWithTheCaptionOfTheClickedControl) {
    Start(Place());
    // A tick during a pause of a tuning run is no new handler: its documents keep the button's caption.
    m_pause.OnWait([this](int) { m_program->Logic("Form1").OnEvent(FormEvent::Tick("Timer1")); });
    const std::vector<std::pair<std::string, std::string>> clicks = {
        {"Command29", "关闭"},     {"Command41", "1倍"},     {"Command23", "设置"}, {"Command5", "换行"},
        {"Command13", "测针功能"}, {"Command8", "设置全部"}, {"Command29", "关闭"},
    };
    std::vector<std::string> expected;
    for (const auto& [control, caption] : clicks) {
        const std::size_t before = m_spooler.Documents().size();
        Click(control);
        ASSERT_GT(m_spooler.Documents().size(), before) << control << " sent nothing";
        expected.resize(m_spooler.Documents().size(), caption);
    }

    const std::vector<RecordEntry> recorded = Recorded();
    ASSERT_EQ(recorded.size(), m_spooler.Documents().size());
    for (std::size_t i = 0; i < recorded.size(); ++i) {
        SCOPED_TRACE("document " + std::to_string(i + 1));
        EXPECT_EQ(recorded[i].command, expected[i]);
        EXPECT_EQ(EncodeHex(recorded[i].bytes), EncodeHex(m_spooler.Documents()[i].bytes));
        EXPECT_EQ(recorded[i].printer, kPrinter);
        EXPECT_EQ(recorded[i].server, kServer);
        EXPECT_TRUE(recorded[i].taken);
    }
}

// What the user sees of one click, in order: the button lit before its document goes, the document
// in the record as pending while it is handed over and recorded whole before the message box that
// follows it opens, with the button shown lit behind the box.
TEST_F(WindowRecord, TheButtonLightsThenTheDocumentGoesAndIsRecordedThenTheMessageShows) {
    Start(Place());
    m_spooler.OnDocument([this](const MemorySpooler::Document&) {
        const auto& main = static_cast<Form1&>(m_program->Logic("Form1"));
        m_log.Note(main.Selection().IsLit("Command41") ? "lit" : "unlit");
        m_log.Note("send, " + RecordHolds());
    });
    m_dialogs.OnShow([this] {
        m_log.Note(RecordHolds());
        m_log.Note(m_face->View().Of("Command41").lit ? "shown lit" : "shown unlit");
        m_log.Note("message");
    });
    Click("Command41");
    EXPECT_EQ(m_log.Entries(),
              (std::vector<std::string>{"lit", "send, record holds 1 (pending)", "record holds 1 (answered)",
                                        "shown lit", "message"}));
    EXPECT_EQ(m_dialogs.MessageTexts(), std::vector<std::string>{std::string(kMsgBaudRateSet)});
}

// A folder that cannot be made: every document still goes, with its pauses, exactly as without a
// record; the record says so once, after the first click that met it has shown its own message.
TEST_F(WindowRecord, ARecordThatCannotBeWrittenIsSaidOnceAndEveryDocumentStillGoes) {
    const auto clicks = {"Command41", "Command13", "Command41"};
    Start(std::nullopt);
    for (const char* control : clicks) Click(control);
    const std::vector<std::string> unrecorded = m_log.Entries();
    const std::vector<std::string> unrecordedMessages = m_dialogs.MessageTexts();

    m_log.Clear();
    m_dialogs.Clear();
    m_dialogs.OnShow([this] { m_log.Note("message " + std::to_string(m_dialogs.Messages().size() + 1)); });
    std::ofstream(m_folder.Path() / "blocker") << "a file, not a folder";
    std::ostringstream said;
    std::streambuf* const stderrBuffer = std::cerr.rdbuf(said.rdbuf());
    Start(RecordPlace{m_folder.Path() / "blocker" / "records", kServer});
    for (const char* control : clicks) Click(control);
    std::cerr.rdbuf(stderrBuffer);

    std::vector<std::string> expected = unrecorded;
    expected.insert(expected.begin() + 1, "message 1");  // the baud notice after the first document
    expected.insert(expected.begin() + 2, "message 2");  // then the record's
    expected.push_back("message 3");                     // the second baud notice, and no other
    EXPECT_EQ(m_log.Entries(), expected);
    const std::vector<std::string> messages = m_dialogs.MessageTexts();
    ASSERT_EQ(messages.size(), unrecordedMessages.size() + 1);
    EXPECT_EQ(messages[0], unrecordedMessages[0]);
    EXPECT_EQ(messages[1].rfind("发送记录无法写入", 0), 0u) << messages[1];
    EXPECT_NE(messages[1].find("blocker"), std::string::npos) << messages[1];
    EXPECT_EQ(m_dialogs.Messages()[1].icon, MessageIcon::Exclamation);
    const std::string stderrText = said.str();
    EXPECT_EQ(stderrText.find("qvset: the record of what was sent could not be written"), 0u) << stderrText;
    EXPECT_EQ(stderrText.find('\n'), stderrText.size() - 1) << "said more than once: " << stderrText;
}

TEST_F(WindowRecord, QvsetRecordOffRecordsNothing) {
#ifdef _WIN32
    _putenv_s("QVSET_RECORD", "off");
#else
    setenv("QVSET_RECORD", "off", 1);
#endif
    Start(Place());
    Click("Command5");
#ifdef _WIN32
    _putenv_s("QVSET_RECORD", "");
#else
    unsetenv("QVSET_RECORD");
#endif
    EXPECT_EQ(m_spooler.Documents().size(), 1u);
    EXPECT_FALSE(std::filesystem::exists(Place().folder));
    EXPECT_TRUE(m_dialogs.Messages().empty());
}

}  // namespace
}  // namespace qvset::forms::testing
