// The viewer window driven through its handlers, with scripted dialogs: loading and its
// messages, the status line and caption, the view commands, and the colour reduction.

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QColorDialog>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QMimeData>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QStyle>
#include <QStyleOptionSlider>
#include <QTimer>
#include <QWheelEvent>

#include "document/ArrangePanels.h"
#include "platform/Error.h"
#include "platform/ImageDecoder.h"
#include "save/TiffWriter.h"
#include "support/FileBuilders.h"
#include "support/RecordingPrinter.h"
#include "support/TempDir.h"
#include "ui/Controls.h"
#include "ui/RealDialogs.h"
#include "ui/ScriptedUi.h"
#include "ui/ViewerFixture.h"
#include "ui/app/Startup.h"
#include "ui/app/TAboutBox.h"
#include "ui/checker/TForm1.h"
#include "ui/settings/TForm3.h"
#include "ui/viewer/CategoryPanelWidget.h"
#include "ui/viewer/ImageControlWidget.h"
#include "ui/viewer/TForm2.h"

namespace vellumo {
namespace {

using test::ColourPicture;
using test::Control;
using test::Q;
using test::ScriptedUi;
using test::TempDir;

/// A one-bit picture with a black diagonal on white ([black, white] colour table).
Bitmap MonoPicture(uint32_t w, uint32_t h) {
    Bitmap b(w, h, PixelFormat::Bit1);
    b.Palette() = {RgbQuad{0, 0, 0, 0}, RgbQuad{255, 255, 255, 0}};
    b.Fill(0xFF);
    for (uint32_t y = 0; y < h; ++y) b.SetPixelIndex(y % w, y, 0);
    return b;
}

/// Sets the vertical resolution numerator of a little-endian TIFF written by our writer.
void SetYResolution(std::string& bytes, uint32_t dpi) {
    auto le32 = [&](size_t at) {
        return uint32_t(uint8_t(bytes[at])) | uint32_t(uint8_t(bytes[at + 1])) << 8 |
               uint32_t(uint8_t(bytes[at + 2])) << 16 | uint32_t(uint8_t(bytes[at + 3])) << 24;
    };
    const uint32_t ifd = le32(4);
    const unsigned count = uint8_t(bytes[ifd]) | uint8_t(bytes[ifd + 1]) << 8;
    for (unsigned i = 0; i < count; ++i) {
        const size_t entry = ifd + 2 + 12 * i;
        const unsigned tag = uint8_t(bytes[entry]) | uint8_t(bytes[entry + 1]) << 8;
        if (tag != 283) continue;
        const uint32_t at = le32(entry + 8);
        const uint32_t den = le32(at + 4);
        const uint32_t num = dpi * den;
        for (int k = 0; k < 4; ++k) bytes[at + k] = char((num >> (8 * k)) & 0xFF);
        return;
    }
    FAIL() << "no YResolution";
}

class ViewerWindowTest : public test::ViewerFixture {
  protected:
    std::string Mono400(const std::string& name, uint32_t w = 200, uint32_t h = 100) {
        const std::string path = dir.File(name);
        Bmp2Tif(MonoPicture(w, h), path, TiffCompression::G4, 400);
        return path;
    }
    std::string Colour(const std::string& name, double dpi, uint32_t w = 40, uint32_t h = 30) {
        const std::string path = dir.File(name);
        WriteRgbTiff(ColourPicture(w, h), path, TiffCompression::Lzw, dpi);
        return path;
    }
};

TEST_F(ViewerWindowTest, WithoutAFileOnlyTheFilePanelWorks) {
    Open("");
    viewer->FormActivate();
    EXPECT_EQ(viewer->windowTitle(), QStringLiteral("Pelmora Ｖiew 【 No picture！】"));
    for (CategoryPanel* p : {Control<CategoryPanel>(viewer, "CategoryPanel1"),
                             Control<CategoryPanel>(viewer, "CategoryPanel2"),
                             Control<CategoryPanel>(viewer, "CategoryPanel3"),
                             Control<CategoryPanel>(viewer, "CategoryPanel4")})
        EXPECT_FALSE(p->isEnabled()) << p->objectName().toStdString();
    EXPECT_TRUE(Control<CategoryPanel>(viewer, "CategoryPanel5")->isEnabled());
    EXPECT_TRUE(Control<CategoryPanel>(viewer, "CategoryPanel5")->Expanded());
    for (QMenu* m :
         {Control<QMenu>(viewer, "V1"), Control<QMenu>(viewer, "N2"), Control<QMenu>(viewer, "C1")})
        EXPECT_FALSE(m->menuAction()->isEnabled());
    EXPECT_FALSE(Control<QAction>(viewer, "S1")->isEnabled());
    EXPECT_FALSE(Control<QAction>(viewer, "Print")->isEnabled());
    EXPECT_FALSE(Control<QPushButton>(viewer, "Button8")->isEnabled());
    EXPECT_TRUE(viewer->Document().Picture().Empty());
    // The view commands do nothing without a picture.
    viewer->FitWhole();
    viewer->DeviceSize();
    viewer->RotateLeft();
    EXPECT_EQ(viewer->View().ViewScale, 1.0);
    EXPECT_TRUE(ui.messages.empty());
}

TEST_F(ViewerWindowTest, BlackWhiteFileWithAndWithoutTheMonochromeDisplay) {
    const std::string path = Mono400("a.tif");
    Open(path);
    EXPECT_EQ(viewer->StatusText(),
              QStringLiteral("　ImageType：Bitmap（PixelFormat：1bit  Resolution： 400dpi）"));
    EXPECT_EQ(viewer->Document().Picture().Format(), PixelFormat::Bit1);
    EXPECT_EQ(viewer->windowTitle(), QStringLiteral("Pelmora Ｖiew 【 a.tif】"));
    EXPECT_TRUE(Control<QPushButton>(viewer, "Button8")->isEnabled());
    EXPECT_TRUE(Control<QMenu>(viewer, "N2")->menuAction()->isEnabled());
    EXPECT_FALSE(Control<QPushButton>(viewer, "Button10")->isEnabled());
    EXPECT_TRUE(Control<QPushButton>(viewer, "BitBtn3")->isEnabled());
    EXPECT_EQ(viewer->Document().Resolution().ShownDpi, 400.0f);
    // Fitted into the scroll box.
    EXPECT_LE(viewer->ControlSize().width(),
              Control<QScrollArea>(viewer, "ScrollBox1")->viewport()->width());
    EXPECT_EQ(viewer->ControlSize().width(), int(200 * viewer->View().ViewScale));

    Control<QCheckBox>(dialog, "CheckBox5")->setChecked(false);
    Control<QPushButton>(viewer, "Button10")->setEnabled(true);
    viewer->Button10Click();
    EXPECT_EQ(viewer->StatusText(),
              QStringLiteral("　ImageType：Tiff（PixelFormat：BlackWhite  Resolution：400dpi）"));
    EXPECT_EQ(viewer->Document().Picture().Format(), PixelFormat::Bit32);
    EXPECT_FALSE(Control<QPushButton>(viewer, "BitBtn3")->isEnabled());

    // After a threshold, activation brings back the decoder's names and disables 色.
    viewer->ExecuteReduction();
    EXPECT_EQ(viewer->Document().Picture().Format(), PixelFormat::Bit1);
    EXPECT_TRUE(Control<QPushButton>(viewer, "BitBtn3")->isEnabled());
    EXPECT_TRUE(Control<QPushButton>(viewer, "Button10")->isEnabled());
    viewer->FormActivate();
    EXPECT_EQ(viewer->StatusText(),
              QStringLiteral("　ImageType：Tiff（PixelFormat：BlackWhite  Resolution：400dpi）"));
    EXPECT_FALSE(Control<QPushButton>(viewer, "BitBtn3")->isEnabled());
}

// The form activation comes with a return from another window of the program; a common
// dialog, a message box or another program leaves the status as the command left it.
TEST_F(ViewerWindowTest, ActivationAfterDialogsMessagesAndOtherPrograms) {
    const QString shownAsMono =
        QStringLiteral("　ImageType：Bitmap（PixelFormat：1bit  Resolution： 400dpi）");
    const QString decoderNames =
        QStringLiteral("　ImageType：Tiff（PixelFormat：BlackWhite  Resolution：400dpi）");
    const std::string mono = Mono400("a.tif");
    struct Case {
        const char* what;
        std::function<void()> act;  // the user's steps, ending elsewhere than the viewer
        QString status;
        bool inkEnabled;
    };
    const Case cases[] = {
        {"開く and a one-bit drawing in the open dialog",
         [&] {
             viewer->DropFiles({Q(Colour("c.tif", 300))});
             test::WhenShown<QFileDialog> open([&](QFileDialog* d) {
                 auto* name = d->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
                 // Typed at once: the completer's popup would take the keys one by one.
                 name->setText(Q(mono));
                 QTest::keyClick(name, Qt::Key_Return);
             });
             QTest::mouseClick(Control<QPushButton>(viewer, "Button5"), Qt::LeftButton);
         },
         shownAsMono, true},
        {"a message box",
         [&] {
             test::WhenShown<QMessageBox> message(
                 [](QMessageBox* box) { QTest::keyClick(box, Qt::Key_Return); });
             QTest::mouseClick(Control<QPushButton>(viewer, "Button9"), Qt::LeftButton);
         },
         shownAsMono, true},
        {"the colour dialog, then the right click at once",
         [&] {
             test::WhenShown<QColorDialog> colour([](QColorDialog* d) {
                 d->setCurrentColor(Qt::red);
                 QTest::keyClick(d, Qt::Key_Return);
             });
             QTest::mouseClick(Control<QPushButton>(viewer, "BitBtn3"), Qt::LeftButton);
             ASSERT_EQ(viewer->Document().Picture().Palette()[0], (RgbQuad{0, 0, 255, 0}));
         },
         shownAsMono, true},
        {"another program", [&] { test::OtherProgram().Activate(); }, shownAsMono, true},
        {"the settings dialog",
         [&] {
             QTest::mouseClick(Control<QPushButton>(viewer, "Button14"), Qt::LeftButton);
             ASSERT_TRUE(test::Activate(&dialog));
         },
         decoderNames, false},
    };
    test::RealDialogs real(&ui);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Open(mono);
        ASSERT_TRUE(test::Activate(viewer.get()));
        c.act();
        ASSERT_TRUE(test::Activate(viewer.get()));
        EXPECT_EQ(viewer->StatusText().toStdString(), c.status.toStdString());
        EXPECT_EQ(Control<QPushButton>(viewer, "BitBtn3")->isEnabled(), c.inkEnabled);
        if (c.inkEnabled) {
            QTest::mouseClick(Control<QPushButton>(viewer, "BitBtn3"), Qt::RightButton);
            EXPECT_EQ(viewer->Document().Picture().Palette()[0], (RgbQuad{0, 0, 0, 0}));
        }
        dialog.close();
    }
}

// A handler that fails shows the error box at its own end; nothing reaches Qt.
TEST_F(ViewerWindowTest, AFailingHandlerShowsTheErrorBox) {
    const std::string broken =
        dir.Write("broken.tif", test::DrawingTiff({}, test::Endian::Little, 300));
    struct Case {
        const char* what;
        std::function<void()> act;
        std::string error;
    };
    const Case cases[] = {
        {"実行 with a threshold that is no number",
         [&] {
             Control<QLineEdit>(viewer, "Edit1")->setText(QStringLiteral("abc"));
             QTest::mouseClick(Control<QPushButton>(viewer, "Button9"), Qt::LeftButton);
         },
         "'abc' は有効な整数値ではありません。"},
        {"a dropped file that cannot be shown",
         [&] {
             QMimeData data;
             data.setUrls({QUrl::fromLocalFile(Q(broken))});
             const QPoint at = viewer->rect().center();
             QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
             QApplication::sendEvent(viewer.get(), &enter);
             QDropEvent drop(QPointF(at), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
             QApplication::sendEvent(viewer.get(), &drop);
         },
         DecodeErrorText(broken)},
        {"the checker's file that cannot be shown", [&] { Open(broken); }, DecodeErrorText(broken)},
        {"a print job that fails",
         [&] {
             auto printer = std::make_unique<test::RecordingPrinter>();
             printer->failDrawing = "描けません";
             viewer->SetPrinterBackend(std::move(printer));
             SetPrintOptions(false, viewer->FrameB4OnA3());
             QTest::mouseClick(Control<QPushButton>(viewer, "Button7"), Qt::LeftButton);
         },
         "描けません"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Open(Colour("c.tif", 300));
        ui.messages.clear();
        EXPECT_NO_THROW(c.act());
        ASSERT_EQ(ui.messages.size(), 1u);
        EXPECT_EQ(ui.messages[0].title, QStringLiteral("Vellumo"));
        EXPECT_EQ(ui.messages[0].icon, BoxIcon::Critical);
        EXPECT_EQ(ui.messages[0].text.toStdString(), WithLfLineEnds(ErrorBoxText(c.error)));
        EXPECT_TRUE(viewer->isVisible());
    }
}

TEST_F(ViewerWindowTest, ResolutionInTheStatusLine) {
    Open(Colour("low.tif", 72));
    EXPECT_TRUE(viewer->StatusText().endsWith(QStringLiteral("  Resolution：72dpi）")))
        << viewer->StatusText().toStdString();
    viewer->ShowImageInfo(2);
    EXPECT_EQ(viewer->StatusText(),
              QStringLiteral("　ImageType：Bitmap（PixelFormat：32bit  Resolution：不明"));

    std::string bytes = test::ReadText(Colour("wide.tif", 300));
    SetYResolution(bytes, 600);
    viewer->DropFiles({Q(dir.Write("tall.tif", bytes))});
    EXPECT_TRUE(viewer->StatusText().endsWith(QStringLiteral("  Resolution：600dpi）")))
        << viewer->StatusText().toStdString();
    EXPECT_EQ(viewer->Document().Resolution().DpiX, 300.0f);
    EXPECT_EQ(viewer->windowTitle(), QStringLiteral("Pelmora Ｖiew 【 tall.tif】"));

    // A 32-bit BMP with a 40-byte header and alpha bit fields (compression 6) at 2835
    // pixels per metre: 72 dpi, and true size from it.
    std::string bmp = "BM";
    const auto le = [&bmp](uint32_t v, int bytes) {
        for (int i = 0; i < bytes; ++i) bmp += char((v >> (8 * i)) & 0xFF);
    };
    le(14 + 40 + 16 + 16, 4), le(0, 4), le(14 + 40 + 16, 4);
    le(40, 4), le(2, 4), le(2, 4), le(1, 2), le(32, 2), le(6, 4), le(16, 4), le(2835, 4),
        le(2835, 4), le(0, 4), le(0, 4);
    le(0x00FF0000, 4), le(0x0000FF00, 4), le(0x000000FF, 4), le(0xFF000000, 4);
    bmp += std::string(16, '\x80');
    viewer->DropFiles({Q(dir.Write("alpha.bmp", bmp))});
    EXPECT_TRUE(viewer->StatusText().endsWith(QStringLiteral("  Resolution：72dpi）")))
        << viewer->StatusText().toStdString();
    viewer->OverrideScreenDpi(96.0);
    viewer->DeviceSize();
    EXPECT_DOUBLE_EQ(viewer->View().ViewScale, 96.0 / 72.0);
}

TEST_F(ViewerWindowTest, DropsMissingFilesPdfAndUndecodableFiles) {
    Open(Mono400("a.tif"));
    const QString before = viewer->StatusText();
    viewer->DropFiles({Q(dir.File("1.tif")), Q(dir.File("2.tif")), Q(dir.File("3.tif"))});
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].text,
              QStringLiteral("ドロップは、１ファイルずつでお願いします。(dropped：3 files)"));

    // A missing file: the message, and the caption names the file that was not loaded.
    const QString missing = Q(dir.File("gone.tif"));
    viewer->DropFiles({missing});
    ASSERT_EQ(ui.messages.size(), 2u);
    EXPECT_EQ(ui.messages[1].text, missing + QStringLiteral("\nファイルがありません。"));
    EXPECT_EQ(viewer->windowTitle(), QStringLiteral("Pelmora Ｖiew 【 gone.tif】"));
    EXPECT_EQ(viewer->Document().Picture().Width(), 200u);

    // A PDF while Ghostscript cannot be used.
    viewer->DropFiles({Q(dir.Write("plan.pdf", std::string("%PDF-1.4\n")))});
    ASSERT_EQ(ui.messages.size(), 3u);
    EXPECT_EQ(ui.messages[2].text,
              QStringLiteral("PDFは、未対応ファイル形式です。\n利用環境を確認してください。"));

    // A file that cannot be decoded: the decode error, the picture and status stay.
    const std::string broken =
        dir.Write("broken.tif", test::DrawingTiff({}, test::Endian::Little, 300));
    try {
        viewer->DropFiles({Q(broken)});
        ADD_FAILURE() << "no error";
    } catch (const Error& e) {
        EXPECT_EQ(std::string(e.what()), DecodeErrorText(broken));
    }
    EXPECT_EQ(viewer->Document().Picture().Width(), 200u);
    EXPECT_EQ(viewer->StatusText(), before);
    EXPECT_EQ(Q(viewer->Document().FileName2()), Q(broken));

    // Cancelling the open dialog still ends Real time.
    Control<QCheckBox>(viewer, "CheckBox2")->setChecked(true);
    viewer->Button5Click();
    EXPECT_EQ(ui.openRequests.size(), 1u);
    EXPECT_TRUE(ui.openRequests[0].filter.startsWith(QStringLiteral("Graphics_files (ALL)|")));
    EXPECT_FALSE(Control<QCheckBox>(viewer, "CheckBox2")->isChecked());
    EXPECT_FALSE(viewer->Document().PdfConverted());
}

TEST_F(ViewerWindowTest, WheelZoomStepsLimitsAndScrolling) {
    Open(Mono400("big.tif", 3000, 2000));
    viewer->SetPointerOverImage(true);
    viewer->ZoomAt(0, 0, 1.0);
    EXPECT_TRUE(viewer->FormMouseWheel(120, Qt::NoModifier, {0, 0}));
    EXPECT_DOUBLE_EQ(viewer->View().ViewScale, 1.1);
    EXPECT_EQ(viewer->ControlSize(), QSize(3300, 2200));
    viewer->ZoomAt(0, 0, 1.0);
    viewer->FormMouseWheel(-120, Qt::NoModifier, {0, 0});
    EXPECT_DOUBLE_EQ(viewer->View().ViewScale, 0.9);
    viewer->ZoomAt(0, 0, 3.0);
    viewer->FormMouseWheel(120, Qt::NoModifier, {0, 0});
    EXPECT_NEAR(viewer->View().ViewScale, 3.3, 1e-12);
    viewer->FormMouseWheel(120, Qt::NoModifier, {0, 0});
    EXPECT_NEAR(viewer->View().ViewScale, 3.3, 1e-12);
    viewer->ZoomAt(0, 0, 0.1);
    viewer->FormMouseWheel(-120, Qt::NoModifier, {0, 0});
    EXPECT_NEAR(viewer->View().ViewScale, 0.09, 1e-12);
    viewer->FormMouseWheel(-120, Qt::NoModifier, {0, 0});
    EXPECT_NEAR(viewer->View().ViewScale, 0.09, 1e-12);

    // Through the window's events: half notches add up to one step.
    viewer->ZoomAt(0, 0, 1.0);
    for (int i = 0; i < 2; ++i) {
        QWheelEvent half(
            QPointF(5, 5),
            QPointF(Control<ImageControlWidget>(viewer, "Image1")->mapToGlobal(QPoint(5, 5))),
            QPoint(), QPoint(0, 60), Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(Control<ImageControlWidget>(viewer, "Image1"), &half);
    }
    EXPECT_DOUBLE_EQ(viewer->View().ViewScale, 1.1);

    // Shift and Ctrl scroll by ten pixels a notch instead.
    viewer->ZoomAt(0, 0, 1.0);
    EXPECT_FALSE(viewer->FormMouseWheel(-120, Qt::ShiftModifier, {0, 0}));
    viewer->FormMouseWheelScroll(true, Qt::ShiftModifier);
    EXPECT_EQ(viewer->ScrollPosition(), QPoint(0, 10));
    viewer->FormMouseWheelScroll(true, Qt::ControlModifier);
    viewer->FormMouseWheelScroll(true, Qt::ControlModifier);
    viewer->FormMouseWheelScroll(false, Qt::ControlModifier);
    EXPECT_EQ(viewer->ScrollPosition(), QPoint(10, 10));
    // Off the image the wheel does nothing.
    viewer->SetPointerOverImage(false);
    EXPECT_FALSE(viewer->FormMouseWheel(120, Qt::NoModifier, {0, 0}));
    EXPECT_FALSE(viewer->FormMouseWheelScroll(true, Qt::ShiftModifier));
    EXPECT_DOUBLE_EQ(viewer->View().ViewScale, 1.0);

    // A drag moves the view by the pointer's way, from the same start point.
    viewer->Image1MouseDown(Qt::LeftButton, Qt::NoModifier, {500, 400});
    viewer->Image1MouseMove({480, 390});
    EXPECT_EQ(viewer->ScrollPosition(), QPoint(30, 20));
    viewer->Image1MouseUp();
    EXPECT_FALSE(viewer->View().Dragging);
}

TEST_F(ViewerWindowTest, AltClickShowsThePointAndDoublesThenGoesBack) {
    Open(Mono400("big.tif", 3000, 2000));
    viewer->ZoomAt(0, 0, 0.25);
    const QPoint screen =
        Control<ImageControlWidget>(viewer, "Image1")->mapToGlobal(QPoint(100, 60));
    viewer->Image1MouseDown(Qt::LeftButton, Qt::AltModifier, {100, 60});
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].text,
              QStringLiteral("デスクトップ上 X:%1,Y:%2\nImage1上で　X:100,Y:60")
                  .arg(screen.x())
                  .arg(screen.y()));
    EXPECT_DOUBLE_EQ(viewer->View().ViewScale, 2.0);
    EXPECT_EQ(viewer->ControlSize(), QSize(6000, 4000));
    EXPECT_TRUE(viewer->View().Magnified);
    viewer->Image1MouseDown(Qt::LeftButton, Qt::AltModifier, {0, 0});
    EXPECT_EQ(viewer->ControlSize(), QSize(750, 500));
    EXPECT_EQ(viewer->ScrollPosition(), QPoint(0, 0));
    EXPECT_DOUBLE_EQ(viewer->View().ViewScale, 0.25);
    EXPECT_FALSE(viewer->View().Magnified);
    EXPECT_FALSE(viewer->View().Dragging);
}

