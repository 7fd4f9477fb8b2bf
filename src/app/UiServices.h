#pragma once
// The one seam for everything modal: message boxes and the common dialogs. The windows call
// Ui(); the program installs the Qt implementation, the window tests a scripted one that
// records what was shown and answers as told.

#include <QColor>
#include <QFont>
#include <QString>
#include <QStringList>
#include <optional>

class QWidget;

namespace vellumo {

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
    QString folder;        ///< start folder; empty: the dialog's own choice
    QString filter;        ///< "Graphics_files (ALL)|*.bmp;*.jpg|..." pairs
    int filterIndex = 1;   ///< 1-based, as the Windows dialog counts
};
struct OpenFileAnswer {
    QString path;
    int filterIndex = 1;
};

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
    virtual std::optional<FontChoice> ChooseFont(QWidget* parent, const FontChoice& initial) = 0;
    virtual std::optional<QColor> ChooseColor(QWidget* parent, const QColor& initial) = 0;
    virtual std::optional<QString> ChooseFolder(QWidget* parent, const QString& title,
                                                const QString& start) = 0;
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
