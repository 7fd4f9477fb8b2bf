// The viewer window driven through its handlers, with scripted dialogs: loading and its
// messages, the status line and caption, the view commands, and the colour reduction.

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QTimer>
#include <QWheelEvent>
#include <gtest/gtest.h>

#include "app/Startup.h"
#include "app/TAboutBox.h"
#include "checker_ui/TForm1.h"
#include "platform/Error.h"
#include "platform/ImageDecoder.h"
#include "save/TiffWriter.h"
#include "settings/TForm3.h"
#include "support/FileBuilders.h"
#include "support/TempDir.h"
#include "ui/ScriptedUi.h"
#include "ui/ViewerFixture.h"
#include "viewer/CategoryPanelWidget.h"
#include "viewer/ImageControlWidget.h"
#include "viewer/TForm2.h"

namespace vellumo {
namespace {

using test::ColourPicture;
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
    for (CategoryPanel* p : {viewer->CategoryPanel1, viewer->CategoryPanel2,
                             viewer->CategoryPanel3, viewer->CategoryPanel4})
        EXPECT_FALSE(p->isEnabled()) << p->objectName().toStdString();
    EXPECT_TRUE(viewer->CategoryPanel5->isEnabled());
    EXPECT_TRUE(viewer->CategoryPanel5->Expanded());
    for (QMenu* m : {viewer->V1, viewer->N2, viewer->C1}) EXPECT_FALSE(m->menuAction()->isEnabled());
    EXPECT_FALSE(viewer->S1->isEnabled());
    EXPECT_FALSE(viewer->Print->isEnabled());
    EXPECT_FALSE(viewer->Button8->isEnabled());
    EXPECT_TRUE(viewer->Picture.Empty());
    // The view commands do nothing without a picture.
    viewer->FitWhole();
    viewer->DeviceSize();
    viewer->RotateLeft();
    EXPECT_EQ(viewer->ViewScale, 1.0);
    EXPECT_TRUE(ui.messages.empty());
}

TEST_F(ViewerWindowTest, BlackWhiteFileWithAndWithoutTheMonochromeDisplay) {
    const std::string path = Mono400("a.tif");
    Open(path);
    EXPECT_EQ(viewer->StatusText(),
              QStringLiteral("　ImageType：Bitmap（PixelFormat：1bit  Resolution： 400dpi）"));
    EXPECT_EQ(viewer->Picture.Format(), PixelFormat::Bit1);
    EXPECT_EQ(viewer->windowTitle(), QStringLiteral("Pelmora Ｖiew 【 a.tif】"));
    EXPECT_TRUE(viewer->Button8->isEnabled());
    EXPECT_TRUE(viewer->N2->menuAction()->isEnabled());
    EXPECT_FALSE(viewer->Button10->isEnabled());
    EXPECT_TRUE(viewer->BitBtn3->isEnabled());
    EXPECT_EQ(checker->Values.ShownDpi, 400.0f);
    // Fitted into the scroll box.
    EXPECT_LE(viewer->ControlSize().width(), viewer->ScrollBox1->viewport()->width());
    EXPECT_EQ(viewer->ControlSize().width(), int(200 * viewer->ViewScale));

    dialog.CheckBox5->setChecked(false);
    viewer->Button10->setEnabled(true);
    viewer->Button10Click();
    EXPECT_EQ(viewer->StatusText(),
              QStringLiteral("　ImageType：Tiff（PixelFormat：BlackWhite  Resolution：400dpi）"));
    EXPECT_EQ(viewer->Picture.Format(), PixelFormat::Bit32);
    EXPECT_FALSE(viewer->BitBtn3->isEnabled());

    // After a threshold, activation brings back the decoder's names and disables 色.
    viewer->ExecuteReduction();
    EXPECT_EQ(viewer->Picture.Format(), PixelFormat::Bit1);
    EXPECT_TRUE(viewer->BitBtn3->isEnabled());
    EXPECT_TRUE(viewer->Button10->isEnabled());
    viewer->FormActivate();
    EXPECT_EQ(viewer->StatusText(),
              QStringLiteral("　ImageType：Tiff（PixelFormat：BlackWhite  Resolution：400dpi）"));
    EXPECT_FALSE(viewer->BitBtn3->isEnabled());
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
    EXPECT_EQ(viewer->Resolution.DpiX, 300.0f);
    EXPECT_EQ(viewer->windowTitle(), QStringLiteral("Pelmora Ｖiew 【 tall.tif】"));
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
    EXPECT_EQ(viewer->Picture.Width(), 200u);

    // A PDF while Ghostscript cannot be used.
    viewer->DropFiles({Q(dir.Write("plan.pdf", std::string("%PDF-1.4\n")))});
    ASSERT_EQ(ui.messages.size(), 3u);
    EXPECT_EQ(ui.messages[2].text,
              QStringLiteral("PDFは、未対応ファイル形式です。\n利用環境を確認してください。"));

    // A file that cannot be decoded: the decode error, the picture and status stay.
    const std::string broken = dir.Write("broken.tif", test::DrawingTiff({}, test::Endian::Little, 300));
    try {
        viewer->DropFiles({Q(broken)});
        ADD_FAILURE() << "no error";
    } catch (const Error& e) {
        EXPECT_EQ(std::string(e.what()), DecodeErrorText(broken));
    }
    EXPECT_EQ(viewer->Picture.Width(), 200u);
    EXPECT_EQ(viewer->StatusText(), before);
    EXPECT_EQ(viewer->FileName2, Q(broken));

    // Cancelling the open dialog still ends Real time.
    viewer->CheckBox2->setChecked(true);
    viewer->Button5Click();
    EXPECT_EQ(ui.openRequests.size(), 1u);
    EXPECT_TRUE(ui.openRequests[0].filter.startsWith(QStringLiteral("Graphics_files (ALL)|")));
    EXPECT_FALSE(viewer->CheckBox2->isChecked());
    EXPECT_FALSE(viewer->PdfConverted);
}

TEST_F(ViewerWindowTest, WheelZoomStepsLimitsAndScrolling) {
    Open(Mono400("big.tif", 3000, 2000));
    viewer->PointerOverImage = true;
    viewer->ZoomAt(0, 0, 1.0);
    EXPECT_TRUE(viewer->FormMouseWheel(120, Qt::NoModifier, {0, 0}));
    EXPECT_DOUBLE_EQ(viewer->ViewScale, 1.1);
    EXPECT_EQ(viewer->ControlSize(), QSize(3300, 2200));
    viewer->ZoomAt(0, 0, 1.0);
    viewer->FormMouseWheel(-120, Qt::NoModifier, {0, 0});
    EXPECT_DOUBLE_EQ(viewer->ViewScale, 0.9);
    viewer->ZoomAt(0, 0, 3.0);
    viewer->FormMouseWheel(120, Qt::NoModifier, {0, 0});
    EXPECT_NEAR(viewer->ViewScale, 3.3, 1e-12);
    viewer->FormMouseWheel(120, Qt::NoModifier, {0, 0});
    EXPECT_NEAR(viewer->ViewScale, 3.3, 1e-12);
    viewer->ZoomAt(0, 0, 0.1);
    viewer->FormMouseWheel(-120, Qt::NoModifier, {0, 0});
    EXPECT_NEAR(viewer->ViewScale, 0.09, 1e-12);
    viewer->FormMouseWheel(-120, Qt::NoModifier, {0, 0});
    EXPECT_NEAR(viewer->ViewScale, 0.09, 1e-12);

    // Through the window's events: half notches add up to one step.
    viewer->ZoomAt(0, 0, 1.0);
    for (int i = 0; i < 2; ++i) {
        QWheelEvent half(QPointF(5, 5), QPointF(viewer->Image1->mapToGlobal(QPoint(5, 5))),
                         QPoint(), QPoint(0, 60), Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase,
                         false);
        QApplication::sendEvent(viewer->Image1, &half);
    }
    EXPECT_DOUBLE_EQ(viewer->ViewScale, 1.1);

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
    viewer->PointerOverImage = false;
    EXPECT_FALSE(viewer->FormMouseWheel(120, Qt::NoModifier, {0, 0}));
    EXPECT_FALSE(viewer->FormMouseWheelScroll(true, Qt::ShiftModifier));
    EXPECT_DOUBLE_EQ(viewer->ViewScale, 1.0);

    // A drag moves the view by the pointer's way, from the same start point.
    viewer->Image1MouseDown(Qt::LeftButton, Qt::NoModifier, {500, 400});
    viewer->Image1MouseMove({480, 390});
    EXPECT_EQ(viewer->ScrollPosition(), QPoint(30, 20));
    viewer->Image1MouseUp();
    EXPECT_FALSE(viewer->Dragging);
}

TEST_F(ViewerWindowTest, AltClickShowsThePointAndDoublesThenGoesBack) {
    Open(Mono400("big.tif", 3000, 2000));
    viewer->ZoomAt(0, 0, 0.25);
    const QPoint screen = viewer->Image1->mapToGlobal(QPoint(100, 60));
    viewer->Image1MouseDown(Qt::LeftButton, Qt::AltModifier, {100, 60});
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].text, QStringLiteral("デスクトップ上 X:%1,Y:%2\nImage1上で　X:100,Y:60")
                                       .arg(screen.x())
                                       .arg(screen.y()));
    EXPECT_DOUBLE_EQ(viewer->ViewScale, 2.0);
    EXPECT_EQ(viewer->ControlSize(), QSize(6000, 4000));
    EXPECT_TRUE(viewer->Magnified);
    viewer->Image1MouseDown(Qt::LeftButton, Qt::AltModifier, {0, 0});
    EXPECT_EQ(viewer->ControlSize(), QSize(750, 500));
    EXPECT_EQ(viewer->ScrollPosition(), QPoint(0, 0));
    EXPECT_DOUBLE_EQ(viewer->ViewScale, 0.25);
    EXPECT_FALSE(viewer->Magnified);
    EXPECT_FALSE(viewer->Dragging);
}

