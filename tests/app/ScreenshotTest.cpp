#include <unistd.h>

#include <QFileInfo>
#include <QFontDatabase>
#include <QGlyphRun>
#include <QProcess>
#include <QPushButton>
#include <QSet>
#include <QTemporaryDir>
#include <QTextLayout>
#include <filesystem>
#include <fstream>

#include "Version.h"
#include "WindowFixture.h"
#include "app/Screenshot.h"

namespace qvset::app::testing {
namespace {

using Screenshots = WindowFixture;

int DarkPixels(const QImage& image, const QRect& area) {
    int dark = 0;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            if (qGray(image.pixel(x, y)) < 90) ++dark;
        }
    }
    return dark;
}

QRect AreaOf(const QWidget& window, const QWidget* control) {
    return QRect(control->mapTo(&window, QPoint(0, 0)), control->size()).adjusted(4, 4, -4, -4);
}

TEST_F(Screenshots, MainWindowIsNotBlankAndShowsItsCaptions) {
    QtForm& form = Open();
    const QImage image = RenderWindow(form);
    ASSERT_EQ(image.size(), form.size());
    QSet<QRgb> colours;
    for (int y = 0; y < image.height(); y += 3) {
        for (int x = 0; x < image.width(); x += 3) colours.insert(image.pixel(x, y));
    }
    EXPECT_GT(colours.size(), 20);

    const char* kCaptioned[] = {"Command17", "Command19", "Command20", "Command21", "Command22",
                                "Command18", "Command49", "Command30", "Label13"};
    std::vector<int> before;
    for (const char* name : kCaptioned) {
        before.push_back(DarkPixels(image, AreaOf(form, form.findChild<QWidget*>(name))));
        EXPECT_GT(before.back(), 15) << name;
        form.SetText(name, "");
    }
    const QImage blank = RenderWindow(form);
    for (std::size_t i = 0; i < std::size(kCaptioned); ++i) {
        EXPECT_LT(DarkPixels(blank, AreaOf(form, form.findChild<QWidget*>(kCaptioned[i]))), before[i] / 4)
            << kCaptioned[i];
    }
}

TEST_F(Screenshots, ChineseCaptionsHaveGlyphsInTheWindowsFont) {
    QtForm& form = Open();
    for (const char* text :
         {"设置票样", "串口波特率 9600*n", "黑标上边沿相对于发票顶部的距离(单位：mm)", "说明"}) {
        QTextLayout layout(QString::fromUtf8(text), form.font());
        layout.beginLayout();
        layout.createLine();
        layout.endLayout();
        int glyphs = 0;
        for (const QGlyphRun& run : layout.glyphRuns()) {
            for (quint32 index : run.glyphIndexes()) {
                EXPECT_NE(index, 0u) << text;  // glyph 0 is the missing-glyph box
                ++glyphs;
            }
        }
        EXPECT_GE(glyphs, 2) << text;
    }
}

TEST_F(Screenshots, ThePreviewsTicketIsDrawn) {
    Open();
    QtForm& preview = m_program->Form("Form3");
    const QImage image = RenderWindow(preview);
    const QWidget* picture = preview.findChild<QWidget*>("Picture1");
    ASSERT_NE(picture, nullptr);
    EXPECT_GT(DarkPixels(image, AreaOf(preview, picture)), 800);
}

