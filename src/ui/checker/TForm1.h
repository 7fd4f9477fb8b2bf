#pragma once
// The checker window: files dropped, opened or named on the command line get their report
// blocks in the report box; it opens the viewer on the file checked last.

#include <QMainWindow>
#include <QPlainTextEdit>
#include <QPointer>
#include <QStringList>
#include <functional>
#include <memory>

#include "check/CheckFile.h"
#include "inspect/ImageInfo.h"

class QCheckBox;
class QFrame;
class QPushButton;
class QStatusBar;
class QToolButton;

namespace vellumo {

struct CheckerSettings;
class Session;
class TAboutBox;
class TForm3;
class Memo1ReportView;

/// The report box: a read-only text box that tells its window about double clicks.
class ReportMemo : public QPlainTextEdit {
    Q_OBJECT
  public:
    using QPlainTextEdit::QPlainTextEdit;
  signals:
    void DoubleClicked();

  protected:
    void mouseDoubleClickEvent(QMouseEvent* event) override;
};

class TForm1 : public QMainWindow {
    Q_OBJECT
  public:
    /// `session` holds the settings file and what the windows share;
    /// `commandLineFiles` are checked when the window is first shown.
    TForm1(Session& session, QStringList commandLineFiles, QWidget* parent = nullptr);
    ~TForm1() override;

    /// The windows created after this one at start-up.
    void SetAboutBox(TAboutBox* box) { aboutBox_ = box; }
    void SetSettingsDialog(TForm3* dialog) { settingsDialog_ = dialog; }
    /// What the viewer button calls once it has handed the file over (the session's
    /// HandOffFileName set, this window minimized); it returns when the viewer has closed.
    void SetViewerOpener(std::function<void(Session&)> opener) {
        viewerOpener_ = std::move(opener);
    }

    /// The values the windows share.
    Session& Shared() const { return session_; }
    /// The report box shows the usage text (its info-tip background).
    bool ShowingUsage() const;

    // Handlers.
    void FormCreate();
    void FormShow();
    void FormClose();
    /// Checks dropped paths in order: folders and other non-files skipped, ten at most,
    /// then the too-many message.
    void DropFiles(const QStringList& paths);
    void Button1Click();
    void Button2Click();
    void Button3Click();
    void Button4Click();
    void CheckBox1Click();
    void Memo1DblClick();
    void SpeedButton1Click();

    /// Files named by a second start of the program: checked as a drop, and the window
    /// comes to the front. While the viewer is open, a message box is up, or a list is
    /// being checked, they wait and are checked, in their order, once that is over.
    void ReceiveFiles(const QStringList& paths);
    /// Files received and not yet checked, one list per start.
    const QList<QStringList>& WaitingFiles() const { return waitingFiles_; }

    /// Sets every control's enabled state. The checker's commands all stay available: while
    /// the viewer is open it is modal over this window, and files received meanwhile wait.
    void updateActions();

    /// Checks one file into the report (the window's CheckFile). Throws Error.
    void CheckFile(const QString& path);

    /// The twelve lines of the usage text.
    static QStringList UsageText();

  protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    // Controls, by their names (also their object names, by which tests find them).
    QPushButton* Button1 = nullptr;       // 開く
    QPushButton* Button2 = nullptr;       // クリアー
    QPushButton* Button3 = nullptr;       // 閉じる
    QPushButton* Button4 = nullptr;       // Ｖiewer
    QToolButton* SpeedButton1 = nullptr;  // ?
    QCheckBox* CheckBox1 = nullptr;       // 最前面に固定
    QCheckBox* CheckBox2 = nullptr;       // 図面のチェック
    QCheckBox* CheckBox3 = nullptr;       // Pathも表示
    ReportMemo* Memo1 = nullptr;
    QStatusBar* StatusBar1 = nullptr;
    QFrame* Panel1 = nullptr;

    void BuildControls();
    void ShowUsage();
    void CloseAboutBox();
    void ShowTooMany();
    /// Checks each path in turn, ten at most; an error shows the error box and stops. Then
    /// the received files that waited for it.
    void CheckList(const QStringList& paths);
    void CheckEach(const QStringList& paths);
    /// Checks the received files when nothing holds them back (see ReceiveFiles); what
    /// holds them back calls it again when it ends.
    void CheckWaitingFiles();
    /// The modal window the received files wait for: its hide (or deletion) ends the wait.
    void WatchModal(QWidget* modal);
    void ModalEnded();
    QColor ReportFontColor() const;
    void ApplySettings(const CheckerSettings& settings);
    CheckerSettings CollectSettings() const;

    Session& session_;
    QList<QStringList> waitingFiles_;
    bool startChecked_ = false;  ///< the command-line files have been checked
    int listsBeingChecked_ = 0;
    bool viewerOpen_ = false;
    QPointer<QWidget> watchedModal_;
    QStringList commandLineFiles_;
    bool shownOnce_ = false;
    int openFilterIndex_ = 1;
    TAboutBox* aboutBox_ = nullptr;
    TForm3* settingsDialog_ = nullptr;
    std::function<void(Session&)> viewerOpener_;
    std::unique_ptr<Memo1ReportView> view_;
};

}  // namespace vellumo