// The inspection on Alt-click, on Ctrl-click (no window manager takes it) and in the
// picture's menu: the point's coordinates and the view doubled about it, then back.
TEST_F(ViewerWindowTest, InspectionByAltOrCtrlClickOrThePicturesMenu) {
    const QPoint point(100, 60);
    QPoint at;  // the point in the window: the second use is at the same place on the screen
    const struct {
        const char* what;
        std::function<void()> use;
    } ways[] = {
        {"Alt-click",
         [&] { QTest::mouseClick(viewer->windowHandle(), Qt::LeftButton, Qt::AltModifier, at); }},
        {"Ctrl-click",
         [&] {
             QTest::mouseClick(viewer->windowHandle(), Qt::LeftButton, Qt::ControlModifier, at);
         }},
        {"the picture's menu",
         [&] {
             test::WhenShown<QMenu> menu([this](QMenu* m) {
                 QTest::mouseClick(
                     m, Qt::LeftButton, {},
                     m->actionGeometry(Control<QAction>(viewer, "Inspect1")).center());
             });
             QTest::mousePress(viewer->windowHandle(), Qt::RightButton, {}, at);
             ASSERT_TRUE(test::WaitFor([&] { return menu.Done(); }));
             QTest::mouseRelease(viewer->windowHandle(), Qt::RightButton, {}, at);
         }},
    };
    for (const auto& way : ways) {
        SCOPED_TRACE(way.what);
        Open(Mono400("big.tif", 3000, 2000));
        viewer->ZoomAt(0, 0, 0.25);
        ui.messages.clear();
        const QPoint screen = Control<ImageControlWidget>(viewer, "Image1")->mapToGlobal(point);
        at = viewer->mapFromGlobal(screen);
        way.use();
        ASSERT_EQ(ui.messages.size(), 1u);
        EXPECT_EQ(ui.messages[0].text,
                  QStringLiteral("デスクトップ上 X:%1,Y:%2\nImage1上で　X:100,Y:60")
                      .arg(screen.x())
                      .arg(screen.y()));
        EXPECT_DOUBLE_EQ(viewer->View().ViewScale, 2.0);
        EXPECT_EQ(viewer->ControlSize(), QSize(6000, 4000));
        way.use();
        EXPECT_DOUBLE_EQ(viewer->View().ViewScale, 0.25);
        EXPECT_EQ(viewer->ControlSize(), QSize(750, 500));
        EXPECT_EQ(ui.messages.size(), 1u);
        EXPECT_FALSE(viewer->View().Dragging);
    }
}

