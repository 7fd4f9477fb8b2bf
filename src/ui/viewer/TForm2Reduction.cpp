// The viewer's colour reduction: threshold with its real-time preview, gray, despeckle,
// dither, the ink colour, and the reload that undoes them.

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
#include "ui/app/UiServices.h"
#include "ui/app/WaitCursor.h"
#include "ui/settings/TForm3.h"
#include "ui/viewer/CategoryPanelWidget.h"
#include "ui/viewer/FrameTrackerWidget.h"
#include "ui/viewer/ImageControlWidget.h"
#include "ui/viewer/TForm2.h"
#include "ui/viewer/TForm2Support.h"

namespace vellumo {

namespace {

/// The integer of a text box as the threshold reads it: optional leading blanks and sign,
/// decimal digits. Anything else is an error for the application's error display.
int IntegerOfText(const QString& text) {
    bool ok = false;
    const long long value = text.trimmed().toLongLong(&ok, 10);
    if (!ok || text.endsWith(QLatin1Char(' ')) || value < INT_MIN || value > INT_MAX)
        throw Error("'" + Utf8(text) + "' は有効な整数値ではありません。");
    return int(value);
}

}  // namespace

// ---- colour reduction ------------------------------------------------------------------

void TForm2::UpdateThresholdControls() {
    bool enabled;
    if (RadioButton6->isChecked())
        enabled = true;
    else if (RadioButton7->isChecked())
        enabled = false;
    else
        return;
    actions_.thresholdControls = enabled;
    updateActions();
}

void TForm2::RadioButton6Click() { UpdateThresholdControls(); }

void TForm2::RadioButton7Click() {
    SwitchRealTimeOff();
    UpdateThresholdControls();
}

void TForm2::RadioButton8Click() { SwitchRealTimeOff(); }

void TForm2::SwitchRealTimeOff() {
    CheckBox2->setChecked(false);
    document_.StopPreview();
}

void TForm2::ThresholdTyped() {
    // Beyond 0 to 255 only the side matters; the bound keeps 255 − t in range.
    const int t = std::clamp(IntegerOfText(Edit1->text()), -100000, 100000);
    document_.Threshold(255 - t);
}

void TForm2::ExecuteReduction() {
    if (busy_) return;
    WaitForPictureWrite();
    actions_.reducing = true;
    updateActions();
    struct Restore {
        TForm2& form;
        ~Restore() {
            form.actions_.reducing = false;
            form.ShowImageInfo(2);  // sets the enabled states
        }
    } restore{*this};
    WaitCursor wait;
    if (!ShowImageInfo(2)) {
        ShowMessageText(Q(kUnprocessableFormatText), MessageStyle::Plain);
        return;
    }
    if (RadioButton6->isChecked()) {
        if (ThresholdRefusal(document_.Picture())) {
            ShowMessageText(Q(kAlreadyMonoText), MessageStyle::Plain);
            return;
        }
        if (CheckBox2->isChecked()) return;
        ThresholdTyped();
    } else if (RadioButton7->isChecked()) {
        document_.ToGray();
    } else if (RadioButton8->isChecked()) {
        DespeckleCommand();
    }
    Image1->update();
    actions_.reductionReload = true;
    updateActions();
}

void TForm2::DespeckleCommand() {
    const uint32_t height = document_.Picture().Height();
    const bool progress = DespeckleShowsProgress(height);
    struct HideProgress {
        TForm2& form;
        ~HideProgress() { form.HideStatusProgress(); }
    } hide{*this};
    if (progress) ShowStatusProgress(int(height) - 1, Q(kDespeckleProgressText));
    {
        BusyScope busy(busy_);
        document_.Despeckle(
            [this](uint32_t row) { ProgressBar1->setValue(int(row)); },
            // Repaints and the bar run; clicks and keys wait, so nothing changes the
            // picture under the filter.
            [] { QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents); });
    }
    CloseIfAskedWhileBusy();
}