TEST_F(ViewerWindowTest, MenuOpeningsArrangeTheToolPanels) {
    Open(Colour("c.tif", 300));
    viewer->N2Click();
    EXPECT_TRUE(viewer->CategoryPanel2->Expanded());
    EXPECT_FALSE(viewer->CategoryPanel3->Expanded());
    EXPECT_FALSE(viewer->CategoryPanel5->Expanded());
    viewer->CheckBox2->click();
    EXPECT_TRUE(viewer->CheckBox2->isChecked());
    // Leaving the colour-reduction panel ends Real time.
    viewer->f1Click();
    EXPECT_TRUE(viewer->CategoryPanel5->Expanded());
    EXPECT_FALSE(viewer->CategoryPanel2->Expanded());
    EXPECT_FALSE(viewer->CheckBox2->isChecked());
    EXPECT_TRUE(viewer->Image2.Empty());
    viewer->V1Click();
    EXPECT_TRUE(viewer->CategoryPanel1->Expanded());
    // The column never holds more than it shows without a scroll bar when it can.
    int sum = 0;
    for (CategoryPanel* p : {viewer->CategoryPanel1, viewer->CategoryPanel2, viewer->CategoryPanel3,
                             viewer->CategoryPanel4, viewer->CategoryPanel5})
        sum += p->height();
    EXPECT_LE(sum, viewer->CategoryPanelGroup1->AvailableHeight());
}

