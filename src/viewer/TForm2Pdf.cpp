// The viewer's PDF load: Ghostscript renders page 1 into the temporary TIFF, the window
// waits for the converter's end with its status texts while it keeps painting, and the
// load goes on with the TIFF.

#include <QComboBox>
#include <QCoreApplication>
#include <QRadioButton>

#include "app/Guarded.h"
#include "app/UiServices.h"
#include "app/WaitCursor.h"
#include "checker_ui/TForm1.h"
#include "platform/Error.h"
#include "settings/TForm3.h"
#include "viewer/TForm2.h"
#include "viewer/TForm2Support.h"
#include "viewer/ViewerTexts.h"

namespace vellumo {

namespace {

/// Repaints, timers and the window system's requests run; clicks and keys wait for the end
/// of the load, so nothing acts on the picture that is about to be replaced.
void LetPaintsRun() { QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents); }

}  // namespace

QString TForm2::PdfTempFile() const {
    return QString::fromStdString(PdfTempFilePath(Utf8(ProgramFolder())));
}

bool TForm2::ConvertPdf(const QString& pdf) {
    PdfConversionOptions options;
    if (settingsDialog_) {
        options.resolutionText = Utf8(settingsDialog_->ComboBox1->currentText());
        options.monochrome = settingsDialog_->RadioButton1->isChecked();
    }
    converter_.emplace(StartPdfConversion(Utf8(checker_.GhostscriptFolder), Utf8(pdf),
                                          Utf8(PdfTempFile()), options));
    SetStatusText(Q(kPdfConvertText));
    LetPaintsRun();
    return true;
}

bool TForm2::LoadPdfPage() {
    // A close asked for during the wait comes once the load is over, messages included.
    struct CloseAfter {
        TForm2& window;
        ~CloseAfter() { window.CloseIfAskedWhileBusy(); }
    } closeAfter{*this};
    OrgFName = FileName2;
    bool started = false;
    std::string startError;
    PdfConversionEnd end = PdfConversionEnd::Failed;
    {
        WaitCursor wait;
        BusyScope busy(busy_);
        // The converter goes with the wait, also when the wait is left by an error.
        struct Reset {
            std::optional<Process>& converter;
            ~Reset() { converter.reset(); }
        } reset{converter_};
        try {
            started = ConvertPdf(FileName2);
        } catch (const Error& e) {
            startError = e.what();
        }
        if (started) {
            end = FinishPdfConversion(*converter_, Utf8(PdfTempFile()), PdfWaitLimit,
                                      [this](std::chrono::milliseconds elapsed) {
                                          const QString text = Q(PdfWaitText(elapsed));
                                          if (StatusText() != text) SetStatusText(text);
                                          LetPaintsRun();
                                      });
        }
        // Clicks, keys and the window system's close request were held back during the
        // wait. They run now, while the window is still busy (a close is then carried out
        // after the load): a message box shown next would block the window, and what
        // reached it then would be lost. A click is a press and a release, read apart.
        QCoreApplication::processEvents(QEventLoop::AllEvents, 100);
    }
    if (!started) {
        // The platform's reason: the old page that cannot be removed, or the converter
        // that cannot be started.
        ShowErrorBox(this, startError);
        return false;
    }
    FileName2 = PdfTempFile();
    PdfConverted = true;
    SetStatusText(QString());
    if (end != PdfConversionEnd::Converted) {
        ShowMessageText(Q(PdfConvertFailedText(Utf8(OrgFName))), MessageStyle::Confirmation);
        return false;
    }
    return true;
}

void TForm2::CloseIfAskedWhileBusy() {
    if (!closeAfterBusy_) return;
    closeAfterBusy_ = false;
    QMetaObject::invokeMethod(this, Guarded(this, [this] { close(); }), Qt::QueuedConnection);
}

}  // namespace vellumo
