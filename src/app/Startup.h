#pragma once
// Start-up in its order: the single-instance lock, then the three windows that live for the
// whole run.

#include <QString>
#include <QStringList>
#include <memory>
#include <optional>

#include "platform/SingleInstance.h"

namespace vellumo {

class TAboutBox;
class TForm1;
class TForm3;

/// The program once started: the lock it holds and its windows, created in the order
/// checker window, About box, settings dialog (and destroyed in reverse).
struct RunningProgram {
    SingleInstance lock;
    std::unique_ptr<TForm1> form1;
    std::unique_ptr<TAboutBox> aboutBox;
    std::unique_ptr<TForm3> form3;
    RunningProgram(SingleInstance held) : lock(std::move(held)) {}
    RunningProgram(RunningProgram&&) = default;
    ~RunningProgram();
};

/// The checker's viewer button: a new viewer on the handed-off file, shown modally; returns
/// when it has closed.
void OpenViewer(TForm1& checker, TForm3* settingsDialog);

/// Takes the lock named "Voda"; when another copy holds it, shows the warning "警告" /
/// "Pelmoraは既に起動しています。" and returns nothing, creating no window. Otherwise
/// creates the windows (not yet shown). `executablePath` decides the settings file;
/// `files` are the command-line paths the checker window checks when first shown.
std::optional<RunningProgram> StartProgram(const QString& executablePath, const QStringList& files);

}  // namespace vellumo
