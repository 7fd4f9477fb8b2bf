#pragma once
// UiServices for window tests: records every box and dialog asked for and answers from a
// script (by default OK, cancel for dialogs).

#include <QString>
#include <deque>
#include <functional>
#include <vector>

#include "ui/app/UiServices.h"

namespace vellumo::test {

class ScriptedUi : public UiServices {
  public:
    ScriptedUi() { SetUiServices(this); }
    ~ScriptedUi() override { SetUiServices(nullptr); }

    BoxAnswer ShowMessage(QWidget*, const MessageBoxRequest& request) override;
    std::optional<OpenFileAnswer> ChooseOpenFile(QWidget*, const OpenFileRequest& request) override;
    std::optional<SaveFileAnswer> ChooseSaveFile(QWidget*, const SaveFileRequest& request,
                                                 const SaveDialogEvent& events) override;
    std::optional<FontChoice> ChooseFont(QWidget*, const FontChoice& initial) override;
    std::optional<QColor> ChooseColor(QWidget*, const QColor& initial) override;
    std::optional<QString> ChooseFolder(QWidget*, const QString&, const QString&) override;
    bool ChoosePrinterSetup(QWidget*, PrinterBackend& printer) override;
    void ProcessEvents() override;

    std::vector<MessageBoxRequest> messages;
    std::vector<OpenFileRequest> openRequests;
    std::vector<FontChoice> fontRequests;
    int processEventsCalls = 0;
    int colorRequests = 0;

    /// One run of the save dialog: the types the user picks in turn, then the answer
    /// (nothing: cancel). `seen` is called after each event with its filter index.
    struct SaveScript {
        std::vector<int> filterChanges;
        std::optional<SaveFileAnswer> answer;
    };
    std::vector<SaveFileRequest> saveRequests;
    std::deque<SaveScript> saveScripts;  // empty: cancel
    std::function<void(int filterIndex)> seen;
    std::vector<QString> folderTitles;
    std::deque<std::optional<QString>> folderAnswers;  // empty: cancel

    /// Printer setup dialogs: each answer is run on the printer (the user's choices made in
    /// the dialog) and says whether it was confirmed; empty: cancel.
    int printerSetupRequests = 0;
    std::deque<std::function<bool(PrinterBackend&)>> printerSetupAnswers;

    std::deque<BoxAnswer> answers;                          // for boxes; empty: OK / No
    std::deque<std::optional<OpenFileAnswer>> openAnswers;  // empty: cancel
    std::deque<std::optional<FontChoice>> fontAnswers;      // empty: cancel
    std::deque<std::optional<QColor>> colorAnswers;         // empty: cancel
};

}  // namespace vellumo::test