TEST_F(ViewerWindowTest, TrueSizeDoubleSizeAndRotation) {
    Open(Mono400("big.tif", 3000, 2000));
    viewer->OverrideScreenDpi(96.0);
    viewer->DeviceSize();
    EXPECT_DOUBLE_EQ(viewer->ViewScale, 0.24);
    viewer->DoubleSize();
    EXPECT_DOUBLE_EQ(viewer->ViewScale, 0.48);
    viewer->PixelSize();
    EXPECT_DOUBLE_EQ(viewer->ViewScale, 1.0);
    // A resolution that reads as 0 counts as 96 dpi.
    viewer->Resolution.DpiX = 0;
    viewer->DoubleSize();
    EXPECT_DOUBLE_EQ(viewer->ViewScale, 2.0);

    viewer->ZoomAt(0, 0, 0.25);
    EXPECT_EQ(viewer->ControlSize(), QSize(750, 500));
    const Bitmap before = viewer->Picture;
    viewer->RotateRight();
    EXPECT_EQ(viewer->Picture.Width(), 2000u);
    EXPECT_EQ(viewer->Picture.Height(), 3000u);
    EXPECT_EQ(viewer->ControlSize(), QSize(500, 750));
    EXPECT_DOUBLE_EQ(viewer->ViewScale, 0.25);
    viewer->RotateLeft();
    EXPECT_EQ(viewer->ControlSize(), QSize(750, 500));
    EXPECT_EQ(viewer->Picture.ByteSize(), before.ByteSize());
    EXPECT_TRUE(std::equal(before.Data(), before.Data() + before.ByteSize(), viewer->Picture.Data()));
}

