#pragma once
// The one seam for everything modal: message boxes and the common dialogs. The windows call
// Ui(); the program installs the Qt implementation, the window tests a scripted one that
// records what was shown and answers as told.

#include <QColor>
#include <QFont>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

class QWidget;

namespace vellumo {

class PrinterBackend;

enum class BoxIcon { None, Information, Warning, Critical, Question };
/// The buttons of a message box and the answer given.
enum class BoxButtons { Ok, OkCancel, YesNo };
enum class BoxAnswer { Ok, Cancel, Yes, No };

/// A message box as the windows ask for it.
struct MessageBoxRequest {
    QString title;
    QString text;  ///< line breaks as LF (the windows turn CR LF into LF)
    BoxIcon icon = BoxIcon::None;
    BoxButtons buttons = BoxButtons::Ok;
    bool stayOnTop = false;  ///< kept above all windows
};

/// An open-file dialog request. Filters in the Windows form "description|patterns|...".
struct OpenFileRequest {
    QString title;
    QString folder;       ///< start folder; empty: the dialog's own choice
    QString filter;       ///< "Graphics_files (ALL)|*.bmp;*.jpg|..." pairs
    int filterIndex = 1;  ///< 1-based, as the Windows dialog counts
};
struct OpenFileAnswer {
    QString path;
    int filterIndex = 1;
};

/// A save-file dialog request; the dialog asks nothing about an existing file (the caller
/// does).
struct SaveFileRequest {
    QString title;
    QString folder;    ///< start folder
    QString fileName;  ///< proposed name, without folder
    QString filter;    ///< Windows form, as for OpenFileRequest
    int filterIndex = 1;
};
using SaveFileAnswer = OpenFileAnswer;
/// What an open save dialog tells its caller: the filter index (1-based) when the dialog
/// appears and whenever the user picks another type, and 0 once it has closed (confirmed
/// or not), before it is gone. `dialog` is the dialog's window where there is one, so a
/// companion window can be made usable beside the modal dialog; null otherwise.
using SaveDialogEvent = std::function<void(int filterIndex, QWidget* dialog)>;

/// A font with the colour the Windows font dialog also chooses.
struct FontChoice {
    QFont font;
    QColor color;
};

class UiServices {
  public:
    virtual ~UiServices() = default;
    virtual BoxAnswer ShowMessage(QWidget* parent, const MessageBoxRequest& request) = 0;
    /// The chosen file, or nothing when the user cancelled.
    virtual std::optional<OpenFileAnswer> ChooseOpenFile(QWidget* parent,
                                                         const OpenFileRequest& request) = 0;
    /// The chosen name and the filter index at the moment of confirming, or nothing when
    /// the user cancelled. `events` may be empty.
    virtual std::optional<SaveFileAnswer> ChooseSaveFile(QWidget* parent,
                                                         const SaveFileRequest& request,
                                                         const SaveDialogEvent& events) = 0;
    virtual std::optional<FontChoice> ChooseFont(QWidget* parent, const FontChoice& initial) = 0;
    virtual std::optional<QColor> ChooseColor(QWidget* parent, const QColor& initial) = 0;
    virtual std::optional<QString> ChooseFolder(QWidget* parent, const QString& title,
                                                const QString& start) = 0;
    /// The printer setup dialog (printer, paper, orientation) on `printer`: true when the
    /// user confirmed, the printer and settings chosen in it then current.
    virtual bool ChoosePrinterSetup(QWidget* parent, PrinterBackend& printer) = 0;
    /// Lets pending window messages run (repaint between dropped files, long loops).
    virtual void ProcessEvents() = 0;
};

/// The services in use: the Qt implementation unless SetUiServices installed another.
UiServices& Ui();
/// Installs `services` (not owned; nullptr restores the Qt implementation).
void SetUiServices(UiServices* services);

/// Turns a Windows filter "a|*.x;*.y|b|*.z" into Qt name filters "a (*.x *.y)".
QStringList QtNameFilters(const QString& windowsFilter);

/// Shows the application's error box for an error text: title "Vellumo", error icon, the
/// text with the full-stop rule of the error box.
void ShowErrorBox(QWidget* parent, const std::string& message);

}  // namespace vellumo