/// A wheel event at `global` as the window system delivers it: to the control under the
/// pointer, then to each parent in turn until one takes it.
void TurnWheel(QWidget* window, QPoint global, QPoint angle) {
    for (QWidget* w = window->childAt(window->mapFromGlobal(global)); w; w = w->parentWidget()) {
        QWheelEvent wheel(w->mapFromGlobal(global), global, QPoint(), angle, Qt::NoButton,
                          Qt::NoModifier, Qt::NoScrollPhase, false);
        if (QApplication::sendEvent(w, &wheel) && wheel.isAccepted()) return;
        if (w->isWindow()) return;
    }
}

// The wheel sideways, the wheel at once after a message box or a crop frame let go, and
// the keys.
TEST_F(ViewerWindowTest, WheelAndKeys) {
    test::RealDialogs real(&ui);
    QPoint over;  // a point on the picture, on the screen
    const struct {
        const char* what;
        std::function<void()> act;
        std::function<void(double scaleBefore)> check;
    } cases[] = {
        {"a sideways wheel scrolls sideways",
         [&] {
             viewer->ZoomAt(0, 0, 1.0);
             TurnWheel(viewer.get(), over, QPoint(-120, 0));
         },
         [&](double) {
             EXPECT_EQ(viewer->ScrollPosition(), QPoint(10, 0));
             EXPECT_DOUBLE_EQ(viewer->View().ViewScale, 1.0);
         }},
        {"the wheel right after a message box",
         [&] {
             QTest::mouseMove(viewer->windowHandle(), viewer->mapFromGlobal(over));
             test::WhenShown<QMessageBox> box(
                 [](QMessageBox* b) { QTest::keyClick(b, Qt::Key_Return); });
             viewer->N2Click();
             QTest::mouseClick(Control<QPushButton>(viewer, "Button9"), Qt::LeftButton);
             ASSERT_TRUE(box.Done());
             TurnWheel(viewer.get(), over, QPoint(0, 120));
         },
         [&](double before) { EXPECT_DOUBLE_EQ(viewer->View().ViewScale, before * 1.1); }},
        {"the wheel over a crop frame just let go",
         [&] {
             QTest::mouseClick(Control<QPushButton>(viewer, "Button11"), Qt::LeftButton);
             const QPoint frame =
                 Control<QFrame>(viewer, "Shape1")
                     ->mapTo(viewer.get(), Control<QFrame>(viewer, "Shape1")->rect().center());
             QTest::mousePress(viewer->windowHandle(), Qt::LeftButton, {}, frame);
             QTest::mouseRelease(viewer->windowHandle(), Qt::LeftButton, {}, frame);
             TurnWheel(viewer.get(), viewer->mapToGlobal(frame), QPoint(0, -120));
         },
         [&](double before) { EXPECT_DOUBLE_EQ(viewer->View().ViewScale, before * 0.9); }},
        {"+", [&] { QTest::keyClick(viewer.get(), '+'); },
         [&](double before) { EXPECT_DOUBLE_EQ(viewer->View().ViewScale, before * 1.1); }},
        {"-", [&] { QTest::keyClick(viewer.get(), '-'); },
         [&](double before) { EXPECT_DOUBLE_EQ(viewer->View().ViewScale, before * 0.9); }},
        {"0",
         [&] {
             viewer->ZoomAt(0, 0, 1.0);
             QTest::keyClick(viewer.get(), '0');
         },
         [&](double before) { EXPECT_DOUBLE_EQ(viewer->View().ViewScale, before); }},
        {"Ctrl+P", [&] { QTest::keyClick(viewer.get(), Qt::Key_P, Qt::ControlModifier); },
         [&](double) {
             EXPECT_TRUE(Control<CategoryPanel>(viewer, "CategoryPanel4")->Expanded());
         }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Open(Mono400("big.tif", 3000, 2000));
        ASSERT_TRUE(test::Activate(viewer.get()));
        over = Control<ImageControlWidget>(viewer, "Image1")->mapToGlobal(QPoint(40, 30));
        const double before = viewer->View().ViewScale;
        c.act();
        c.check(before);
    }
    // Ctrl+O opens, Ctrl+S saves (the scripted dialogs are asked).
    SetUiServices(&ui);
    QTest::keyClick(viewer.get(), Qt::Key_O, Qt::ControlModifier);
    EXPECT_EQ(ui.openRequests.size(), 1u);
    QTest::keyClick(viewer.get(), Qt::Key_S, Qt::ControlModifier);
    EXPECT_EQ(ui.saveRequests.size(), 1u);
}

TEST_F(ViewerWindowTest, MenuOpeningsArrangeTheToolPanels) {
    Open(Colour("c.tif", 300));
    viewer->N2Click();
    EXPECT_TRUE(Control<CategoryPanel>(viewer, "CategoryPanel2")->Expanded());
    EXPECT_FALSE(Control<CategoryPanel>(viewer, "CategoryPanel3")->Expanded());
    EXPECT_FALSE(Control<CategoryPanel>(viewer, "CategoryPanel5")->Expanded());
    Control<QCheckBox>(viewer, "CheckBox2")->click();
    EXPECT_TRUE(Control<QCheckBox>(viewer, "CheckBox2")->isChecked());
    // Leaving the colour-reduction panel ends Real time.
    viewer->f1Click();
    EXPECT_TRUE(Control<CategoryPanel>(viewer, "CategoryPanel5")->Expanded());
    EXPECT_FALSE(Control<CategoryPanel>(viewer, "CategoryPanel2")->Expanded());
    EXPECT_FALSE(Control<QCheckBox>(viewer, "CheckBox2")->isChecked());
    EXPECT_TRUE(viewer->Document().Image2().Empty());
    viewer->V1Click();
    EXPECT_TRUE(Control<CategoryPanel>(viewer, "CategoryPanel1")->Expanded());
    // The column never holds more than it shows without a scroll bar when it can.
    int sum = 0;
    for (CategoryPanel* p : {Control<CategoryPanel>(viewer, "CategoryPanel1"),
                             Control<CategoryPanel>(viewer, "CategoryPanel2"),
                             Control<CategoryPanel>(viewer, "CategoryPanel3"),
                             Control<CategoryPanel>(viewer, "CategoryPanel4"),
                             Control<CategoryPanel>(viewer, "CategoryPanel5")})
        sum += p->height();
    EXPECT_LE(sum, Control<CategoryPanelGroup>(viewer, "CategoryPanelGroup1")->AvailableHeight());
}

// In a short window the column scrolls; its scroll bar comes beside the panels, not over them.
TEST_F(ViewerWindowTest, TheToolColumnsScrollBarLeavesThePanelsTheirWidth) {
    Open(Colour("c.tif", 300));
    viewer->resize(viewer->width(), viewer->minimumSizeHint().height());
    QApplication::processEvents();
    viewer->N2Click();
    viewer->ExpandPanel(Control<CategoryPanel>(viewer, "CategoryPanel6"));
    QApplication::processEvents();
    auto* group = Control<CategoryPanelGroup>(viewer, "CategoryPanelGroup1");
    ASSERT_EQ(group->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    EXPECT_EQ(Control<CategoryPanel>(viewer, "CategoryPanel2")->width(), kToolColumnWidth);
    viewer->CollapsePanel(Control<CategoryPanel>(viewer, "CategoryPanel6"));
    viewer->f1Click();
    QApplication::processEvents();
    EXPECT_EQ(group->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
    EXPECT_EQ(Control<QFrame>(viewer, "Panel1")->width(), kToolColumnWidth);
}

TEST_F(ViewerWindowTest, TrueSizeDoubleSizeAndRotation) {
    Open(Mono400("big.tif", 3000, 2000));
    viewer->OverrideScreenDpi(96.0);
    viewer->DeviceSize();
    EXPECT_DOUBLE_EQ(viewer->View().ViewScale, 0.24);
    viewer->DoubleSize();
    EXPECT_DOUBLE_EQ(viewer->View().ViewScale, 0.48);
    viewer->PixelSize();
    EXPECT_DOUBLE_EQ(viewer->View().ViewScale, 1.0);
    // A resolution that reads as 0 counts as 96 dpi.
    viewer->Document().ReadResolution(dir.File("no such file.tif"));
    viewer->DoubleSize();
    EXPECT_DOUBLE_EQ(viewer->View().ViewScale, 2.0);

    viewer->ZoomAt(0, 0, 0.25);
    EXPECT_EQ(viewer->ControlSize(), QSize(750, 500));
    const Bitmap before = viewer->Document().Picture();
    viewer->RotateRight();
    EXPECT_EQ(viewer->Document().Picture().Width(), 2000u);
    EXPECT_EQ(viewer->Document().Picture().Height(), 3000u);
    EXPECT_EQ(viewer->ControlSize(), QSize(500, 750));
    EXPECT_DOUBLE_EQ(viewer->View().ViewScale, 0.25);
    viewer->RotateLeft();
    EXPECT_EQ(viewer->ControlSize(), QSize(750, 500));
    EXPECT_EQ(viewer->Document().Picture().ByteSize(), before.ByteSize());
    EXPECT_TRUE(std::equal(before.Data(), before.Data() + before.ByteSize(),
                           viewer->Document().Picture().Data()));
}

TEST_F(ViewerWindowTest, RealTimePreviewSliderAndReload) {
    Open(Colour("c.tif", 300));
    // A 4-bit picture becomes 24 bits of the same look when Real time is switched on.
    Bitmap four(16, 8, PixelFormat::Bit4);
    four.Palette() = {RgbQuad{0, 0, 0, 0}, RgbQuad{200, 100, 50, 0}};
    for (uint32_t x = 0; x < 16; x += 2) four.SetPixelIndex(x, 3, 1);
    viewer->Document().SetPicture(four);
    Control<QCheckBox>(viewer, "CheckBox2")->click();
    EXPECT_TRUE(Control<QCheckBox>(viewer, "CheckBox2")->isChecked());
    EXPECT_EQ(viewer->Document().Picture().Format(), PixelFormat::Bit24);
    EXPECT_EQ(viewer->Document().Picture().PixelColor(2, 3), (RgbQuad{200, 100, 50, 0}));
    EXPECT_EQ(viewer->Document().Image2().Format(), PixelFormat::Bit8);

    // Nothing is computed while the thumb is held; the release computes the preview.
    bool held = true;
    viewer->SetLeftButtonProbe([&held] { return held; });
    Control<QSlider>(viewer, "TrackBar1")->setValue(200);
    EXPECT_EQ(Control<QLineEdit>(viewer, "Edit1")->text(), QStringLiteral("200"));
    EXPECT_EQ(viewer->Document().Picture().Format(), PixelFormat::Bit24);
    held = false;
    QMouseEvent release(QEvent::MouseButtonRelease, QPointF(5, 5),
                        QPointF(Control<QSlider>(viewer, "TrackBar1")->mapToGlobal(QPoint(5, 5))),
                        Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(Control<QSlider>(viewer, "TrackBar1"), &release);
    EXPECT_EQ(viewer->Document().Picture().Format(), PixelFormat::Bit1);
    EXPECT_TRUE(Control<QPushButton>(viewer, "Button10")->isEnabled());
    viewer->ExecuteReduction();
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].text, QStringLiteral("　モノクロ（２値）画像です。　"));

    // A turn while the preview runs turns its source too: the next preview stays turned.
    viewer->RotateRight();
    Control<QSlider>(viewer, "TrackBar1")->setValue(120);
    EXPECT_EQ(viewer->Document().Picture().Width(), 8u);
    EXPECT_EQ(viewer->Document().Picture().Height(), 16u);

    viewer->Button10Click();
    EXPECT_EQ(Control<QSlider>(viewer, "TrackBar1")->value(), 128);
    EXPECT_EQ(Control<QLineEdit>(viewer, "Edit1")->text(), QStringLiteral("128"));
    EXPECT_FALSE(Control<QCheckBox>(viewer, "CheckBox2")->isChecked());
    EXPECT_TRUE(viewer->Document().Image2().Empty());
    EXPECT_FALSE(Control<QPushButton>(viewer, "Button10")->isEnabled());
    EXPECT_EQ(viewer->Document().Picture().Format(), PixelFormat::Bit32);
    EXPECT_EQ(viewer->Document().Picture().Width(), 40u);
}

/// Where the slider's thumb is drawn now, in the slider's pixels.
QRect ThumbRect(const QSlider& s) {
    QStyleOptionSlider o;
    o.initFrom(&s);
    o.subControls = QStyle::SC_All;
    o.orientation = s.orientation();
    o.minimum = s.minimum();
    o.maximum = s.maximum();
    o.sliderPosition = s.sliderPosition();
    o.sliderValue = s.value();
    o.singleStep = s.singleStep();
    o.pageStep = s.pageStep();
    o.tickPosition = s.tickPosition();
    o.tickInterval = s.tickInterval();
    o.upsideDown =
        s.orientation() == Qt::Vertical ? !s.invertedAppearance() : s.invertedAppearance();
    return s.style()->subControlRect(QStyle::CC_Slider, &o, QStyle::SC_SliderHandle, &s);
}

// With Real time on, every finished change of the slider previews, whatever made it. The
// mouse goes through the window, as the window system sends it, so the button is held
// while it is down.
TEST_F(ViewerWindowTest, RealTimePreviewsEveryWayTheSliderMoves) {
    const auto press = [this](QPoint at, bool down) {
        const QPoint w = Control<QSlider>(viewer, "TrackBar1")->mapTo(viewer.get(), at);
        if (down)
            QTest::mousePress(viewer->windowHandle(), Qt::LeftButton, {}, w);
        else
            QTest::mouseRelease(viewer->windowHandle(), Qt::LeftButton, {}, w);
    };
    const struct {
        const char* what;
        std::function<void(QSlider&)> move;
    } gestures[] = {
        {"a click on the track",
         [&](QSlider& s) {
             const QPoint end(ThumbRect(s).center().x(), s.height() - 3);
             press(end, true);
             press(end, false);
         }},
        {"a key", [](QSlider& s) { QTest::keyClick(&s, Qt::Key_PageDown); }},
        {"the wheel over the slider",
         [](QSlider& s) {
             const QPoint at = ThumbRect(s).center();
             QWheelEvent wheel(at, s.mapToGlobal(at), QPoint(), QPoint(0, -120), Qt::NoButton,
                               Qt::NoModifier, Qt::NoScrollPhase, false);
             QApplication::sendEvent(&s, &wheel);
         }},
        {"the thumb let go after a drag",
         [&](QSlider& s) {
             const QPoint from = ThumbRect(s).center();
             press(from, true);
             QTest::mouseMove(viewer->windowHandle(), s.mapTo(viewer.get(), from + QPoint(0, 30)));
             press(from + QPoint(0, 30), false);
         }},
    };
    for (const auto& g : gestures) {
        SCOPED_TRACE(g.what);
        Open(Colour("c.tif", 300));
        viewer->N2Click();
        QTest::mouseClick(Control<QCheckBox>(viewer, "CheckBox2"), Qt::LeftButton);
        ASSERT_TRUE(Control<QCheckBox>(viewer, "CheckBox2")->isChecked());
        Control<QSlider>(viewer, "TrackBar1")->setFocus();
        g.move(*Control<QSlider>(viewer, "TrackBar1"));
        EXPECT_NE(Control<QSlider>(viewer, "TrackBar1")->value(), 128);
        EXPECT_EQ(Control<QLineEdit>(viewer, "Edit1")->text(),
                  QString::number(Control<QSlider>(viewer, "TrackBar1")->value()));
        EXPECT_EQ(viewer->Document().Picture().Format(), PixelFormat::Bit1);
    }
}

TEST_F(ViewerWindowTest, TypedThresholdsGrayAndInkColour) {
    Open(Colour("c.tif", 300));
    // A typed 300 leaves 255 on the slider and makes every pixel black.
    Control<QLineEdit>(viewer, "Edit1")->setText(QStringLiteral("300"));
    EXPECT_EQ(Control<QSlider>(viewer, "TrackBar1")->value(), 255);
    EXPECT_EQ(Control<QLineEdit>(viewer, "Edit1")->text(), QStringLiteral("300"));
    viewer->ExecuteReduction();
    ASSERT_EQ(viewer->Document().Picture().Format(), PixelFormat::Bit1);
    EXPECT_EQ(viewer->Document().Picture().PixelIndex(5, 5), 0);
    EXPECT_EQ(viewer->Document().Picture().PixelIndex(39, 29), 0);

    // A text that is no number is reported, and 実行 comes back.
    viewer->Button10Click();
    Control<QLineEdit>(viewer, "Edit1")->setText(QStringLiteral("abc"));
    EXPECT_THROW(viewer->ExecuteReduction(), Error);
    EXPECT_TRUE(Control<QPushButton>(viewer, "Button9")->isEnabled());
    EXPECT_EQ(viewer->Document().Picture().Format(), PixelFormat::Bit32);

    // The ink colour only for one-bit pictures; a colour changes entry 0 alone.
    viewer->BitBtn3MouseDown(Qt::LeftButton);
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].text, QStringLiteral("モノクロ２値画像のみ使えます。"));
    Control<QLineEdit>(viewer, "Edit1")->setText(QStringLiteral("128"));
    viewer->M1Click();
    ui.colorAnswers.push_back(QColor(255, 0, 0));
    viewer->BitBtn3MouseDown(Qt::LeftButton);
    ASSERT_EQ(viewer->Document().Picture().Palette().size(), 2u);
    EXPECT_EQ(viewer->Document().Picture().Palette()[0], (RgbQuad{0, 0, 255, 0}));
    EXPECT_EQ(viewer->Document().Picture().Palette()[1], (RgbQuad{255, 255, 255, 0}));
    viewer->BitBtn3MouseDown(Qt::RightButton);
    EXPECT_EQ(viewer->Document().Picture().Palette()[0], (RgbQuad{0, 0, 0, 0}));

    // Gray: 8 bits, the threshold controls disabled with it.
    viewer->G1Click();
    EXPECT_EQ(viewer->Document().Picture().Format(), PixelFormat::Bit8);
    EXPECT_FALSE(Control<QSlider>(viewer, "TrackBar1")->isEnabled());
    EXPECT_FALSE(Control<QCheckBox>(viewer, "CheckBox2")->isEnabled());
    viewer->N7Click();
    EXPECT_EQ(viewer->Document().Picture().Format(), PixelFormat::Bit1);
    viewer->N7Click();
    EXPECT_EQ(ui.messages.back().text, QStringLiteral("　モノクロ（２値）画像です。　"));
}

