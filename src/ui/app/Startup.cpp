#include "ui/app/Startup.h"

#include <QDir>
#include <QEventLoop>
#include <QFileInfo>

#include "platform/HandOff.h"
#include "ui/app/Guarded.h"
#include "ui/app/HandOffSocket.h"
#include "ui/app/Session.h"
#include "ui/app/TAboutBox.h"
#include "ui/app/UiServices.h"
#include "ui/checker/TForm1.h"
#include "ui/settings/TForm3.h"
#include "ui/viewer/TForm2.h"

namespace vellumo {

RunningProgram::RunningProgram(SingleInstance held) : lock(std::move(held)) {}

RunningProgram::~RunningProgram() {
    handOff.reset();
    // The dialogs first: the checker window holds pointers to them.
    if (form1) {
        form1->SetAboutBox(nullptr);
        form1->SetSettingsDialog(nullptr);
    }
    form3.reset();
    aboutBox.reset();
    form1.reset();
    session.reset();
}

void OpenViewer(Session& session, TForm3* settingsDialog) {
    // A new viewer each time, modal over the program, gone when it closes.
    TForm2 viewer(session, settingsDialog);
    viewer.setWindowModality(Qt::ApplicationModal);
    QEventLoop loop;
    QObject::connect(&viewer, &TForm2::Closed, &loop, &QEventLoop::quit);
    viewer.show();
    loop.exec();
}

std::optional<RunningProgram> StartProgram(const ProgramFiles& places, const QStringList& files) {
    std::optional<SingleInstance> lock = SingleInstance::TryAcquire();
    if (!lock) {
        // The running copy's folder is not this one's: it gets absolute paths.
        QStringList absolute;
        for (const QString& f : files) absolute << QFileInfo(f).absoluteFilePath();
        const QString socket = QString::fromStdString(HandOffSocketPath());
        if (!files.isEmpty() && HandFilesToRunningCopy(socket, absolute)) return std::nullopt;
        MessageBoxRequest r;
        r.title = QStringLiteral("警告");
        r.text = QStringLiteral("Pelmoraは既に起動しています。");
        r.icon = BoxIcon::Warning;
        Ui().ShowMessage(nullptr, r);
        return std::nullopt;
    }
    RunningProgram program(std::move(*lock));
    program.session = std::make_unique<Session>(QString::fromStdString(places.settingsPath),
                                                QString::fromStdString(places.workFolder));
    Session& session = *program.session;
    program.form1 = std::make_unique<TForm1>(session, files);
    program.aboutBox = std::make_unique<TAboutBox>(&session.AboutmesVer, &session.AboutmesDate);
    program.form3 = std::make_unique<TForm3>();
    program.form3->SetSettingsPath(session.SettingsPath());
    // The dialog's PDF page follows the Ghostscript search.
    TForm3* dialog = program.form3.get();
    QObject::connect(&session, &Session::GhostscriptSearched, dialog,
                     [dialog](bool available) { dialog->SetGhostscriptAvailable(available); });
    program.form1->SetAboutBox(program.aboutBox.get());
    program.form1->SetSettingsDialog(dialog);
    program.form1->SetViewerOpener([dialog](Session& s) { OpenViewer(s, dialog); });
    // Only the holder of the lock may take over the socket's name.
    if (program.lock.Held()) {
        program.handOff =
            std::make_unique<HandOffServer>(QString::fromStdString(HandOffSocketPath()));
        TForm1* checker = program.form1.get();
        QObject::connect(program.handOff.get(), &HandOffServer::FilesReceived, checker,
                         Guarded(checker, [checker](const QStringList& paths) {
                             checker->ReceiveFiles(paths);
                         }));
    }
    return program;
}

std::optional<RunningProgram> StartProgram(const QString& executablePath,
                                           const QStringList& files) {
    return StartProgram(ChooseProgramFiles(executablePath.toStdString()), files);
}

}  // namespace vellumo
