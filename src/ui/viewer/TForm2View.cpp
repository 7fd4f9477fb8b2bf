// The viewer's view commands: fit, true and double size, the wheel, dragging, rotation.

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QMimeData>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QSlider>
#include <QStatusBar>
#include <QToolButton>
#include <QWheelEvent>
#include <climits>
#include <exception>
#include <new>

#include "document/ArrangePanels.h"
#include "document/LoadPicture.h"
#include "document/ViewScaling.h"
#include "document/ViewerTexts.h"
#include "imaging/Despeckle.h"
#include "imaging/Dither.h"
#include "imaging/Gray.h"
#include "imaging/ReductionMessages.h"
#include "imaging/Rotate.h"
#include "imaging/Threshold.h"
#include "platform/Error.h"
#include "platform/ImageDecoder.h"
#include "settings/SettingsFile.h"
#include "ui/app/Guarded.h"
#include "ui/app/UiServices.h"
#include "ui/app/WaitCursor.h"
#include "ui/settings/TForm3.h"
#include "ui/viewer/CategoryPanelWidget.h"
#include "ui/viewer/ImageControlWidget.h"
#include "ui/viewer/TForm2.h"
#include "ui/viewer/TForm2Support.h"

namespace vellumo {

// ---- view ------------------------------------------------------------------------------

QSize TForm2::ControlSize() const { return Image1->size(); }

QPoint TForm2::ScrollPosition() const {
    return {ScrollBox1->horizontalScrollBar()->value(), ScrollBox1->verticalScrollBar()->value()};
}

void TForm2::SetScrollPosition(QPoint position) {
    ScrollBox1->horizontalScrollBar()->setValue(position.x());
    ScrollBox1->verticalScrollBar()->setValue(position.y());
}

void TForm2::SetControlSize(int width, int height) { Image1->resize(width, height); }

void TForm2::DocumentChanged(DocumentChanges changes) {
    if (changes.Has(DocumentPart::Picture)) {
        const Bitmap& picture = document_.Picture();
        Image1->SetPicture(picture.Empty() ? nullptr : &picture);
    }
    // Whatever ended the preview (a load, a cut-out, a new picture), Real time is off.
    if (changes.Has(DocumentPart::Preview) && !document_.PreviewOn()) CheckBox2->setChecked(false);
    if (changes.Has(DocumentPart::Ink)) {
        const RgbQuad ink = document_.InkColor();
        QPalette p = BitBtn3->palette();
        p.setColor(QPalette::ButtonText, QColor(ink.r, ink.g, ink.b));
        BitBtn3->setPalette(p);
    }
}

void TForm2::ZoomAt(int x, int y, double newScale) {
    const QPoint shown = Image1->mapTo(ScrollBox1->viewport(), QPoint(x, y));
    const ZoomPlacement z =
        vellumo::ZoomAt(x, y, view_.ViewScale, newScale, shown.x(), shown.y(),
                        document_.Picture().Width(), document_.Picture().Height());
    SetControlSize(z.width, z.height);
    SetScrollPosition({z.scrollX, z.scrollY});
    view_.ViewScale = newScale;
}

void TForm2::FitWhole() {
    const Bitmap& picture = document_.Picture();
    if (picture.Empty()) return;
    const QSize client = ScrollBox1->viewport()->size();
    view_.ViewScale = FitScale(client.width(), client.height(), picture.Width(), picture.Height());
    SetControlSize(TruncatedSide(picture.Width(), view_.ViewScale),
                   TruncatedSide(picture.Height(), view_.ViewScale));
    if (view_.CropMode) PlaceCropFrame();
}

void TForm2::ZoomAboutCentre(double newScale) {
    if (document_.Picture().Empty()) return;
    const QSize client = ScrollBox1->viewport()->size();
    const QPoint centre(RoundedSide(uint32_t(client.width()), 0.5),
                        RoundedSide(uint32_t(client.height()), 0.5));
    const QPoint anchor = Image1->mapFrom(ScrollBox1->viewport(), centre);
    ZoomAt(anchor.x(), anchor.y(), newScale);
    if (view_.CropMode) PlaceCropFrame();
}

double TForm2::ScreenDpi() const {
    if (screenDpi_) return *screenDpi_;
    const QScreen* s = screen();
    if (!s) return vellumo::ScreenDpi(0, 0);
    return vellumo::ScreenDpi(s->geometry().width(), s->physicalSize().width());
}

void TForm2::DeviceSize() {
    ZoomAboutCentre(DeviceScale(ScreenDpi(), document_.Resolution().DpiX, 1.0));
}

void TForm2::PixelSize() { ZoomAboutCentre(1.0); }

void TForm2::DoubleSize() {
    ZoomAboutCentre(DeviceScale(ScreenDpi(), document_.Resolution().DpiX, 2.0));
}

bool TForm2::FormMouseWheel(int delta, Qt::KeyboardModifiers modifiers, QPoint pointer) {
    if (!view_.PointerOverImage || (modifiers & (Qt::ShiftModifier | Qt::ControlModifier)))
        return false;
    const std::optional<double> next = WheelZoomScale(view_.ViewScale, delta);
    if (next && !document_.Picture().Empty()) {
        ZoomAt(pointer.x(), pointer.y(), *next);
        if (view_.CropMode) PlaceCropFrame();
    }
    return true;
}

bool TForm2::FormMouseWheelScroll(bool down, Qt::KeyboardModifiers modifiers) {
    if (!view_.PointerOverImage) return false;
    const int step = down ? kWheelScrollStep : -kWheelScrollStep;
    QScrollBar* bar = (modifiers & Qt::ControlModifier) ? ScrollBox1->horizontalScrollBar()
                                                        : ScrollBox1->verticalScrollBar();
    bar->setValue(bar->value() + step);
    return true;
}

bool TForm2::PointerOnPicture(QPoint global) const {
    if (Image1->rect().contains(Image1->mapFromGlobal(global))) return true;
    return Shape1->isVisible() && Shape1->rect().contains(Shape1->mapFromGlobal(global));
}

void TForm2::WheelTurned(const QWheelEvent& wheel) {
    const QPoint global = wheel.globalPosition().toPoint();
    // Where the pointer is now, not what the last enter or leave said: none comes after a
    // message box closes or a crop frame is let go until the mouse moves.
    view_.PointerOverImage = PointerOnPicture(global);
    const QPoint pointer = Image1->mapFromGlobal(global);
    // A wheel notch is 120; touchpads and smooth wheels send it in small parts, which are
    // gathered so that each whole notch is one step, as with a notched wheel. A sideways
    // wheel or swipe scrolls sideways, as Ctrl with the wheel does.
    wheelRest_ += wheel.angleDelta().y();
    wheelRestX_ += wheel.angleDelta().x();
    while (wheelRest_ >= kWheelNotch || wheelRest_ <= -kWheelNotch) {
        const int notch = wheelRest_ > 0 ? kWheelNotch : -kWheelNotch;
        wheelRest_ -= notch;
        if (!FormMouseWheel(notch, wheel.modifiers(), pointer))
            FormMouseWheelScroll(notch < 0, wheel.modifiers());
    }
    while (wheelRestX_ >= kWheelNotch || wheelRestX_ <= -kWheelNotch) {
        const int notch = wheelRestX_ > 0 ? kWheelNotch : -kWheelNotch;
        wheelRestX_ -= notch;
        FormMouseWheelScroll(notch < 0, Qt::ControlModifier);
    }
}

void TForm2::ZoomKey(int delta) {
    if (document_.Picture().Empty()) return;
    if (const std::optional<double> next = WheelZoomScale(view_.ViewScale, delta))
        ZoomAboutCentre(*next);
}

bool TForm2::eventFilter(QObject* watched, QEvent* event) {
    // A handler that failed had taken its event.
    bool taken = true;
    RunGuarded(this, [&] { taken = FilterEvent(watched, event); });
    return taken;
}

bool TForm2::FilterEvent(QObject* watched, QEvent* event) {
    if (CropEvent(watched, event)) return true;
    if (event->type() == QEvent::Wheel &&
        (watched == Image1 || watched == ScrollBox1->viewport())) {
        WheelTurned(*static_cast<QWheelEvent*>(event));
        // The scroll box never scrolls by the wheel on its own.
        return true;
    }
    if (event->type() == QEvent::MouseButtonPress && watched == Button3) {
        // The press runs before the click: a left click shows true size twice.
        const auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() == Qt::RightButton)
            PixelSize();
        else
            DeviceSize();
        return false;
    }
    if (event->type() == QEvent::MouseButtonRelease && watched == TrackBar1 &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        // The value moved while the button was down (a click on the track pages, a drag
        // moves the thumb); the button is up now, so the preview follows.
        TrackBar1Change();
        return false;
    }
    if (event->type() == QEvent::MouseButtonPress && watched == BitBtn3) {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        if (BitBtn3->isEnabled()) BitBtn3MouseDown(mouse->button());
        return mouse->button() != Qt::LeftButton;
    }
    return QMainWindow::eventFilter(watched, event);
}