TEST_F(ViewerWindowTest, RealTimePreviewSliderAndReload) {
    Open(Colour("c.tif", 300));
    // A 4-bit picture becomes 24 bits of the same look when Real time is switched on.
    Bitmap four(16, 8, PixelFormat::Bit4);
    four.Palette() = {RgbQuad{0, 0, 0, 0}, RgbQuad{200, 100, 50, 0}};
    for (uint32_t x = 0; x < 16; x += 2) four.SetPixelIndex(x, 3, 1);
    viewer->Picture = four;
    viewer->PictureChanged();
    viewer->CheckBox2->click();
    EXPECT_TRUE(viewer->CheckBox2->isChecked());
    EXPECT_EQ(viewer->Picture.Format(), PixelFormat::Bit24);
    EXPECT_EQ(viewer->Picture.PixelColor(2, 3), (RgbQuad{200, 100, 50, 0}));
    EXPECT_EQ(viewer->Image2.Format(), PixelFormat::Bit8);

    // Nothing is computed while the thumb is held; the release computes the preview.
    bool held = true;
    viewer->LeftButtonHeld = [&held] { return held; };
    viewer->TrackBar1->setValue(200);
    EXPECT_EQ(viewer->Edit1->text(), QStringLiteral("200"));
    EXPECT_EQ(viewer->Picture.Format(), PixelFormat::Bit24);
    held = false;
    emit viewer->TrackBar1->sliderReleased();
    EXPECT_EQ(viewer->Picture.Format(), PixelFormat::Bit1);
    EXPECT_TRUE(viewer->Button10->isEnabled());
    viewer->ExecuteReduction();
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].text, QStringLiteral("　モノクロ（２値）画像です。　"));

    // A turn while the preview runs turns its source too: the next preview stays turned.
    viewer->RotateRight();
    viewer->TrackBar1->setValue(120);
    EXPECT_EQ(viewer->Picture.Width(), 8u);
    EXPECT_EQ(viewer->Picture.Height(), 16u);

    viewer->Button10Click();
    EXPECT_EQ(viewer->TrackBar1->value(), 128);
    EXPECT_EQ(viewer->Edit1->text(), QStringLiteral("128"));
    EXPECT_FALSE(viewer->CheckBox2->isChecked());
    EXPECT_TRUE(viewer->Image2.Empty());
    EXPECT_FALSE(viewer->Button10->isEnabled());
    EXPECT_EQ(viewer->Picture.Format(), PixelFormat::Bit32);
    EXPECT_EQ(viewer->Picture.Width(), 40u);
}

TEST_F(ViewerWindowTest, TypedThresholdsGrayAndInkColour) {
    Open(Colour("c.tif", 300));
    // A typed 300 leaves 255 on the slider and makes every pixel black.
    viewer->Edit1->setText(QStringLiteral("300"));
    EXPECT_EQ(viewer->TrackBar1->value(), 255);
    EXPECT_EQ(viewer->Edit1->text(), QStringLiteral("300"));
    viewer->ExecuteReduction();
    ASSERT_EQ(viewer->Picture.Format(), PixelFormat::Bit1);
    EXPECT_EQ(viewer->Picture.PixelIndex(5, 5), 0);
    EXPECT_EQ(viewer->Picture.PixelIndex(39, 29), 0);

    // A text that is no number is reported, and 実行 comes back.
    viewer->Button10Click();
    viewer->Edit1->setText(QStringLiteral("abc"));
    EXPECT_THROW(viewer->ExecuteReduction(), Error);
    EXPECT_TRUE(viewer->Button9->isEnabled());
    EXPECT_EQ(viewer->Picture.Format(), PixelFormat::Bit32);

    // The ink colour only for one-bit pictures; a colour changes entry 0 alone.
    viewer->BitBtn3MouseDown(Qt::LeftButton);
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].text, QStringLiteral("モノクロ２値画像のみ使えます。"));
    viewer->Edit1->setText(QStringLiteral("128"));
    viewer->M1Click();
    ui.colorAnswers.push_back(QColor(255, 0, 0));
    viewer->BitBtn3MouseDown(Qt::LeftButton);
    ASSERT_EQ(viewer->Picture.Palette().size(), 2u);
    EXPECT_EQ(viewer->Picture.Palette()[0], (RgbQuad{0, 0, 255, 0}));
    EXPECT_EQ(viewer->Picture.Palette()[1], (RgbQuad{255, 255, 255, 0}));
    viewer->BitBtn3MouseDown(Qt::RightButton);
    EXPECT_EQ(viewer->Picture.Palette()[0], (RgbQuad{0, 0, 0, 0}));

    // Gray: 8 bits, the threshold controls disabled with it.
    viewer->G1Click();
    EXPECT_EQ(viewer->Picture.Format(), PixelFormat::Bit8);
    EXPECT_FALSE(viewer->TrackBar1->isEnabled());
    EXPECT_FALSE(viewer->CheckBox2->isEnabled());
    viewer->N7Click();
    EXPECT_EQ(viewer->Picture.Format(), PixelFormat::Bit1);
    viewer->N7Click();
    EXPECT_EQ(ui.messages.back().text, QStringLiteral("　モノクロ（２値）画像です。　"));
}

