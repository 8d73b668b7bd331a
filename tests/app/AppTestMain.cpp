// The window tests run on Qt's offscreen platform, inside one QApplication with the window's Chinese
// translations, as qvset runs.
#include <gtest/gtest.h>

#include <QApplication>

#include "app/QtDialogs.h"
#include "app/Translations.h"

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    QApplication::setApplicationName(qvset::app::kApplicationTitle);
    if (!qvset::app::LoadChineseTranslations(application)) {
        std::fprintf(stderr, "Qt's Chinese translations (qtbase_zh_CN.qm) are not installed\n");
        return 1;
    }
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
