#include "ui/app/Session.h"

#include <QFileInfo>

#include "document/FindGhostscript.h"
#include "platform/Version.h"

namespace vellumo {

Session::Session(QString settingsPath, QString workFolder)
    : settingsPath_(std::move(settingsPath)), workFolder_(std::move(workFolder)) {
    if (workFolder_.isEmpty()) workFolder_ = QFileInfo(settingsPath_).absolutePath();
    AboutmesVer = QStringLiteral("Ver.") + QString::fromUtf8(ProgramVersion());
    AboutmesDate = QStringLiteral("2021.02.26");
}

void Session::SearchGhostscript() {
    const GhostscriptResult search = FindGhostscript(GsDir.toStdString());
    searchCount = search.searchCount;
    SetGhostscript(search.GhostscriptAvailable, QString::fromStdString(search.GhostscriptFolder));
}

void Session::SetGhostscript(bool available, QString programPath) {
    GhostscriptAvailable = available;
    GhostscriptFolder = std::move(programPath);
    emit GhostscriptSearched(available);
}

}  // namespace vellumo
