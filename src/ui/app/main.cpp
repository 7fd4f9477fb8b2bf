// The program: one copy per login, then the checker window, the About box and the settings
// dialog, which live until the checker window closes.

#include <cstdio>
#include <cstring>

#include "platform/Version.h"
#include "ui/app/Application.h"
#include "ui/app/Startup.h"
#include "ui/app/TAboutBox.h"
#include "ui/checker/TForm1.h"
#include "ui/settings/TForm3.h"

int main(int argc, char** argv) {
    using namespace vellumo;
    // Answered before anything else: no display, no lock, no window.
    if (argc == 2 && std::strcmp(argv[1], "--version") == 0) {
        std::printf("vellumo %s\n", ProgramVersion());
        return 0;
    }
    QApplication app(argc, argv);
    InitializeApplication(app);
    QStringList files = QApplication::arguments();
    files.removeFirst();
    std::optional<RunningProgram> program =
        StartProgram(QApplication::applicationFilePath(), files);
    if (!program) return 0;
    program->form1->show();
    return app.exec();
}
