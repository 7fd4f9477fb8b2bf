// The viewer's writes on a worker thread: a save or the cut-out's "Tmp.png" is written while
// the window keeps painting and answering, its progress in the status line when it takes a
// while, and its outcome told on the window's own thread when it ends.

#include <QCoreApplication>
#include <QLabel>
#include <QProgressBar>
#include <QStatusBar>
#include <QTimer>

#include "document/ViewerTexts.h"
#include "ui/app/Guarded.h"
#include "ui/app/WaitCursor.h"
#include "ui/viewer/TForm2.h"
#include "ui/viewer/TForm2Support.h"

namespace vellumo {

namespace {

constexpr int kProgressSteps = 1000;

}  // namespace

void TForm2::StartPictureWrite(BackgroundJob::Work write,
                               std::function<void(std::exception_ptr)> done) {
    WaitForPictureWrite();
    if (!writeTimer_) {
        writeTimer_ = new QTimer(this);
        writeTimer_->setInterval(100);
        connect(writeTimer_, &QTimer::timeout, this,
                Guarded(this, [this] { ShowWriteProgress(); }));
    }
    writeDone_ = std::move(done);
    writeStart_ = std::chrono::steady_clock::now();
    writeProgressShown_ = false;
    setCursor(Qt::BusyCursor);
    // The end is posted from the worker; a window gone by then has waited for the worker
    // and takes no more messages.
    write_ = std::make_unique<BackgroundJob>(std::move(write), [this] {
        QMetaObject::invokeMethod(this, Guarded(this, [this] { EndPictureWrite(); }),
                                  Qt::QueuedConnection);
    });
    writeTimer_->start();
}

void TForm2::EndPictureWrite() {
    // A message posted by a write that a wait has already taken back finds none, or a later
    // write still running.
    if (!write_ || !write_->Ended()) return;
    const std::exception_ptr error = write_->Join();
    write_.reset();
    writeTimer_->stop();
    if (writeProgressShown_) {
        HideStatusProgress();
        if (StatusText() == Q(kWritingProgressText)) SetStatusText(statusBeforeProgress_);
        writeProgressShown_ = false;
    }
    unsetCursor();
    const auto done = std::exchange(writeDone_, nullptr);
    if (done) done(error);
}

void TForm2::WaitForPictureWrite() {
    if (!write_) return;
    {
        const WaitCursor wait;
        // Repaints, timers and the worker's message run; clicks and keys wait for the end.
        while (write_ && !write_->Ended())
            QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents |
                                            QEventLoop::WaitForMoreEvents);
    }
    EndPictureWrite();
}

void TForm2::ShowWriteProgress() {
    if (!write_) return;
    if (!writeProgressShown_) {
        if (std::chrono::steady_clock::now() - writeStart_ < kWriteProgressDelay) return;
        statusBeforeProgress_ = StatusText();
        ShowStatusProgress(kProgressSteps, Q(kWritingProgressText));
        writeProgressShown_ = true;
    }
    ProgressBar1->setValue(int(write_->Done() * kProgressSteps));
}

void TForm2::ShowStatusProgress(int maximum, const QString& text) {
    ProgressBar1->setGeometry(5, 3, 165, StatusBar1->height() - 5);
    ProgressBar1->setRange(0, maximum);
    ProgressBar1->setValue(0);
    ProgressBar1->show();
    ProgressBar1->raise();
    // The text stands beside the bar rather than under it.
    statusText_->setContentsMargins(175, 0, 0, 0);
    SetStatusText(text);
}

void TForm2::HideStatusProgress() {
    ProgressBar1->hide();
    statusText_->setContentsMargins(0, 0, 0, 0);
}

}  // namespace vellumo
