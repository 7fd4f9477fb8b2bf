#pragma once
// Start-up in its order: the single-instance lock, then the three windows that live for the
// whole run.

#include <QString>
#include <QStringList>
#include <memory>
#include <optional>

#include "platform/ProgramFiles.h"
#include "platform/SingleInstance.h"

namespace vellumo {

class HandOffServer;
class Session;
class TAboutBox;
class TForm1;
class TForm3;

/// The program once started: the lock it holds, what its windows share and its windows,
/// created in the order session, checker window, About box, settings dialog (and destroyed
/// in reverse).
struct RunningProgram {
    SingleInstance lock;
    std::unique_ptr<Session> session;
    std::unique_ptr<TForm1> form1;
    std::unique_ptr<TAboutBox> aboutBox;
    std::unique_ptr<TForm3> form3;
    /// Receives the files of later starts (none when the lock is not held).
    std::unique_ptr<HandOffServer> handOff;
    RunningProgram(SingleInstance held);
    RunningProgram(RunningProgram&&) = default;
    ~RunningProgram();
};

/// The checker's viewer button: a new viewer on the session's handed-off file, shown
/// modally; returns when it has closed.
void OpenViewer(Session& session, TForm3* settingsDialog);

/// Takes the lock named "Voda". When another copy holds it: with `files`, hands them to
/// that copy (which checks them as if dropped) and returns nothing without a message;
/// without files, or when the running copy does not take them, shows the warning "警告" /
/// "Pelmoraは既に起動しています。" and returns nothing, creating no window. Otherwise
/// creates the windows (not yet shown) and listens for the files of later starts.
/// `places` are the settings file and the working folder; `files` are the command-line
/// paths the checker window checks when first shown.
std::optional<RunningProgram> StartProgram(const ProgramFiles& places, const QStringList& files);
/// The same with the places chosen for `executablePath` (ChooseProgramFiles).
std::optional<RunningProgram> StartProgram(const QString& executablePath, const QStringList& files);

}  // namespace vellumo
