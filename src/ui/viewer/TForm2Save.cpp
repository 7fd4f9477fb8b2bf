// The viewer's save command and the settings dialog it shows: on its own from "Option",
// or beside the save dialog with the tabs of the type being saved.

#include <QFileInfo>
#include <memory>
#include <string>

#include "platform/Error.h"
#include "save/SaveFormats.h"
#include "ui/app/UiServices.h"
#include "ui/settings/TForm3.h"
#include "ui/viewer/TForm2.h"
#include "ui/viewer/TForm2Support.h"

namespace vellumo {

void TForm2::Button14Click() {
    if (!settingsDialog_) return;
    if (settingsDialog_->isVisible()) {
        settingsDialog_->close();
        return;
    }
    settingsDialog_->ShowPrintOptions(PrtMs, Waku);
    ShowOptionTabs(10);
}

void TForm2::ShowOptionTabs(int kind) {
    if (!settingsDialog_) return;
    settingsDialog_->ShowOptionTabs(kind, SaveDialogAct_Chk && saveDialog_ ? saveDialog_ : this,
                                    SaveDialogAct_Chk, pos());
}

void TForm2::SaveDialogEvent(int filterIndex, QWidget* dialog) {
    saveDialog_ = dialog;
    if (filterIndex != 0) {
        SaveType = filterIndex;
        ShowOptionTabs(filterIndex);
        return;
    }
    // The save dialog has closed: the settings dialog goes, and comes home before the save
    // dialog, its owner meanwhile, is gone.
    CloseSettingsDialog();
    if (settingsDialog_ && dialog) settingsDialog_->LeaveOwner(dialog, this);
    saveDialog_ = nullptr;
}

void TForm2::Button8Click() {
    WaitForPictureWrite();
    CloseSettingsDialog();
    SaveDialogAct_Chk = true;
    if (document_.FileName2().empty()) {
        // Cleared here too: left set, the dialog would never read or write its settings.
        SaveDialogAct_Chk = false;
        ShowErrorBox(this, kNoPictureText);
        return;
    }
    const SaveProposal proposal =
        ProposeSaveName(document_.FileName2(), document_.OrgFName(), document_.PdfConverted());
    FileIdentity named = document_.Identity();
    named.OrgFName = proposal.orgFName;
    document_.SetIdentity(std::move(named));
    SaveFileRequest request;
    request.title = QStringLiteral("名前を付けて保存");
    request.folder = Q(proposal.folder);
    request.fileName = Q(proposal.fileName);
    request.filter = QString::fromUtf8(kSaveFilter);
    request.filterIndex = proposal.filterIndex;
    const std::optional<SaveFileAnswer> answer = Ui().ChooseSaveFile(
        this, request, [this](int index, QWidget* dialog) { SaveDialogEvent(index, dialog); });
    SaveDialogAct_Chk = false;
    if (!answer) return;

    SaveType = answer->filterIndex;
    const SaveTarget target = ResolveSaveTarget(Utf8(answer->path), answer->filterIndex);
    if (!target.type) {
        ShowMessageText(Q(WithLfLineEnds(UnsupportedExtensionText(target.path))),
                        MessageStyle::Information);
        return;
    }
    if (QFileInfo::exists(Q(target.path))) {
        MessageBoxRequest r;
        r.title = QStringLiteral("確認");
        r.text = QString::fromUtf8(kOverwriteQuestionText);
        r.icon = BoxIcon::Question;
        r.buttons = BoxButtons::YesNo;
        if (Ui().ShowMessage(this, r) != BoxAnswer::Yes) return;
    }
    const SaveOptions options = settingsDialog_ ? settingsDialog_->SaveChoices() : SaveOptions{};
    // Written on the worker while the window goes on; the caption or the failure is told
    // when it ends.
    auto caption = std::make_shared<std::string>();
    StartPictureWrite(
        [this, caption, path = target.path, type = *target.type,
         options](const BackgroundJob::Progress& progress) {
            *caption = SavePicture(document_.Picture(), path, type, options, progress);
        },
        [this, caption](std::exception_ptr error) {
            if (!error) {
                setWindowTitle(Q(*caption));
                return;
            }
            try {
                std::rethrow_exception(error);
            } catch (const SaveFailure& failure) {
                if (failure.Display() == FailureDisplay::ErrorBox)
                    ShowErrorBox(this, failure.what());
                else
                    ShowMessageText(Q(failure.what()), MessageStyle::Plain);
            }
        });
}

}  // namespace vellumo