void TForm2::Image1MouseDown(Qt::MouseButton button, Qt::KeyboardModifiers modifiers, QPoint pos) {
    if (button == Qt::RightButton) return;
    // Alt with a click is the window manager's on most Linux desktops (it moves the
    // window); Ctrl with a click, which none takes, inspects as well.
    if (modifiers & (Qt::AltModifier | Qt::ControlModifier)) {
        InspectAt(pos);
        return;
    }
    view_.Dragging = true;
    view_.DragStart = pos;
}

void TForm2::InspectAt(QPoint pos) {
    if (view_.Magnified) {
        SetControlSize(savedControlSize_.width(), savedControlSize_.height());
        SetScrollPosition(savedScroll_);
        // The scale goes back with the size, so the next zoom starts from what is shown.
        view_.ViewScale = savedScale_;
        view_.Magnified = false;
        return;
    }
    savedControlSize_ = ControlSize();
    savedScroll_ = ScrollPosition();
    savedScale_ = view_.ViewScale;
    const QPoint onScreen = Image1->mapToGlobal(pos);
    ShowMessageText(QStringLiteral("デスクトップ上 X:%1,Y:%2\nImage1上で　X:%3,Y:%4")
                        .arg(onScreen.x())
                        .arg(onScreen.y())
                        .arg(pos.x())
                        .arg(pos.y()),
                    MessageStyle::Plain);
    ZoomAt(pos.x(), pos.y(), 2.0);
    view_.Magnified = true;
}

void TForm2::Image1MouseMove(QPoint pos) {
    if (!view_.Dragging) return;
    const QSize control = ControlSize();
    if (control.width() > ScrollBox1->width() || control.height() > ScrollBox1->height())
        Image1->setCursor(Qt::SizeAllCursor);
    const QPoint scroll = ScrollPosition();
    SetScrollPosition(
        {scroll.x() + view_.DragStart.x() - pos.x(), scroll.y() + view_.DragStart.y() - pos.y()});
}

void TForm2::Image1MouseUp() {
    view_.Dragging = false;
    Image1->unsetCursor();
}

void TForm2::Turn(bool left) {
    if (document_.Picture().Empty() || busy_) return;
    WaitForPictureWrite();
    WaitCursor wait;
    if (left)
        document_.RotateLeft();
    else
        document_.RotateRight();
    // The scale and the scroll positions stay; the control takes the turned size.
    const Bitmap& turned = document_.Picture();
    SetControlSize(RoundedSide(turned.Width(), view_.ViewScale),
                   RoundedSide(turned.Height(), view_.ViewScale));
}

void TForm2::RotateLeft() { Turn(true); }

void TForm2::RotateRight() { Turn(false); }

}  // namespace vellumo