TEST_F(ViewerWindowTest, DespeckleShowsItsProgressAboveTwoThousandRows) {
    Open(Mono400("tall.tif", 8, 2001));
    bool sawProgress = false;
    QString textDuring;
    QTimer::singleShot(0, viewer.get(), [&] {
        sawProgress = viewer->ProgressBar1->isVisible();
        textDuring = viewer->StatusText();
    });
    viewer->gomitori1Click();
    EXPECT_TRUE(sawProgress);
    EXPECT_EQ(textDuring, QStringLiteral("　ゴミ取り中 ．．． "));
    EXPECT_FALSE(viewer->ProgressBar1->isVisible());
    EXPECT_EQ(viewer->Picture.Format(), PixelFormat::Bit24);
    EXPECT_TRUE(viewer->RadioButton8->isChecked());
    EXPECT_TRUE(viewer->Button9->isEnabled());
    EXPECT_TRUE(viewer->StatusText().contains(QStringLiteral("24bit")));

    Open(Mono400("short.tif", 8, 2000));
    bool timerRan = false;
    QTimer::singleShot(0, viewer.get(), [&] {
        timerRan = true;
        sawProgress = viewer->ProgressBar1->isVisible();
    });
    viewer->gomitori1Click();
    EXPECT_TRUE(timerRan);
    EXPECT_FALSE(sawProgress);
}

TEST_F(ViewerWindowTest, GeometryIsKeptInTheSettingsFile) {
    Open("");
    viewer->move(120, 90);
    viewer->resize(900, 640);
    viewer->Waku = false;
    viewer->close();
    const std::string ini = test::ReadText(dir.File("vellumo.ini"));
    EXPECT_NE(ini.find("[Fm_WH2]"), std::string::npos) << ini;
    EXPECT_NE(ini.find("Width=900"), std::string::npos) << ini;
    EXPECT_NE(ini.find("Waku=0"), std::string::npos) << ini;
    EXPECT_TRUE(checker->HandOffFileName.isEmpty());
    viewer.reset();
    Open("");
    EXPECT_EQ(viewer->size(), QSize(900, 640));
    EXPECT_FALSE(viewer->Waku);
}

TEST_F(ViewerWindowTest, CheckerButtonOpensTheViewerModallyOnTheLastFile) {
    checker->SetViewerOpener([this](TForm1& f) { OpenViewer(f, &dialog); });
    checker->DropFiles({Q(dir.Write("tatemono1.tif", test::DrawingTiff({}, test::Endian::Little, 40000)))});
    const std::string drawing = Mono400("tatemono2.tif");
    checker->DropFiles({Q(drawing)});
    QString caption;
    bool dialogShown = false;
    // Once the viewer has loaded its file (on a busy machine that may take a while), or
    // after five seconds whatever it shows, so that the modal loop always ends.
    QTimer poll;
    int polls = 0;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        ++polls;
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* v = qobject_cast<TForm2*>(w);
                v && v->isVisible() && (v->windowTitle().contains(QStringLiteral("【")) || polls > 250)) {
                poll.stop();
                caption = v->windowTitle();
                v->Button14Click();
                dialogShown = dialog.isVisible();
                v->Button1Click();
            }
    });
    poll.start(20);
    checker->Button4Click();
    EXPECT_EQ(caption, QStringLiteral("Pelmora Ｖiew 【 tatemono2.tif】"));
    EXPECT_TRUE(checker->HandOffFileName.isEmpty());
    // The settings dialog was shown over the modal viewer, closed with it, and outlives it.
    EXPECT_TRUE(dialogShown);
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(dialog.parentWidget(), nullptr);
}

}  // namespace
}  // namespace vellumo
