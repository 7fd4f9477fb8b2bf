#pragma once
// The viewer's "図面化" panel: the checker's predicted verdict on the picture as it is now,
// kept up to date off the window's thread; the fit to a B4 page at 400 dpi; and the save as
// a drawing under a name the name rule confirms, whose report then joins the checker's.

#include <QString>
#include <exception>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "document/DrawingPrediction.h"
#include "document/ViewerDocument.h"
#include "platform/BackgroundJob.h"
#include "ui/viewer/CategoryPanelWidget.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace vellumo {

class Session;

class DrawingPanel : public CategoryPanel {
    Q_OBJECT
  public:
    /// What the panel needs of its window.
    struct Hooks {
        /// A message in the window's style: a notice (information) or a refusal (plain).
        std::function<void(const QString& text, bool information)> showMessage;
        /// Starts a write of a file on the window's save worker; `done` runs on the window's
        /// thread with what it threw or null.
        std::function<void(BackgroundJob::Work write, std::function<void(std::exception_ptr)> done)>
            write;
        /// Waits for a write under way.
        std::function<void()> waitForWrite;
        /// A long command runs: the panel's commands do nothing meanwhile.
        std::function<bool()> busy;
        /// The fit has put a new picture in place.
        std::function<void()> pictureReplaced;
    };

    DrawingPanel(ViewerDocument& document, Session& session, Hooks hooks,
                 QWidget* parent = nullptr);
    /// Waits for a prediction under way: nothing of the panel runs after it is gone.
    ~DrawingPanel() override;

    /// The document has changed (its observer).
    void DocumentChanged(DocumentChanges changes);
    /// The threshold slider's value: a picture that is not one bit is predicted reduced at it.
    void SetThreshold(int threshold);

    /// "B4 400dpi に合わせる".
    void FitClick();
    /// The folder button: the folder dialog.
    void FolderClick();
    /// "図面として保存".
    void SaveClick();

    /// The folder the drawing is saved in, and the file it would be saved as.
    QString Folder() const { return folder_; }
    QString DrawingPath() const;
    /// The verdict shown (nothing while none is: a picture to fit, or none computed yet).
    const std::optional<DrawingPrediction>& Prediction() const { return shown_; }
    /// Whether a prediction is computed or waits to be.
    bool Predicting() const { return bool(job_) || bool(pending_); }

    // Controls.
    QLabel* VerdictLabel = nullptr;  ///< the nine marks, or what to do first
    QLabel* SizeLabel = nullptr;     ///< the data size against 300 KB
    QLabel* ResultLabel = nullptr;   ///< the verdict in a word
    QPushButton* FitButton = nullptr;
    QCheckBox* ShrinkCheck = nullptr;
    QComboBox* KindCombo = nullptr;
    QLineEdit* NumberEdit = nullptr;
    QLabel* NameLabel = nullptr;
    QPushButton* FolderButton = nullptr;
    QLabel* FolderLabel = nullptr;
    QPushButton* SaveButton = nullptr;

  signals:
    /// A new verdict (or what to do first) is shown.
    void PredictionShown();

  private:
    struct Request {
        std::shared_ptr<const Bitmap> source;
        int threshold = 0;
        std::string name;
        friend bool operator==(const Request&, const Request&) = default;
    };
    void BuildControls();
    /// The name typed or chosen has changed.
    void NameChanged();
    /// Asks for the verdict on the document as it is now.
    void Update();
    /// The picture predicted and saved: the preview's gray source while the preview is on,
    /// else the picture (copied once per change).
    std::shared_ptr<const Bitmap> Source();
    void StartPending();
    void PredictionEnded();
    /// `threshold`: the one the picture was reduced at, or below 0 for a one-bit picture.
    void ShowPrediction(const DrawingPrediction& prediction, int threshold);
    void ShowFitNeeded(const QString& text);
    void WriteEnded(const QString& path, const std::string& caption, std::exception_ptr error);

    ViewerDocument& document_;
    Session& session_;
    Hooks hooks_;
    int threshold_ = 128;
    QString folder_;
    bool folderChosen_ = false;
    std::shared_ptr<const Bitmap> source_;
    std::optional<Request> pending_;
    std::optional<Request> last_;
    std::unique_ptr<BackgroundJob> job_;
    Request running_;
    std::shared_ptr<std::optional<DrawingPrediction>> result_;
    std::optional<DrawingPrediction> shown_;
};

}  // namespace vellumo
