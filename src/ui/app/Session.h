#pragma once
// What the checker, the viewer and the settings dialog share for one run of the program:
// the settings file and the work folder, the Ghostscript search's result, the file checked
// last and the one handed to the viewer, the open dialog's folder and the About texts.
// Created at start-up before the windows, which get it by reference; no window keeps
// another window's values or writes its fields.

#include <QObject>
#include <QString>

#include "inspect/ImageInfo.h"

namespace vellumo {

class Session : public QObject {
    Q_OBJECT
  public:
    /// `settingsPath` is the settings file; `workFolder` where the viewer writes "tmp.tif"
    /// and "Tmp.png" (empty: the settings file's folder).
    explicit Session(QString settingsPath, QString workFolder = QString());

    const QString& SettingsPath() const { return settingsPath_; }
    const QString& WorkFolder() const { return workFolder_; }

    /// Looks for Ghostscript from `GsDir` and keeps the result; tells the windows that
    /// follow it (the settings dialog's PDF page).
    void SearchGhostscript();
    /// Sets the result as a search would have (the search's own tests and the windows'
    /// tests, which need no real search).
    void SetGhostscript(bool available, QString programPath);

    // The Ghostscript search: where the settings file says to look first, and what it found.
    QString GsDir;
    bool GhostscriptAvailable = false;
    /// The program to run (its folder and name), or just its name when none was found.
    QString GhostscriptFolder;
    int searchCount = 0;

    /// The file the checker checked last and the header facts it found.
    QString CheckedFileName;
    ImageInfo LastInfo;
    /// The file the checker hands to the viewer; the viewer clears it when it closes.
    QString HandOffFileName;
    /// The folder the checker's open dialog starts in (no trailing separator).
    QString LastFolder;

    /// The About box's version and release date.
    QString AboutmesVer;
    QString AboutmesDate;

  signals:
    void GhostscriptSearched(bool available);
    /// The viewer has written a drawing at `path`: the checker checks it and adds its report.
    void DrawingSaved(const QString& path);

  private:
    QString settingsPath_;
    QString workFolder_;
};

}  // namespace vellumo
