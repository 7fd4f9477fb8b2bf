#include "ui/ScriptedUi.h"

#include <QApplication>

namespace vellumo::test {

BoxAnswer ScriptedUi::ShowMessage(QWidget*, const MessageBoxRequest& request) {
    messages.push_back(request);
    if (!answers.empty()) {
        const BoxAnswer a = answers.front();
        answers.pop_front();
        return a;
    }
    return request.buttons == BoxButtons::YesNo ? BoxAnswer::No : BoxAnswer::Ok;
}

std::optional<OpenFileAnswer> ScriptedUi::ChooseOpenFile(QWidget*, const OpenFileRequest& request) {
    openRequests.push_back(request);
    if (openAnswers.empty() || !openAnswers.front()) {
        if (!openAnswers.empty()) openAnswers.pop_front();
        return std::nullopt;
    }
    // Built from the engaged value: GCC's -Wmaybe-uninitialized misreads a copy of the
    // optional itself.
    OpenFileAnswer a = *openAnswers.front();
    openAnswers.pop_front();
    return a;
}

std::optional<FontChoice> ScriptedUi::ChooseFont(QWidget*, const FontChoice& initial) {
    fontRequests.push_back(initial);
    if (fontAnswers.empty() || !fontAnswers.front()) {
        if (!fontAnswers.empty()) fontAnswers.pop_front();
        return std::nullopt;
    }
    FontChoice a = *fontAnswers.front();
    fontAnswers.pop_front();
    return a;
}

std::optional<QColor> ScriptedUi::ChooseColor(QWidget*, const QColor&) {
    ++colorRequests;
    if (colorAnswers.empty()) return std::nullopt;
    std::optional<QColor> answer = colorAnswers.front();
    colorAnswers.pop_front();
    return answer;
}

std::optional<SaveFileAnswer> ScriptedUi::ChooseSaveFile(QWidget*, const SaveFileRequest& request,
                                                         const SaveDialogEvent& events) {
    saveRequests.push_back(request);
    SaveScript script;
    if (!saveScripts.empty()) {
        script = saveScripts.front();
        saveScripts.pop_front();
    }
    auto tell = [&](int index) {
        if (events) events(index, nullptr);
        if (seen) seen(index);
    };
    tell(request.filterIndex);
    for (int index : script.filterChanges) tell(index);
    tell(0);
    if (!script.answer) return std::nullopt;
    SaveFileAnswer answer = *script.answer;
    return answer;
}

bool ScriptedUi::ChoosePrinterSetup(QWidget*, PrinterBackend& printer) {
    ++printerSetupRequests;
    if (printerSetupAnswers.empty()) return false;
    const std::function<bool(PrinterBackend&)> answer = std::move(printerSetupAnswers.front());
    printerSetupAnswers.pop_front();
    return answer(printer);
}

std::optional<QString> ScriptedUi::ChooseFolder(QWidget*, const QString& title, const QString&) {
    folderTitles.push_back(title);
    if (folderAnswers.empty() || !folderAnswers.front()) {
        if (!folderAnswers.empty()) folderAnswers.pop_front();
        return std::nullopt;
    }
    QString answer = *folderAnswers.front();  // from the value: see ChooseOpenFile
    folderAnswers.pop_front();
    return answer;
}

void ScriptedUi::ProcessEvents() {
    ++processEventsCalls;
    QApplication::processEvents();
}

}  // namespace vellumo::test
