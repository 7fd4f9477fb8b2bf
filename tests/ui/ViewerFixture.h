#pragma once
// The viewer window tests' common ground: a checker on a settings file in a temporary
// folder, the settings dialog, scripted dialogs, and the viewer opened as the checker's
// "Ｖiewer" opens it.

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QString>
#include <memory>
#include <string>

#include "platform/Bitmap.h"
#include "support/TempDir.h"
#include "ui/Controls.h"
#include "ui/ScriptedUi.h"
#include "ui/app/Session.h"
#include "ui/checker/TForm1.h"
#include "ui/settings/TForm3.h"
#include "ui/viewer/TForm2.h"

namespace vellumo::test {

inline QString Q(const std::string& s) { return QString::fromStdString(s); }

/// A 24-bit picture whose every pixel differs from its neighbours.
inline Bitmap ColourPicture(uint32_t w, uint32_t h) {
    Bitmap b(w, h, PixelFormat::Bit24);
    for (uint32_t y = 0; y < h; ++y)
        for (uint32_t x = 0; x < w; ++x) {
            uint8_t* p = b.Row(y) + 3 * x;
            p[0] = uint8_t(x * 7), p[1] = uint8_t(y * 5), p[2] = uint8_t(x + y);
        }
    return b;
}

class ViewerFixture : public ::testing::Test {
  protected:
    void SetUp() override {
        ini = dir.File("vellumo.ini");
        MakeChecker();
    }
    /// A checker on the settings file `ini`, with a session of its own.
    void MakeChecker() {
        checker.reset();
        session = std::make_unique<Session>(Q(ini));
        checker = std::make_unique<TForm1>(*session, QStringList{});
    }
    void TearDown() override {
        if (viewer) viewer->close();
        viewer.reset();
    }

    /// Opens the viewer from the checker on `path` (empty: without a file).
    void Open(const std::string& path) {
        session->HandOffFileName = Q(path);
        session->CheckedFileName = Q(path);
        viewer = std::make_unique<TForm2>(*session, &dialog);
        viewer->show();
        QApplication::processEvents();  // the posted hand-off
    }

    /// The viewer's printing options, set where the user sets them: the settings dialog's
    /// boxes, first shown as the viewer has them so that each change reaches it.
    void SetPrintOptions(bool prtMs, bool waku) {
        dialog.ShowPrintOptions(viewer->AskBeforePrinting(), viewer->FrameB4OnA3());
        Control<QCheckBox>(dialog, "CheckBox1")->setChecked(!prtMs);
        Control<QCheckBox>(dialog, "CheckBox2")->setChecked(waku);
    }

    TempDir dir;
    std::string ini;
    ScriptedUi ui;
    std::unique_ptr<Session> session;
    std::unique_ptr<TForm1> checker;
    TForm3 dialog;
    std::unique_ptr<TForm2> viewer;
};

}  // namespace vellumo::test