TEST_F(ViewerWindowTest, DespeckleShowsItsProgressAboveTwoThousandRows) {
    Open(Mono400("tall.tif", 8, 2001));
    bool sawProgress = false;
    QString textDuring;
    QTimer::singleShot(0, viewer.get(), [&] {
        sawProgress = Control<QProgressBar>(viewer, "ProgressBar1")->isVisible();
        textDuring = viewer->StatusText();
    });
    viewer->gomitori1Click();
    EXPECT_TRUE(sawProgress);
    EXPECT_EQ(textDuring, QStringLiteral("　ゴミ取り中 ．．． "));
    EXPECT_FALSE(Control<QProgressBar>(viewer, "ProgressBar1")->isVisible());
    EXPECT_EQ(viewer->Document().Picture().Format(), PixelFormat::Bit24);
    EXPECT_TRUE(Control<QRadioButton>(viewer, "RadioButton8")->isChecked());
    EXPECT_TRUE(Control<QPushButton>(viewer, "Button9")->isEnabled());
    EXPECT_TRUE(viewer->StatusText().contains(QStringLiteral("24bit")));

    Open(Mono400("short.tif", 8, 2000));
    bool timerRan = false;
    QTimer::singleShot(0, viewer.get(), [&] {
        timerRan = true;
        sawProgress = Control<QProgressBar>(viewer, "ProgressBar1")->isVisible();
    });
    viewer->gomitori1Click();
    EXPECT_TRUE(timerRan);
    EXPECT_FALSE(sawProgress);
}

