// The window tests run on Qt's offscreen platform, inside one QApplication.
#include <gtest/gtest.h>

#include <QApplication>

#include "app/QtDialogs.h"

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    QApplication::setApplicationName(qvset::app::kApplicationTitle);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
