// The window tests run the real windows on Qt's offscreen platform.

#include <gtest/gtest.h>

#include <QApplication>
#include <cstdlib>

#include "support/RecordingPrinter.h"
#include "ui/app/Application.h"
#include "ui/print/PrinterBackendQt.h"

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    ::testing::InitGoogleTest(&argc, argv);
    QApplication app(argc, argv);
    vellumo::InitializeApplication(app);
    // The viewers print to a recorder: no test depends on, or prints to, this machine's
    // printers.
    vellumo::SetPrinterBackendFactory(
        [] { return std::make_unique<vellumo::test::RecordingPrinter>(); });
    return RUN_ALL_TESTS();
}
