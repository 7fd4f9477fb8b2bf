// The viewer's crop panel in the real window: the frame started, cancelled and set from its
// popup menu, moved and resized through the tracker with mouse events delivered as the
// window system delivers them (grabs included), kept over its pixels while zooming, and cut
// out into the picture and "Tmp.png".

#include <QtTest/qtestspontaneevent.h>
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QCursor>
#include <QFrame>
#include <QMenu>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QSlider>
#include <QTest>
#include <QWheelEvent>
#include <QWindow>
#include <filesystem>

#include "crop/CropFrame.h"
#include "platform/ImageDecoder.h"
#include "platform/ResolutionReader.h"
#include "save/TiffWriter.h"
#include "support/TempDir.h"
#include "ui/Controls.h"
#include "ui/ScriptedUi.h"
#include "ui/ViewerFixture.h"
#include "ui/checker/TForm1.h"
#include "ui/settings/TForm3.h"
#include "ui/viewer/CategoryPanelWidget.h"
#include "ui/viewer/FrameTrackerWidget.h"
#include "ui/viewer/ScrollContentWidget.h"
#include "ui/viewer/TForm2.h"

namespace vellumo {
namespace {

using test::ColourPicture;
using test::Control;
using test::Q;
using test::ScriptedUi;
using test::TempDir;

QRect Bounds(const FrameBounds& b) { return QRect(b.left, b.top, b.width, b.height); }

class CropWindowTest : public test::ViewerFixture {
  protected:
    std::string Colour(const std::string& name, uint32_t w, uint32_t h, double dpi = 400) {
        const std::string path = dir.File(name);
        WriteRgbTiff(ColourPicture(w, h), path, TiffCompression::Lzw, dpi);
        return path;
    }

    /// A 600 × 400 picture at 400 dpi shown at scale 1, unscrolled, with the frame started
    /// at `r` (picture pixels, here the same as the scroll box's pixels).
    void OpenWithFrame(CropRect r) {
        Open(Colour("c.tif", 600, 400));
        viewer->ZoomAt(0, 0, 1.0);
        viewer->SetScrollPosition({0, 0});
        viewer->Button11Click();
        viewer->Document().SetCropRect(r);
        viewer->PlaceCropFrame();
    }

    /// A mouse event at `pos` of `w`, delivered through the window as the window system
    /// delivers it, so mouse grabs decide who gets it; then the cursor warps it caused.
    void Mouse(QTest::MouseAction action, QWidget* w, QPoint pos,
               Qt::MouseButton button = Qt::LeftButton, Qt::KeyboardModifiers mods = {}) {
        QWindow* window = viewer->windowHandle();
        QTest::mouseEvent(action, window, button, mods, window->mapFromGlobal(w->mapToGlobal(pos)));
        QApplication::processEvents();
    }

