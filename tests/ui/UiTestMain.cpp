// The window tests run the real windows on Qt's offscreen platform.

#include <QApplication>
#include <cstdlib>
#include <gtest/gtest.h>

#include "app/Application.h"

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    ::testing::InitGoogleTest(&argc, argv);
    QApplication app(argc, argv);
    vellumo::InitializeApplication(app);
    return RUN_ALL_TESTS();
}
