#include "app/Startup.h"

#include "app/HandOffSocket.h"
#include "app/TAboutBox.h"
#include "app/UiServices.h"
#include "checker_ui/TForm1.h"
#include "settings/TForm3.h"
#include "viewer/TForm2.h"

#include <QDir>
#include <QEventLoop>
#include <QFileInfo>

#include "platform/HandOff.h"

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
}

void OpenViewer(TForm1& checker, TForm3* settingsDialog) {
    // A new viewer each time, modal over the program, gone when it closes.
    TForm2 viewer(checker, settingsDialog);
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
    const QString settingsPath = QString::fromStdString(places.settingsPath);
    program.form1 = std::make_unique<TForm1>(settingsPath, files);
    program.form1->SetWorkFolder(QString::fromStdString(places.workFolder));
    program.aboutBox =
        std::make_unique<TAboutBox>(&program.form1->AboutmesVer, &program.form1->AboutmesDate);
    program.form3 = std::make_unique<TForm3>();
    program.form3->SettingsPath = settingsPath;
    program.form1->SetAboutBox(program.aboutBox.get());
    program.form1->SetSettingsDialog(program.form3.get());
    program.form1->SetViewerOpener([dialog = program.form3.get()](TForm1& checker) {
        OpenViewer(checker, dialog);
    });
    // Only the holder of the lock may take over the socket's name.
    if (program.lock.Held()) {
        program.handOff =
            std::make_unique<HandOffServer>(QString::fromStdString(HandOffSocketPath()));
        QObject::connect(program.handOff.get(), &HandOffServer::FilesReceived,
                         program.form1.get(), &TForm1::ReceiveFiles);
    }
    return program;
}

std::optional<RunningProgram> StartProgram(const QString& executablePath, const QStringList& files) {
    return StartProgram(ChooseProgramFiles(executablePath.toStdString()), files);
}

}  // namespace vellumo
