// The viewer's crop panel: the red frame laid over the picture, moved and resized through
// the frame tracker, set to a paper size or an aspect ratio from its popup menu, and the
// cut-out that replaces the picture with the framed part and writes it as "Tmp.png". The
// geometry is in crop/CropFrame; this file moves its numbers into the controls.

#include <QAction>
#include <QEvent>
#include <QFileInfo>
#include <QFrame>
#include <QMenu>
#include <QMouseEvent>
#include <QPushButton>
#include <QScrollArea>
#include <new>

#include "crop/CutOut.h"
#include "platform/Error.h"
#include "platform/ProgramFiles.h"
#include "save/TmpPng.h"
#include "ui/app/Guarded.h"
#include "ui/app/NamedWidgets.h"
#include "ui/app/Session.h"
#include "ui/app/UiServices.h"
#include "ui/app/WaitCursor.h"
#include "ui/viewer/CategoryPanelWidget.h"
#include "ui/viewer/FrameTrackerWidget.h"
#include "ui/viewer/ScrollContentWidget.h"
#include "ui/viewer/TForm2.h"
#include "ui/viewer/TForm2Support.h"

namespace vellumo {

void TForm2::BuildCrop() {
    QWidget* c = CategoryPanel3->Content();
    Button11 = NamedButton(c, "Button11", QStringLiteral("位置指定"), QRect(8, 6, 96, 25));
    Button12 = NamedButton(c, "Button12", QStringLiteral("実行"), QRect(8, 36, 96, 25));
    Button4 = NamedButton(c, "Button4", QStringLiteral("Cancel"), QRect(8, 66, 96, 25));
    Button6 = NamedButton(c, "Button6", QStringLiteral("reLoad"), QRect(8, 110, 96, 25));
    c->installEventFilter(this);

    N3 = NamedAction(C1, "N3", QStringLiteral("切出位置"));
    Cancel1 = NamedAction(C1, "Cancel1", QStringLiteral("Cancel"));
    N4 = NamedAction(C1, "N4", QStringLiteral("実行"));
    reLoad1 = NamedAction(C1, "reLoad1", QStringLiteral("reLoad（再読込）"));

    PopupMenu1 = new QMenu(this);
    PopupMenu1->setObjectName(QStringLiteral("PopupMenu1"));
    L6w = NamedAction(PopupMenu1, "L6w", QStringLiteral("L版 127 x 89 mm"));
    B6 = NamedAction(PopupMenu1, "B6", QStringLiteral("B６ 182 x128 mm"));
    A41 = NamedAction(PopupMenu1, "A41", QStringLiteral("A4 210×297mm"));
    Hiritu43 = NamedAction(PopupMenu1, "Hiritu43", QStringLiteral("縦横比   4：3"));
    Hiritu16_9 = NamedAction(PopupMenu1, "Hiritu16_9", QStringLiteral("縦横比 16：9"));
    N801 = NamedAction(PopupMenu1, "N801", QStringLiteral("範囲縮小   80%"));
    N802 = NamedAction(PopupMenu1, "N802", QStringLiteral("範囲拡大 120%"));
    PopupMenu1->addSeparator();
    WHchange = NamedAction(PopupMenu1, "WHchange", QStringLiteral("🔄 縦横変更"));
    PopupMenu1->addSeparator();
    N6 = NamedAction(PopupMenu1, "N6", QStringLiteral("〓切出実行〓"));
    Cancel2 = NamedAction(PopupMenu1, "Cancel2", QStringLiteral("✖ Cancel"));

    FrameTracker = new vellumo::FrameTracker(this);
    FrameTracker->setObjectName(QStringLiteral("FrameTracker"));
    FrameTracker->PopupMenu = PopupMenu1;
    connect(FrameTracker, &vellumo::FrameTracker::MouseDown, this,
            Guarded(this, [this] { FrameTrackerMouseDown(); }));
    connect(FrameTracker, &vellumo::FrameTracker::MouseUp, this,
            Guarded(this, [this] { FrameTrackerMouseUp(); }));
    Shape1->installEventFilter(this);
    ScrollBox1->installEventFilter(this);

    connect(Button11, &QPushButton::clicked, this, Guarded(this, [this] { Button11Click(); }));
    connect(N3, &QAction::triggered, this, Guarded(this, [this] { Button11Click(); }));
    connect(Button4, &QPushButton::clicked, this, Guarded(this, [this] { Button4Click(); }));
    connect(Cancel1, &QAction::triggered, this, Guarded(this, [this] { Button4Click(); }));
    for (QAction* a : {N4, N6})
        connect(a, &QAction::triggered, this, Guarded(this, [this] { Button12Click(); }));
    connect(Button12, &QPushButton::clicked, this, Guarded(this, [this] { Button12Click(); }));
    connect(Button6, &QPushButton::clicked, this, Guarded(this, [this] { Button6Click(); }));
    connect(reLoad1, &QAction::triggered, this, Guarded(this, [this] { Button6Click(); }));
    const std::pair<QAction*, int> presets[] = {{L6w, kPresetL},
                                                {B6, kPresetB6},
                                                {A41, kPresetA4},
                                                {Hiritu43, kPresetRatio4x3},
                                                {Hiritu16_9, kPresetRatio16x9},
                                                {N801, kPresetShrink},
                                                {N802, kPresetEnlarge},
                                                {WHchange, kPresetSwap},
                                                {Cancel2, kPresetCancel}};
    for (const auto& [action, preset] : presets)
        connect(action, &QAction::triggered, this,
                Guarded(this, [this, p = preset] { ApplyFramePreset(p); }));
}

bool TForm2::CropEvent(QObject* watched, QEvent* event) {
    if (watched == Shape1) {
        switch (event->type()) {
            case QEvent::MouseButtonPress:
            case QEvent::MouseButtonDblClick: {
                const auto* mouse = static_cast<QMouseEvent*>(event);
                Shape1MouseDown(mouse->globalPosition().toPoint(), mouse->buttons(),
                                mouse->modifiers());
                return true;
            }
            case QEvent::Enter:
                view_.PointerOverImage = true;
                break;
            case QEvent::Leave:
                view_.PointerOverImage = false;
                break;
            default:
                break;
        }
    } else if (watched == ScrollBox1 && event->type() == QEvent::Leave) {
        FrameTracker->Detach();
    } else if (watched == CategoryPanel3->Content() &&
               event->type() == QEvent::MouseButtonRelease) {
        CategoryPanel3Click();
    }
    return false;
}

// ---- the frame --------------------------------------------------------------------------

FrameBounds TForm2::ShownCropFrame() const {
    // The content lies at minus the scroll positions in the visible part of the scroll box.
    const QRect r = Shape1->geometry().translated(ScrollContent->pos());
    return {r.x(), r.y(), r.width(), r.height()};
}

void TForm2::SetShownCropFrame(const FrameBounds& b) {
    Shape1->setGeometry(QRect(b.left, b.top, b.width, b.height).translated(-ScrollContent->pos()));
}

void TForm2::PlaceCropFrame() {
    FrameTracker->Detach();
    const QPoint scroll = ScrollPosition();
    SetShownCropFrame(
        vellumo::PlaceCropFrame(document_.CropRect(), view_.ViewScale, scroll.x(), scroll.y()));
    Shape1->show();
}

void TForm2::ReadCropFrame() {
    const QPoint scroll = ScrollPosition();
    document_.SetCropRect(
        vellumo::ReadCropFrame(ShownCropFrame(), view_.ViewScale, scroll.x(), scroll.y()));
}

void TForm2::ApplyFramePreset(int preset) {
    FrameTracker->Detach();
    if (preset == kPresetCancel) {
        Shape1->hide();
        view_.CropMode = false;
        return;
    }
    // The next press on the frame attaches the tracker again.
    SetShownCropFrame(vellumo::ApplyFramePreset(preset, ShownCropFrame(), view_.ViewScale,
                                                document_.Resolution().PixPerMmX,
                                                document_.Resolution().PixPerMmY));
    ReadCropFrame();
}

void TForm2::Shape1MouseDown(QPoint globalPos, Qt::MouseButtons buttons,
                             Qt::KeyboardModifiers mods) {
    if (view_.CropMode) FrameTracker->Attach(Shape1, {globalPos, buttons, mods});
}

void TForm2::FrameTrackerMouseDown() { view_.PointerOverImage = true; }

void TForm2::FrameTrackerMouseUp() { ReadCropFrame(); }

// ---- commands ---------------------------------------------------------------------------

void TForm2::Button11Click() {
    if (document_.Picture().Empty()) {
        view_.CropMode = false;
        Shape1->hide();
        return;
    }
    document_.ResetCropRect();
    view_.CropMode = true;
    PlaceCropFrame();
    actions_.cropCancel = actions_.cropExecute = true;
    updateActions();
}

void TForm2::Button4Click() {
    if (!view_.CropMode) return;
    FrameTracker->Detach();
    Shape1->hide();
    document_.ResetCropRect();
    view_.CropMode = false;
    actions_.cropCancel = actions_.cropExecute = false;
    updateActions();
}

QString TForm2::ProgramFolder() const {
    // The user's cache folder may not exist yet, or a cleaner removed it meanwhile.
    EnsureFolder(Utf8(session_.WorkFolder()));
    return session_.WorkFolder();
}

void TForm2::Button12Click() {
    if (!view_.CropMode || busy_) return;
    WaitForPictureWrite();
    actions_.cropExecute = false;
    updateActions();
    const QPoint scroll = ScrollPosition();
    const CutOutArea area =
        CutOutFromFrame(ShownCropFrame(), view_.ViewScale, scroll.x(), scroll.y());
    view_.CropMode = false;
    FrameTracker->Detach();
    Shape1->hide();
    struct EnableReload {
        TForm2& window;
        ~EnableReload() {
            window.actions_.cropReload = true;
            window.updateActions();
        }
    } reload{*this};
    // A frame below one pixel, or one whose cut-out no decoder would read back, is refused
    // before anything is allocated.
    if (const auto refusal = CutOutRefusal(area.w, area.h)) {
        ShowMessageText(Q(WithLfLineEnds(*refusal)), MessageStyle::Plain);
        return;
    }
    std::string folder;
    try {
        WaitCursor wait;
        folder = Utf8(ProgramFolder());
        // The preview ends with it: its source is the picture before the cut-out.
        document_.CutOut(area.x, area.y, area.w, area.h);
        FitWhole();
        ShowImageInfo(2);
        actions_.cropCancel = actions_.cropExecute = false;
        updateActions();
    } catch (const Error&) {
        ShowMessageText(Q(kCutOutFailedText), MessageStyle::Plain);
        return;
    } catch (const std::bad_alloc&) {
        ShowMessageText(Q(kCutOutFailedText), MessageStyle::Plain);
        return;
    }
    // The cut-out is shown at once; "Tmp.png" follows on the worker, and a failure there is
    // told when it ends.
    StartPictureWrite(
        [this, folder](const BackgroundJob::Progress& progress) {
            WriteTmpPng(document_.Picture(), folder, progress);
        },
        [this](std::exception_ptr error) {
            if (error) ShowMessageText(Q(kCutOutFailedText), MessageStyle::Plain);
        });
}

void TForm2::Button6Click() { ReloadImage(Button6); }

void TForm2::Img_CcutClick() {
    ExpandPanel(CategoryPanel3);
    if (Shape1->isHidden()) Button11Click();
}

void TForm2::CategoryPanel3Click() { ExpandPanel(CategoryPanel3); }

}  // namespace vellumo