TEST_F(Screenshots, APictureReplacesTheEarlierOneThroughItsLinkAndKeepsItsMode) {
    QtForm& form = Open();
    const auto target = m_folder / "earlier.png";
    const auto link = m_folder / "shot.png";
    std::ofstream(target, std::ios::binary) << "earlier";
    std::filesystem::permissions(target,
                                 std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
    std::filesystem::create_symlink(target, link);
    ASSERT_TRUE(SaveScreenshot(form, QString::fromStdString(link.string())));
    EXPECT_TRUE(std::filesystem::is_symlink(link));
    EXPECT_FALSE(QImage(QString::fromStdString(target.string())).isNull());
    EXPECT_EQ(std::filesystem::status(target).permissions() & std::filesystem::perms::all,
              std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
    // A folder in the way: nothing is written and the call says so.
    EXPECT_FALSE(SaveScreenshot(form, QString::fromStdString(m_folder.string())));
    EXPECT_TRUE(std::filesystem::is_directory(m_folder));
}

struct ScreenshotRun {
    int status;
    QImage image;
};

ScreenshotRun RunScreenshot(const QStringList& extra) {
    QTemporaryDir folder;
    const QString file = folder.filePath("shot.png");
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove("QT_QPA_PLATFORM");  // qvset chooses the offscreen platform by itself
    environment.remove("DISPLAY");
    environment.remove("WAYLAND_DISPLAY");
    process.setProcessEnvironment(environment);
    process.start(QVSET_EXE, QStringList{"--screenshot", file} + extra);
    if (!process.waitForFinished(60000)) return {-1, {}};
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1, QImage(file)};
}

TEST(ScreenshotCommand, RendersEachWindowWithoutADisplay) {
    const ScreenshotRun main = RunScreenshot({});
    EXPECT_EQ(main.status, 0);
    ASSERT_FALSE(main.image.isNull());
    EXPECT_EQ(main.image.size(), QSize(695, 485));
    EXPECT_GT(DarkPixels(main.image, main.image.rect()), 2000);
    for (const char* form : {"1", "2", "3"}) {
        const ScreenshotRun run = RunScreenshot({"--form", form});
        EXPECT_EQ(run.status, 0) << form;
        EXPECT_FALSE(run.image.isNull()) << form;
    }
}

TEST(ScreenshotCommand, RefusesUnknownArguments) {
    EXPECT_EQ(RunScreenshot({"--form", "4"}).status, 2);
    EXPECT_EQ(RunScreenshot({"--bogus"}).status, 2);
}

// qvset hands its own options to the shared reading after Qt has taken Qt's, and reads them before
// it looks for a display: a line of each answer, and the exit status.
TEST(WindowCommand, ReadsItsOptionsAfterQtHasTakenItsOwn) {
    struct Row {
        QStringList args;
        int status;
        std::string line;
    };
    const Row rows[] = {
        {{"--version"}, 0, "qvset " + std::string(kVersion)},
        {{"-platform", "offscreen", "--version"}, 0, "qvset " + std::string(kVersion)},
        {{"-style", "fusion", "--help"}, 0, "Usage: qvset [--preview]"},
        {{"--form", "1"}, 2, "qvset: --form goes with --screenshot"},
        {{"-platform", "offscreen", "--form=2", "--preview"}, 2, "qvset: --form goes with --screenshot"},
        {{"--preview", "extra"}, 2, "qvset: unexpected argument extra"},
    };
    for (const Row& row : rows) {
        QProcess process;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.remove("DISPLAY");
        environment.remove("WAYLAND_DISPLAY");
        environment.remove("QT_QPA_PLATFORM");
        process.setProcessEnvironment(environment);
        process.start(QVSET_EXE, row.args);
        ASSERT_TRUE(process.waitForFinished(60000));
        const QString out = QString::fromUtf8(row.status == 0 ? process.readAllStandardOutput()
                                                              : process.readAllStandardError());
        EXPECT_EQ(process.exitCode(), row.status) << row.args.join(' ').toStdString();
        // Qt may add notes of its own on the standard error.
        EXPECT_TRUE(out.split('\n').contains(QString::fromStdString(row.line)))
            << row.args.join(' ').toStdString() << ": " << out.toStdString();
    }
}

TEST(WindowCommand, WithoutADisplaySaysHowToRunItInsteadOfAborting) {
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove("QT_QPA_PLATFORM");
    environment.remove("DISPLAY");
    environment.remove("WAYLAND_DISPLAY");
    process.setProcessEnvironment(environment);
    process.start(QVSET_EXE, QStringList{});
    ASSERT_TRUE(process.waitForFinished(60000));
    EXPECT_EQ(process.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(process.exitCode(), 1);
    const QString err = QString::fromUtf8(process.readAllStandardError());
    EXPECT_TRUE(err.contains("no display")) << err.toStdString();
    EXPECT_TRUE(err.contains("xvfb-run -a qvset")) << err.toStdString();
}

// Without a login session's runtime folder, Qt would warn at every start; qvset makes the folder Qt
// falls back to, private to the user, and says nothing.
TEST(WindowCommand, StartsWithoutARuntimeFolderQuietly) {
    QTemporaryDir tmp;
    ASSERT_TRUE(tmp.isValid());
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove("XDG_RUNTIME_DIR");
    environment.insert("TMPDIR", tmp.path());
    process.setProcessEnvironment(environment);
    process.start(QVSET_EXE, QStringList{"--screenshot", tmp.filePath("shot.png")});
    ASSERT_TRUE(process.waitForFinished(60000));
    EXPECT_EQ(process.exitCode(), 0);
    const QString err = QString::fromUtf8(process.readAllStandardError());
    EXPECT_FALSE(err.contains("XDG_RUNTIME_DIR")) << err.toStdString();
    const QFileInfo folder(tmp.filePath(QStringLiteral("runtime-%1").arg(::getuid())));
    EXPECT_TRUE(folder.isDir());
    EXPECT_EQ(
        folder.permissions() & (QFileDevice::ReadGroup | QFileDevice::ReadOther | QFileDevice::WriteOther),
        QFileDevice::Permissions());
}

}  // namespace
}  // namespace qvset::app::testing
