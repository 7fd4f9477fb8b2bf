// The viewer's PDF load: Ghostscript renders page 1 into the temporary TIFF, the window
// waits for the converter's end with its status texts while it keeps painting and offers
// to cancel it (中止, Esc, its close), and the load goes on with the TIFF.

#include <QAction>
#include <QComboBox>
#include <QCoreApplication>
#include <QFrame>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>

#include "document/ViewerTexts.h"
#include "platform/Error.h"
#include "ui/app/Guarded.h"
#include "ui/app/Session.h"
#include "ui/app/UiServices.h"
#include "ui/app/WaitCursor.h"
#include "ui/settings/TForm3.h"
#include "ui/viewer/TForm2.h"
#include "ui/viewer/TForm2Support.h"

namespace vellumo {

QString TForm2::PdfTempFile() const {
    return QString::fromStdString(PdfTempFilePath(Utf8(ProgramFolder())));
}

bool TForm2::ConvertPdf(const QString& pdf) {
    const PdfConversionOptions options =
        settingsDialog_ ? settingsDialog_->CurrentLoadChoices().pdf : PdfConversionOptions{};
    converter_.emplace(StartPdfConversion(Utf8(session_.GhostscriptFolder), Utf8(pdf),
                                          Utf8(PdfTempFile()), options));
    SetStatusText(Q(kPdfConvertText));
    return true;
}

void TForm2::CancelPdfConversion() {
    if (converter_) pdfCancel_ = true;
}

void TForm2::SetPdfConverting(bool on) {
    actions_.pdfConverting = on;
    updateActions();
    Button15->setVisible(on);
}

TForm2::PdfPage TForm2::LoadPdfPage() {
    // A close asked for during the wait comes once the load is over.
    struct CloseAfter {
        TForm2& window;
        ~CloseAfter() { window.CloseIfAskedWhileBusy(); }
    } closeAfter{*this};
    {
        FileIdentity converting = document_.Identity();
        converting.OrgFName = converting.FileName2;
        document_.SetIdentity(std::move(converting));
    }
    const QString statusBefore = StatusText();
    bool started = false;
    std::string startError;
    PdfConversionEnd end = PdfConversionEnd::Failed;
    {
        // The arrow with the hourglass: 中止 can be pressed.
        WaitCursor wait(Qt::BusyCursor);
        BusyScope busy(busy_);
        pdfCancel_ = false;
        // The converter goes with the wait, also when the wait is left by an error.
        struct Reset {
            TForm2& window;
            ~Reset() {
                window.converter_.reset();
                window.SetPdfConverting(false);
            }
        } reset{*this};
        try {
            started = ConvertPdf(Q(document_.FileName2()));
        } catch (const Error& e) {
            startError = e.what();
        }
        if (started) {
            SetPdfConverting(true);
            end = FinishPdfConversion(*converter_, Utf8(PdfTempFile()), PdfWaitLimit,
                                      [this](std::chrono::milliseconds elapsed) {
                                          const QString text = Q(PdfWaitText(elapsed));
                                          if (StatusText() != text) SetStatusText(text);
                                          // Every message runs: 中止, Esc and the close
                                          // end the wait, the other controls are off.
                                          QCoreApplication::processEvents();
                                          return !pdfCancel_;
                                      });
        }
    }
    if (!started) {
        // The platform's reason: the old page that cannot be removed, or the converter
        // that cannot be started.
        ShowErrorBox(this, startError);
        return PdfPage::Stopped;
    }
    if (end == PdfConversionEnd::Cancelled) {
        SetStatusText(statusBefore);
        return PdfPage::Cancelled;
    }
    document_.SetIdentity({Utf8(PdfTempFile()), document_.OrgFName(), true});
    SetStatusText(QString());
    if (end != PdfConversionEnd::Converted) {
        ShowMessageText(Q(PdfConvertFailedText(document_.OrgFName())), MessageStyle::Confirmation);
        return PdfPage::Stopped;
    }
    return PdfPage::Ready;
}

void TForm2::CloseIfAskedWhileBusy() {
    if (!closeAfterBusy_) return;
    closeAfterBusy_ = false;
    QMetaObject::invokeMethod(this, Guarded(this, [this] { close(); }), Qt::QueuedConnection);
}

}  // namespace vellumo
