// The program: one copy per login, then the checker window, the About box and the settings
// dialog, which live until the checker window closes.

#include "app/Application.h"
#include "app/Startup.h"
#include "app/TAboutBox.h"
#include "settings/TForm3.h"
#include "checker_ui/TForm1.h"

int main(int argc, char** argv) {
    using namespace vellumo;
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