TEST_F(ViewerWindowTest, GeometryIsKeptInTheSettingsFile) {
    Open("");
    viewer->move(120, 90);
    viewer->resize(900, 640);
    SetPrintOptions(viewer->AskBeforePrinting(), false);
    viewer->close();
    const std::string ini = test::ReadText(dir.File("vellumo.ini"));
    EXPECT_NE(ini.find("[Fm_WH2]"), std::string::npos) << ini;
    EXPECT_NE(ini.find("Width=900"), std::string::npos) << ini;
    EXPECT_NE(ini.find("Waku=0"), std::string::npos) << ini;
    EXPECT_TRUE(session->HandOffFileName.isEmpty());
    viewer.reset();
    Open("");
    EXPECT_EQ(viewer->size(), QSize(900, 640));
    EXPECT_FALSE(viewer->FrameB4OnA3());
}

TEST_F(ViewerWindowTest, CheckerButtonOpensTheViewerModallyOnTheLastFile) {
    checker->SetViewerOpener([this](Session& s) { OpenViewer(s, &dialog); });
    checker->DropFiles(
        {Q(dir.Write("tatemono1.tif", test::DrawingTiff({}, test::Endian::Little, 40000)))});
    const std::string drawing = Mono400("tatemono2.tif");
    checker->DropFiles({Q(drawing)});
    QString caption;
    bool dialogShown = false;
    // Once the handed-off picture is shown, however long the load takes (a viewer that
    // shows none is closed after a while).
    QTimer watch;
    QElapsedTimer waited;
    waited.start();
    watch.callOnTimeout([&] {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* v = qobject_cast<TForm2*>(w);
                v && v->isVisible() &&
                (!v->Document().Picture().Empty() || waited.elapsed() > 5000)) {
                watch.stop();
                caption = v->windowTitle();
                v->Button14Click();
                dialogShown = dialog.isVisible();
                v->Button1Click();
            }
    });
    watch.start(10);
    checker->Button4Click();
    EXPECT_EQ(caption, QStringLiteral("Pelmora Ｖiew 【 tatemono2.tif】"));
    EXPECT_TRUE(session->HandOffFileName.isEmpty());
    // The settings dialog was shown over the modal viewer, closed with it, and outlives it.
    EXPECT_TRUE(dialogShown);
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(dialog.parentWidget(), nullptr);
}

}  // namespace
}  // namespace vellumo
