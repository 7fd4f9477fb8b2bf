// The drawing panel in the viewer's tool column: it follows the document and the threshold
// slider, and writes through the window's save worker.

#include <QSlider>

#include "ui/app/Guarded.h"
#include "ui/viewer/DrawingPanel.h"
#include "ui/viewer/TForm2.h"

namespace vellumo {

void TForm2::BuildDrawingPanel() {
    DrawingPanel::Hooks hooks;
    hooks.showMessage = [this](const QString& text, bool information) {
        ShowMessageText(text, information ? MessageStyle::Information : MessageStyle::Plain);
    };
    hooks.write = [this](BackgroundJob::Work write, std::function<void(std::exception_ptr)> done) {
        StartPictureWrite(std::move(write), std::move(done));
    };
    hooks.waitForWrite = [this] { WaitForPictureWrite(); };
    hooks.busy = [this] { return busy_ || actions_.pdfConverting; };
    hooks.pictureReplaced = [this] {
        FitWhole();
        ShowImageInfo(2);
        actions_.reductionReload = true;
        updateActions();
    };
    CategoryPanel6 = new DrawingPanel(document_, session_, std::move(hooks));
    CategoryPanel6->setObjectName(QStringLiteral("CategoryPanel6"));
    CategoryPanel6->SetColor(QColor(192, 220, 192));
    CategoryPanel6->SetExpanded(false);
    CategoryPanelGroup1->AddPanel(CategoryPanel6);
    CategoryPanel6->SetThreshold(TrackBar1->value());
    document_.Observe(
        [this](DocumentChanges changes) { CategoryPanel6->DocumentChanged(changes); });
    connect(TrackBar1, &QSlider::valueChanged, this,
            Guarded(this, [this](int value) { CategoryPanel6->SetThreshold(value); }));
    connect(CategoryPanel6, &CategoryPanel::Expanding, this,
            Guarded(this, [this] { PanelExpanded(CategoryPanel6); }));
}

}  // namespace vellumo