void TForm2::M1Click() {
    if (!RadioButton6->isChecked()) {
        RadioButton6->setChecked(true);
        RadioButton6Click();
    }
    ExecuteReduction();
}

void TForm2::G1Click() {
    if (!RadioButton7->isChecked()) {
        RadioButton7->setChecked(true);
        RadioButton7Click();
    }
    ExecuteReduction();
}

void TForm2::gomitori1Click() {
    if (!RadioButton8->isChecked()) {
        RadioButton8->setChecked(true);
        RadioButton8Click();
    }
    SwitchRealTimeOff();
    ExecuteReduction();
}

void TForm2::N7Click() {
    if (document_.Picture().Empty() || busy_) return;
    WaitForPictureWrite();
    if (const auto refusal = DitherRefusal(document_.Picture())) {
        ShowMessageText(Q(*refusal), MessageStyle::Plain);
        return;
    }
    WaitCursor wait;
    document_.Dither();
    actions_.reductionReload = true;
    updateActions();
    ShowImageInfo(2);
}

void TForm2::CheckBox2Click() {
    if (!CheckBox2->isChecked()) {
        document_.StopPreview();
        return;
    }
    if (document_.Picture().Empty() || busy_) {
        SwitchRealTimeOff();
        return;
    }
    if (ThresholdRefusal(document_.Picture())) {
        ShowMessageText(Q(kAlreadyMonoText), MessageStyle::Plain);
        ShowImageInfo(2);
        SwitchRealTimeOff();
        return;
    }
    WaitCursor wait;
    document_.StartPreview();
}

void TForm2::TrackBar1Change() {
    if (!editDriving_) Edit1->setText(QString::number(TrackBar1->value()));
    if (RadioButton6->isChecked()) {
        if (!CheckBox2->isChecked()) return;
        if (!LeftButtonHeld() && document_.PreviewOn() && !busy_) {
            WaitForPictureWrite();
            WaitCursor wait;
            ThresholdTyped();
        }
    }
    if (!document_.Picture().Empty()) ShowImageInfo(2);
    actions_.reductionReload = true;
    updateActions();
}

void TForm2::Edit1Change() {
    const QString text = Edit1->text();
    if (text.isEmpty()) return;
    bool ok = false;
    const long long value = text.trimmed().toLongLong(&ok);
    // A text that is not a whole number moves nothing here; 実行 reports it.
    if (!ok || value < 0) return;
    editDriving_ = true;
    TrackBar1->setValue(int(std::min<long long>(value, 255)));
    editDriving_ = false;
}

void TForm2::BitBtn3MouseDown(Qt::MouseButton button) {
    WaitForPictureWrite();
    if (const auto refusal = InkColorRefusal(document_.Picture())) {
        ShowMessageText(Q(*refusal), MessageStyle::Plain);
        return;
    }
    SwitchRealTimeOff();
    RgbQuad ink{};
    if (button == Qt::LeftButton) {
        const RgbQuad now = document_.InkColor();
        const std::optional<QColor> chosen = Ui().ChooseColor(this, QColor(now.r, now.g, now.b));
        if (!chosen) return;
        ink = RgbQuad{uint8_t(chosen->blue()), uint8_t(chosen->green()), uint8_t(chosen->red()), 0};
    } else if (button != Qt::RightButton) {
        return;  // no ink colour belongs to the other buttons
    }
    document_.SetInkColor(ink);
    StatusBar1->setFocus();
}

void TForm2::ReloadImage(QObject* button) {
    if (busy_) return;
    WaitForPictureWrite();
    if (button == Button10) {
        SwitchRealTimeOff();
        TrackBar1->setValue(128);
        actions_.reductionReload = false;
    } else {
        FrameTracker->Detach();
        Shape1->hide();
        actions_.cropReload = false;
    }
    updateActions();
    // No nested event loop here: a write still under way was waited for above, and clicks
    // that came meanwhile would otherwise run in the middle of the reload.
    LoadImage(button);
}

}  // namespace vellumo