    QRect Frame() const { return Control<QFrame>(viewer, "Shape1")->geometry(); }
};

TEST_F(CropWindowTest, StartCancelAndThePanelsEvents) {
    Open(Colour("wide.tif", 3000, 2000));
    QStringList popup;
    for (const QAction* a : Control<QMenu>(viewer, "PopupMenu1")->actions())
        popup << (a->isSeparator() ? QString() : a->text());
    EXPECT_EQ(popup,
              (QStringList{QStringLiteral("L版 127 x 89 mm"), QStringLiteral("B６ 182 x128 mm"),
                           QStringLiteral("A4 210×297mm"), QStringLiteral("縦横比   4：3"),
                           QStringLiteral("縦横比 16：9"), QStringLiteral("範囲縮小   80%"),
                           QStringLiteral("範囲拡大 120%"), QString(), QStringLiteral("🔄 縦横変更"),
                           QString(), QStringLiteral("〓切出実行〓"), QStringLiteral("✖ Cancel")}));
    for (QPushButton* b :
         {Control<QPushButton>(viewer, "Button4"), Control<QPushButton>(viewer, "Button12"),
          Control<QPushButton>(viewer, "Button6")})
        EXPECT_FALSE(b->isEnabled()) << b->objectName().toStdString();

    // The picture's popup expands the panel and starts the frame, only while it is hidden.
    Control<QAction>(viewer, "Img_Ccut")->trigger();
    EXPECT_TRUE(Control<CategoryPanel>(viewer, "CategoryPanel3")->Expanded());
    EXPECT_TRUE(viewer->View().CropMode);
    EXPECT_EQ(viewer->Document().CropRect(), (CropRect{834, 500, 2167, 1500}));
    const QPoint scroll = viewer->ScrollPosition();
    EXPECT_EQ(Frame(), Bounds(PlaceCropFrame(viewer->Document().CropRect(),
                                             viewer->View().ViewScale, scroll.x(), scroll.y())));
    EXPECT_TRUE(Control<QPushButton>(viewer, "Button4")->isEnabled());
    EXPECT_TRUE(Control<QPushButton>(viewer, "Button12")->isEnabled());
    viewer->Document().SetCropRect({1, 2, 3, 4});
    Control<QAction>(viewer, "Img_Ccut")->trigger();
    EXPECT_EQ(viewer->Document().CropRect(), (CropRect{1, 2, 3, 4}));

    viewer->Button4Click();
    EXPECT_FALSE(viewer->View().CropMode);
    EXPECT_TRUE(Control<QFrame>(viewer, "Shape1")->isHidden());
    EXPECT_FALSE(Control<QPushButton>(viewer, "Button4")->isEnabled());
    EXPECT_FALSE(Control<QPushButton>(viewer, "Button12")->isEnabled());

    // The popup's cancel leaves the buttons enabled; they do nothing until the next start.
    viewer->Button11Click();
    Control<QAction>(viewer, "Cancel2")->trigger();
    EXPECT_FALSE(viewer->View().CropMode);
    EXPECT_TRUE(Control<QFrame>(viewer, "Shape1")->isHidden());
    viewer->Button12Click();
    viewer->Button4Click();
    EXPECT_EQ(viewer->Document().Picture().Width(), 3000u);
    EXPECT_TRUE(Control<QPushButton>(viewer, "Button4")->isEnabled());
    EXPECT_TRUE(Control<QPushButton>(viewer, "Button12")->isEnabled());
    EXPECT_TRUE(ui.messages.empty());

    // Collapsing the print panel ends crop mode.
    viewer->Button11Click();
    viewer->ExpandPanel(Control<CategoryPanel>(viewer, "CategoryPanel4"));
    viewer->CollapsePanel(Control<CategoryPanel>(viewer, "CategoryPanel4"));
    EXPECT_FALSE(viewer->View().CropMode);
    EXPECT_TRUE(Control<QFrame>(viewer, "Shape1")->isHidden());
}

TEST_F(CropWindowTest, PresetsFollowTheResolutionAndMayReachBeyondThePicture) {
    OpenWithFrame({100, 100, 200, 200});
    Control<QAction>(viewer, "L6w")->trigger();
    // 127 × 89 mm at 400 dpi around the centre (150, 150), in picture pixels too.
    EXPECT_EQ(Frame(), QRect(150 - 1000, 150 - 701, 2000, 1402));
    EXPECT_EQ(viewer->Document().CropRect(), (CropRect{-850, -551, 1150, 851}));
    // The part beyond the picture's right and bottom edges can be scrolled to; the cancel
    // gives the scroll range back to the picture.
    EXPECT_EQ(Control<ScrollContentWidget>(viewer, "ScrollContent")->size(), QSize(1150, 851));
    EXPECT_GT(Control<QScrollArea>(viewer, "ScrollBox1")->horizontalScrollBar()->maximum(), 0);
    Control<QAction>(viewer, "Cancel2")->trigger();
    EXPECT_EQ(Control<ScrollContentWidget>(viewer, "ScrollContent")->size(), QSize(600, 400));
}

TEST_F(CropWindowTest, PressOnTheFrameMovesItAndShiftLocksTheAxis) {
    OpenWithFrame({100, 100, 300, 200});
    const QPoint start = Frame().center();
    QWidget* content = Control<ScrollContentWidget>(viewer, "ScrollContent");
    // The press that attaches the tracker moves the frame; the frame stays until release.
    Mouse(QTest::MousePress, content, start);
    FrameTracker* t = Control<vellumo::FrameTracker>(viewer, "FrameTracker");
    ASSERT_EQ(t->Target(), Control<QFrame>(viewer, "Shape1"));
    EXPECT_EQ(t->State(), FrameTracker::DragState::Move);
    EXPECT_TRUE(viewer->View().PointerOverImage);
    Mouse(QTest::MouseMove, content, start + QPoint(30, 20));
    EXPECT_EQ(t->Outline()->geometry(), QRect(130, 120, 200, 100));
    EXPECT_EQ(Frame(), QRect(100, 100, 200, 100));
    ASSERT_NE(t->FixedOutline(), nullptr);
    EXPECT_EQ(t->FixedOutline()->geometry(), QRect(100, 100, 200, 100));
    Mouse(QTest::MouseRelease, content, start + QPoint(30, 20));
    EXPECT_EQ(Frame(), QRect(130, 120, 200, 100));
    EXPECT_EQ(viewer->Document().CropRect(), (CropRect{130, 120, 330, 220}));
    EXPECT_EQ(t->FixedOutline(), nullptr);
    EXPECT_TRUE(t->Handle(0)->isVisible());
    EXPECT_FALSE(t->Handle(1)->isVisible());
    EXPECT_EQ(t->Handle(4)->geometry(), QRect(326, 216, 8, 8));

    for (auto [first, lock, moved] : {std::tuple{QPoint(3, 5), AxisLock::Vertical, QPoint(0, 15)},
                                      {QPoint(5, 5), AxisLock::Horizontal, QPoint(45, 0)}}) {
        SCOPED_TRACE(int(lock));
        const QRect before = Frame();
        const QPoint p = before.center();
        Mouse(QTest::MousePress, content, p);
        Mouse(QTest::MouseMove, content, p + first, Qt::NoButton, Qt::ShiftModifier);
        EXPECT_EQ(t->Lock(), lock);
        Mouse(QTest::MouseMove, content, p + QPoint(45, 15), Qt::NoButton, Qt::ShiftModifier);
        Mouse(QTest::MouseRelease, content, p + QPoint(45, 15), Qt::LeftButton, Qt::ShiftModifier);
        EXPECT_EQ(Frame(), before.translated(moved));
        EXPECT_EQ(t->Lock(), AxisLock::None);
    }

    // Locked, a pointer that leaves the outline comes back to its centre, and the outline
    // goes on from there without a jump.
    {
        const QRect before = Frame();
        const QPoint p = before.topLeft() + QPoint(20, 20);
        Mouse(QTest::MousePress, content, p);
        Mouse(QTest::MouseMove, content, p + QPoint(5, 5), Qt::NoButton, Qt::ShiftModifier);
        Mouse(QTest::MouseMove, content, p + QPoint(5, 150), Qt::NoButton, Qt::ShiftModifier);
        const QPoint centre = t->Outline()->geometry().topLeft() + QPoint(100, 50);
        EXPECT_EQ(content->mapFromGlobal(QCursor::pos()), centre);
        Mouse(QTest::MouseMove, content, centre + QPoint(10, 0), Qt::NoButton, Qt::ShiftModifier);
        Mouse(QTest::MouseRelease, content, centre + QPoint(10, 0), Qt::LeftButton,
              Qt::ShiftModifier);
        EXPECT_EQ(Frame(), before.translated(15, 0));
    }

    // While a move lasts the cursor stays inside the scroll box.
    const QRect box(Control<QScrollArea>(viewer, "ScrollBox1")->mapToGlobal(QPoint(0, 0)),
                    Control<QScrollArea>(viewer, "ScrollBox1")->size());
    const QPoint p = Frame().center();
    Mouse(QTest::MousePress, content, p);
    ASSERT_TRUE(t->Confinement());
    EXPECT_EQ(*t->Confinement(), box);
    const QPoint outside = content->mapFromGlobal(QPoint(box.right() + 40, box.top() + 50));
    Mouse(QTest::MouseMove, content, outside);
    EXPECT_EQ(QCursor::pos(), QPoint(box.right(), box.top() + 50));
    EXPECT_EQ(t->Outline()->geometry().center().x(),
              content->mapFromGlobal(QPoint(box.right(), 0)).x());
    Mouse(QTest::MouseRelease, content, content->mapFromGlobal(QCursor::pos()));
    EXPECT_FALSE(t->Confinement());

    // Leaving the scroll box detaches the tracker.
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(Control<QScrollArea>(viewer, "ScrollBox1"), &leave);
    EXPECT_EQ(t->Target(), nullptr);
    EXPECT_EQ(t->Outline(), nullptr);
}

TEST_F(CropWindowTest, CornerResizeKeepsTheRatioWithShiftAndTurnsOver) {
    OpenWithFrame({100, 100, 300, 200});
    QWidget* content = Control<ScrollContentWidget>(viewer, "ScrollContent");
    FrameTracker* t = Control<vellumo::FrameTracker>(viewer, "FrameTracker");
    auto attach = [&] {
        Mouse(QTest::MousePress, content, Frame().center());
        Mouse(QTest::MouseRelease, content, Frame().center());
        ASSERT_EQ(t->Target(), Control<QFrame>(viewer, "Shape1"));
    };
    attach();
    QWidget* handle = t->Handle(4);
    ASSERT_TRUE(handle);
    EXPECT_EQ(handle->geometry(), QRect(296, 196, 8, 8));
    const QPoint corner(300, 200);
    Mouse(QTest::MousePress, handle, {4, 4});
    EXPECT_EQ(t->State(), FrameTracker::DragState::Resize);
    Mouse(QTest::MouseMove, content, corner + QPoint(50, 0), Qt::NoButton, Qt::ShiftModifier);
    EXPECT_EQ(t->OutlineBounds(), (FrameBounds{100, 100, 250, 125}));
    // The corner did not follow the pointer down: the pointer went to the corner.
    EXPECT_EQ(content->mapFromGlobal(QCursor::pos()), QPoint(350, 225));
    EXPECT_EQ(Frame(), QRect(100, 100, 200, 100));  // until the release
    Mouse(QTest::MouseRelease, content, {350, 225}, Qt::LeftButton, Qt::ShiftModifier);
    EXPECT_EQ(Frame(), QRect(100, 100, 250, 125));
    EXPECT_EQ(viewer->Document().CropRect(), (CropRect{100, 100, 350, 225}));

    // Past the left edge the frame turns over and extends to the left of it.
    attach();
    Mouse(QTest::MousePress, t->Handle(4), {4, 4});
    Mouse(QTest::MouseMove, content, {350 - 300, 225});
    EXPECT_EQ(t->OutlineBounds(), (FrameBounds{100, 100, -50, 125}));
    EXPECT_EQ(t->Outline()->geometry(), QRect(50, 100, 50, 125));
    EXPECT_EQ(t->Handle(4)->cursor().shape(), Qt::SizeBDiagCursor);
    Mouse(QTest::MouseRelease, content, {50, 225});
    EXPECT_EQ(Frame(), QRect(50, 100, 50, 125));

    // Onto the opposite corner exactly: released 1 × 1, never 0.
    attach();
    Mouse(QTest::MousePress, t->Handle(4), {4, 4});
    Mouse(QTest::MouseMove, content, {50, 100});
    Mouse(QTest::MouseRelease, content, {50, 100});
    EXPECT_EQ(Frame(), QRect(50, 100, 1, 1));
    EXPECT_EQ(viewer->Document().CropRect(), (CropRect{50, 100, 51, 101}));
}

/// The cursor the window shows now: the application's override, else the window's own.
Qt::CursorShape ShownCursor(QWidget* window) {
    if (const QCursor* c = QGuiApplication::overrideCursor()) return c->shape();
    return window->windowHandle()->cursor().shape();
}

// The move and resize cursors show from the press to the release, also on the first drag,
// whose press is the frame's, and while the pointer is off the handle it took.
TEST_F(CropWindowTest, DragCursorsFromPressToRelease) {
    struct Case {
        const char* what;
        bool attachFirst;
        int handle;  // -1: the frame itself
        QPoint step;
        Qt::CursorShape pressed, moved;
    };
    const auto all = Qt::SizeAllCursor, nwse = Qt::SizeFDiagCursor, nesw = Qt::SizeBDiagCursor;
    const Case cases[] = {
        {"the first drag of the frame", false, -1, {30, 20}, all, all},
        {"a later move", true, -1, {30, 20}, all, all},
        {"a resize at the bottom right", true, 4, {40, 30}, nwse, nwse},
        {"a resize at the top right", true, 2, {40, -30}, nesw, nesw},
        {"a resize turned over", true, 4, {-260, 30}, nwse, nesw},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        OpenWithFrame({100, 100, 300, 200});
        QWidget* content = Control<ScrollContentWidget>(viewer, "ScrollContent");
        FrameTracker* t = Control<vellumo::FrameTracker>(viewer, "FrameTracker");
        if (c.attachFirst) {
            Mouse(QTest::MousePress, content, Frame().center());
            Mouse(QTest::MouseRelease, content, Frame().center());
        }
        QPoint from = Frame().center();
        if (c.handle >= 0) from = t->Handle(c.handle)->geometry().center();
        Mouse(QTest::MousePress, content, from);
        EXPECT_EQ(ShownCursor(viewer.get()), c.pressed);
        Mouse(QTest::MouseMove, content, from + c.step, Qt::NoButton);
        EXPECT_EQ(ShownCursor(viewer.get()), c.moved);
        Mouse(QTest::MouseRelease, content, from + c.step);
        EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
    }
}

TEST_F(CropWindowTest, RightPressOpensTheFramesPopupAtTheCursor) {
    OpenWithFrame({100, 100, 300, 200});
    const QPoint at = Frame().center();
    Mouse(QTest::MousePress, Control<ScrollContentWidget>(viewer, "ScrollContent"), at,
          Qt::RightButton);
    EXPECT_TRUE(Control<QMenu>(viewer, "PopupMenu1")->isVisible());
    EXPECT_EQ(Control<QMenu>(viewer, "PopupMenu1")->pos(),
              Control<ScrollContentWidget>(viewer, "ScrollContent")->mapToGlobal(at));
    EXPECT_EQ(Control<vellumo::FrameTracker>(viewer, "FrameTracker")->State(),
              FrameTracker::DragState::None);
    Control<QMenu>(viewer, "PopupMenu1")->hide();
    Mouse(QTest::MouseRelease, Control<ScrollContentWidget>(viewer, "ScrollContent"), at,
          Qt::RightButton);
    // A preset from the menu detaches the tracker; the next press attaches it again.
    Control<QAction>(viewer, "Hiritu16_9")->trigger();
    EXPECT_EQ(Control<vellumo::FrameTracker>(viewer, "FrameTracker")->Target(), nullptr);
    EXPECT_EQ(Frame(), QRect(100, 94, 200, 112));  // Round(112.5), re-centred by Round(−6)
}

TEST_F(CropWindowTest, ZoomCommandsKeepTheFrameOnItsPixels) {
    Open(Colour("wide.tif", 3000, 2000));
    viewer->OverrideScreenDpi(96.0);
    viewer->ZoomAt(0, 0, 1.0);
    viewer->Button11Click();
    viewer->Document().SetCropRect({100, 100, 400, 300});
    viewer->PlaceCropFrame();
    const CropRect rect = viewer->Document().CropRect();
    auto onItsPixels = [&](const char* step) {
        SCOPED_TRACE(step);
        const QPoint scroll = viewer->ScrollPosition();
        const CropRect shown =
            ReadCropFrame({Frame().x() + Control<ScrollContentWidget>(viewer, "ScrollContent")->x(),
                           Frame().y() + Control<ScrollContentWidget>(viewer, "ScrollContent")->y(),
                           Frame().width(), Frame().height()},
                          viewer->View().ViewScale, scroll.x(), scroll.y());
        const double slack = 1.0 / viewer->View().ViewScale;
        EXPECT_NEAR(shown.left, rect.left, slack);
        EXPECT_NEAR(shown.top, rect.top, slack);
        EXPECT_NEAR(shown.right, rect.right, slack);
        EXPECT_NEAR(shown.bottom, rect.bottom, slack);
        EXPECT_EQ(viewer->Document().CropRect(), rect);
    };
    // The wheel over the frame: attached, then zoomed about the pointer, which detaches.
    Mouse(QTest::MousePress, Control<ScrollContentWidget>(viewer, "ScrollContent"),
          Frame().topLeft() + QPoint(10, 10));
    Mouse(QTest::MouseRelease, Control<ScrollContentWidget>(viewer, "ScrollContent"),
          Frame().topLeft() + QPoint(10, 10));
    ASSERT_EQ(Control<vellumo::FrameTracker>(viewer, "FrameTracker")->Target(),
              Control<QFrame>(viewer, "Shape1"));
    QEvent enter(QEvent::Enter);
    QApplication::sendEvent(Control<QFrame>(viewer, "Shape1"), &enter);
    EXPECT_TRUE(viewer->View().PointerOverImage);
    QWheelEvent wheel(
        QPointF(5, 5), QPointF(Control<QFrame>(viewer, "Shape1")->mapToGlobal(QPoint(5, 5))),
        QPoint(), QPoint(0, 120), Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    // As the window system sends it: passed on from the frame to the scroll box.
    QSpontaneKeyEvent::setSpontaneous(&wheel);
    QApplication::instance()->notify(Control<QFrame>(viewer, "Shape1"), &wheel);
    EXPECT_DOUBLE_EQ(viewer->View().ViewScale, 1.1);
    EXPECT_EQ(Control<vellumo::FrameTracker>(viewer, "FrameTracker")->Target(), nullptr);
    onItsPixels("wheel");
    // A zoom in the middle of a move detaches the tracker; the rest of the drag is lost.
    const QPoint grip = Frame().topLeft() + QPoint(10, 10);
    Mouse(QTest::MousePress, Control<ScrollContentWidget>(viewer, "ScrollContent"), grip);
    ASSERT_EQ(Control<vellumo::FrameTracker>(viewer, "FrameTracker")->State(),
              FrameTracker::DragState::Move);
    QWheelEvent back(
        QPointF(5, 5), QPointF(Control<QFrame>(viewer, "Shape1")->mapToGlobal(QPoint(5, 5))),
        QPoint(), QPoint(0, -120), Qt::LeftButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QSpontaneKeyEvent::setSpontaneous(&back);
    QApplication::instance()->notify(Control<QScrollArea>(viewer, "ScrollBox1")->viewport(), &back);
    EXPECT_EQ(Control<vellumo::FrameTracker>(viewer, "FrameTracker")->Target(), nullptr);
    Mouse(QTest::MouseMove, Control<ScrollContentWidget>(viewer, "ScrollContent"),
          grip + QPoint(40, 30));
    Mouse(QTest::MouseRelease, Control<ScrollContentWidget>(viewer, "ScrollContent"),
          grip + QPoint(40, 30));
    EXPECT_EQ(Control<vellumo::FrameTracker>(viewer, "FrameTracker")->State(),
              FrameTracker::DragState::None);
    onItsPixels("wheel during a move");
    viewer->DeviceSize();
    onItsPixels("device size");
    viewer->FitWhole();
    onItsPixels("fit");
    EXPECT_EQ(Frame(), Bounds(PlaceCropFrame(rect, viewer->View().ViewScale, 0, 0)));
}

TEST_F(CropWindowTest, CutOutReplacesThePictureAndWritesTmpPngAt400Dpi) {
    OpenWithFrame({100, 50, 300, 150});
    const Bitmap before = viewer->Document().Picture();
    viewer->Button12Click();
    EXPECT_EQ(viewer->Document().Picture().Width(), 200u);
    EXPECT_EQ(viewer->Document().Picture().Height(), 100u);
    EXPECT_EQ(viewer->Document().Picture().PixelColor(0, 0), before.PixelColor(100, 50));
    EXPECT_EQ(viewer->Document().Picture().PixelColor(199, 99), before.PixelColor(299, 149));
    // Fitted, out of crop mode, and the buttons as after every cut-out.
    const QSize client = Control<QScrollArea>(viewer, "ScrollBox1")->viewport()->size();
    EXPECT_DOUBLE_EQ(viewer->View().ViewScale,
                     std::min(client.width() / 200.0, client.height() / 100.0));
    EXPECT_EQ(viewer->ControlSize(),
              QSize(int(200 * viewer->View().ViewScale), int(100 * viewer->View().ViewScale)));
    EXPECT_FALSE(viewer->View().CropMode);
    EXPECT_TRUE(Control<QFrame>(viewer, "Shape1")->isHidden());
    EXPECT_FALSE(Control<QPushButton>(viewer, "Button4")->isEnabled());
    EXPECT_FALSE(Control<QPushButton>(viewer, "Button12")->isEnabled());
    EXPECT_TRUE(Control<QPushButton>(viewer, "Button6")->isEnabled());
    EXPECT_TRUE(viewer->StatusText().contains(QStringLiteral("Bitmap")))
        << viewer->StatusText().toStdString();
    viewer->WaitForPictureWrite();
    EXPECT_TRUE(ui.messages.empty());
    const std::string tmp = dir.File("Tmp.png");
    const FileResolution dpi = ReadFileResolution(tmp);
    EXPECT_NEAR(dpi.dpiX, 400.0f, 0.1f);
    EXPECT_NEAR(dpi.dpiY, 400.0f, 0.1f);
    const DecodedImage png = DecodeImage(tmp);
    ASSERT_EQ(png.picture.Width(), 200u);
    ASSERT_EQ(png.picture.Height(), 100u);
    EXPECT_EQ(png.picture.PixelColor(7, 3), viewer->Document().Picture().PixelColor(7, 3));

    // A frame reaching beyond the picture: white there.
    viewer->ZoomAt(0, 0, 1.0);
    viewer->SetScrollPosition({0, 0});
    viewer->Button11Click();
    viewer->Document().SetCropRect({-10, -10, 20, 20});
    viewer->PlaceCropFrame();
    const Bitmap small = viewer->Document().Picture();
    viewer->Button12Click();
    ASSERT_EQ(viewer->Document().Picture().Width(), 30u);
    EXPECT_EQ(viewer->Document().Picture().PixelColor(0, 0), (RgbQuad{255, 255, 255, 255}));
    EXPECT_EQ(viewer->Document().Picture().PixelColor(10, 10), small.PixelColor(0, 0));

    // The reload for the crop side goes back to the file and disables itself.
    viewer->Button6Click();
    EXPECT_EQ(viewer->Document().Picture().Width(), 600u);
    EXPECT_FALSE(Control<QPushButton>(viewer, "Button6")->isEnabled());
    EXPECT_FALSE(viewer->View().CropMode);

    // Real time previews from a copy of the picture before the cut-out: it ends with it, so
    // the next slider move cannot bring the whole picture back.
    Control<QCheckBox>(viewer, "CheckBox2")->click();
    ASSERT_FALSE(viewer->Document().Image2().Empty());
    viewer->ZoomAt(0, 0, 1.0);
    viewer->Button11Click();
    viewer->Button12Click();
    EXPECT_FALSE(Control<QCheckBox>(viewer, "CheckBox2")->isChecked());
    EXPECT_TRUE(viewer->Document().Image2().Empty());
    Control<QSlider>(viewer, "TrackBar1")->setValue(100);
    EXPECT_EQ(viewer->Document().Picture().Width(), 267u);
}

TEST_F(CropWindowTest, RefusedAndFailedCutOutsSayTheyFailed) {
    // A frame below one picture pixel: refused before the picture changes.
    OpenWithFrame({0, 0, 2, 2});
    viewer->ZoomAt(0, 0, 0.1);
    viewer->PlaceCropFrame();
    viewer->Button12Click();
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].text, QStringLiteral("枠座標切出失敗"));
    EXPECT_EQ(viewer->Document().Picture().Width(), 600u);
    EXPECT_FALSE(viewer->View().CropMode);
    EXPECT_TRUE(Control<QPushButton>(viewer, "Button6")->isEnabled());
    EXPECT_FALSE(Control<QPushButton>(viewer, "Button12")->isEnabled());

    // A frame whose cut-out no decoder would read back: refused with its own message.
    viewer->Button11Click();
    viewer->ZoomAt(0, 0, 0.01);
    viewer->Document().SetCropRect({0, 0, 30000, 30000});
    viewer->PlaceCropFrame();
    viewer->Button12Click();
    ASSERT_EQ(ui.messages.size(), 2u);
    EXPECT_EQ(ui.messages[1].text,
              QStringLiteral("枠座標切出失敗\n切り出す範囲が大きすぎます。枠を縮小してください。"));
    EXPECT_EQ(viewer->Document().Picture().Width(), 600u);
    EXPECT_FALSE(viewer->PictureWriting());

    // "Tmp.png" cannot be written: the cut-out stands at once, and the failure is told when
    // the write on the worker ends.
    std::filesystem::create_directory(dir.File("Tmp.png"));
    viewer->ZoomAt(0, 0, 1.0);
    viewer->Button11Click();
    viewer->Button12Click();
    EXPECT_EQ(viewer->Document().Picture().Width(), 267u);
    EXPECT_EQ(ui.messages.size(), 2u);
    viewer->WaitForPictureWrite();
    ASSERT_EQ(ui.messages.size(), 3u);
    EXPECT_EQ(ui.messages[2].text, QStringLiteral("枠座標切出失敗"));
    EXPECT_EQ(viewer->Document().Picture().Width(), 267u);
    EXPECT_TRUE(std::filesystem::is_directory(dir.File("Tmp.png")));
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

}  // namespace
}  // namespace vellumo
