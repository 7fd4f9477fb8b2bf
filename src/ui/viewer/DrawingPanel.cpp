#include "ui/viewer/DrawingPanel.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "document/DrawingDraft.h"
#include "document/DrawingPipeline.h"
#include "save/SaveFormats.h"
#include "ui/app/Guarded.h"
#include "ui/app/NamedWidgets.h"
#include "ui/app/Session.h"
#include "ui/app/UiServices.h"
#include "ui/app/WaitCursor.h"
#include "ui/viewer/TForm2Support.h"

namespace vellumo {

namespace {

constexpr int kContentHeight = 306;
constexpr uint64_t kDataSizeLimit = 307200;

QString Mark(bool confirmed) {
    return confirmed ? QStringLiteral("<span style='color:#007000'>○</span>")
                     : QStringLiteral("<span style='color:#c00000'><b>×</b></span>");
}

}  // namespace

DrawingPanel::DrawingPanel(ViewerDocument& document, Session& session, Hooks hooks, QWidget* parent)
    : CategoryPanel(QStringLiteral("図面化"), kContentHeight, parent),
      document_(document),
      session_(session),
      hooks_(std::move(hooks)) {
    BuildControls();
    DocumentChanged(DocumentPart::Picture | DocumentPart::File);
}

DrawingPanel::~DrawingPanel() {
    // The worker posts its end to this panel: it must be over before the panel goes.
    job_.reset();
}

void DrawingPanel::BuildControls() {
    QWidget* c = Content();
    VerdictLabel = NamedLabel(c, "VerdictLabel", QString(), QRect(4, 2, 108, 66));
    VerdictLabel->setWordWrap(true);
    VerdictLabel->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    VerdictLabel->setTextFormat(Qt::RichText);
    SizeLabel = NamedLabel(c, "SizeLabel", QString(), QRect(4, 68, 108, 16));
    ResultLabel = NamedLabel(c, "ResultLabel", QString(), QRect(4, 84, 108, 42));
    ResultLabel->setWordWrap(true);
    ResultLabel->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    FitButton = NamedButton(c, "FitButton", QStringLiteral("B4 400dpi に\n合わせる"),
                            QRect(4, 128, 108, 36));
    FitButton->setToolTip(
        QStringLiteral("400dpi の実寸にして横向きの B4 用紙に置きます（reLoad で元に戻ります）"));
    ShrinkCheck =
        NamedCheck(c, "ShrinkCheck", QStringLiteral("縮小して収める"), QRect(4, 166, 108, 20));
    ShrinkCheck->setToolTip(QStringLiteral("B4 に収まらない図面は縮小します（縮尺が変わります）"));
    KindCombo = new QComboBox(c);
    KindCombo->setObjectName(QStringLiteral("KindCombo"));
    for (std::string_view kind : kDrawingKinds) KindCombo->addItem(Q(kind));
    KindCombo->setCurrentIndex(1);
    KindCombo->setGeometry(4, 190, 108, 22);
    NamedLabel(c, "NumberCaption", QStringLiteral("番号 ："), QRect(4, 216, 36, 18));
    NumberEdit = new QLineEdit(QStringLiteral("1"), c);
    NumberEdit->setObjectName(QStringLiteral("NumberEdit"));
    NumberEdit->setGeometry(42, 214, 70, 22);
    NumberEdit->setToolTip(QStringLiteral("１～５桁の数字"));
    NameLabel = NamedLabel(c, "NameLabel", QString(), QRect(4, 238, 108, 16));
    FolderLabel = NamedLabel(c, "FolderLabel", QString(), QRect(4, 258, 78, 16));
    FolderButton = NamedButton(c, "FolderButton", QStringLiteral("..."), QRect(84, 255, 28, 22));
    FolderButton->setToolTip(QStringLiteral("保存先フォルダの指定"));
    SaveButton =
        NamedButton(c, "SaveButton", QStringLiteral("図面として保存"), QRect(4, 279, 108, 25));

    connect(FitButton, &QPushButton::clicked, this, Guarded(this, [this] { FitClick(); }));
    connect(FolderButton, &QPushButton::clicked, this, Guarded(this, [this] { FolderClick(); }));
    connect(SaveButton, &QPushButton::clicked, this, Guarded(this, [this] { SaveClick(); }));
    connect(KindCombo, &QComboBox::currentIndexChanged, this,
            Guarded(this, [this] { NameChanged(); }));
    connect(NumberEdit, &QLineEdit::textChanged, this, Guarded(this, [this] { NameChanged(); }));
    NameChanged();
}

QString DrawingPanel::DrawingPath() const {
    return QDir(folder_).filePath(
        Q(DrawingFileName(Utf8(KindCombo->currentText()), Utf8(NumberEdit->text()))));
}

void DrawingPanel::DocumentChanged(DocumentChanges changes) {
    // The preview's gray source stays while the slider's threshold changes the picture.
    if (changes.Has(DocumentPart::Preview) ||
        (changes.Has(DocumentPart::Picture) && !document_.PreviewOn()))
        source_.reset();
    if (changes.Has(DocumentPart::File)) {
        // A picture named as a drawing is saved under its own name by default.
        const std::string& opened =
            document_.PdfConverted() ? document_.OrgFName() : document_.FileName2();
        if (const auto parts = DrawingNameParts(Utf8(QFileInfo(Q(opened)).completeBaseName()))) {
            KindCombo->setCurrentText(Q(parts->first));
            NumberEdit->setText(Q(parts->second));
        }
    }
    if (changes.Has(DocumentPart::File) && !folderChosen_) {
        const SaveProposal proposal =
            ProposeSaveName(document_.FileName2(), document_.OrgFName(), document_.PdfConverted());
        folder_ = QFileInfo(Q(proposal.folder.empty() ? "." : proposal.folder)).absoluteFilePath();
        FolderLabel->setText(FolderLabel->fontMetrics().elidedText(
            QDir::toNativeSeparators(folder_), Qt::ElideLeft, FolderLabel->width()));
        FolderLabel->setToolTip(QDir::toNativeSeparators(folder_));
    }
    if (changes.Has(DocumentPart::Picture) || changes.Has(DocumentPart::Preview) ||
        changes.Has(DocumentPart::Resolution))
        Update();
}

void DrawingPanel::SetThreshold(int threshold) {
    threshold_ = threshold;
    Update();
}

void DrawingPanel::NameChanged() {
    const std::string name =
        DrawingFileName(Utf8(KindCombo->currentText()), Utf8(NumberEdit->text()));
    const std::optional<std::string> refusal = DrawingNameRefusal(name);
    NameLabel->setText(
        NameLabel->fontMetrics().elidedText(Q(name), Qt::ElideMiddle, NameLabel->width()));
    NameLabel->setStyleSheet(refusal ? QStringLiteral("color: #c00000") : QString());
    NameLabel->setToolTip(refusal ? Q(*refusal).trimmed() : Q(name));
    Update();
}

std::shared_ptr<const Bitmap> DrawingPanel::Source() {
    if (!source_)
        source_ = std::make_shared<const Bitmap>(document_.PreviewOn() ? document_.Image2()
                                                                       : document_.Picture());
    return source_;
}

void DrawingPanel::Update() {
    const Bitmap& picture = document_.PreviewOn() ? document_.Image2() : document_.Picture();
    if (const std::optional<std::string> need = DrawingFitNeeded(picture, document_.Resolution())) {
        // A prediction under way is for a picture no longer shown; its end is ignored.
        pending_.reset();
        last_.reset();
        ShowFitNeeded(Q(*need));
        return;
    }
    Request request;
    request.source = Source();
    // A one-bit picture is saved as it is, whatever the slider says.
    request.threshold = request.source->Format() == PixelFormat::Bit1 ? -1 : threshold_;
    request.name = DrawingFileName(Utf8(KindCombo->currentText()), Utf8(NumberEdit->text()));
    if (last_ && *last_ == request) return;
    last_ = request;
    // A newer request replaces one that waits; the one under way runs to its end.
    pending_ = std::move(request);
    if (!job_) StartPending();
}

void DrawingPanel::StartPending() {
    running_ = std::move(*pending_);
    pending_.reset();
    result_ = std::make_shared<std::optional<DrawingPrediction>>();
    job_ = std::make_unique<BackgroundJob>(
        [request = running_, result = result_](const BackgroundJob::Progress&) {
            *result = PredictDrawingCheck(DrawingOfPicture(*request.source, request.threshold),
                                          request.name);
        },
        [this] {
            QMetaObject::invokeMethod(this, Guarded(this, [this] { PredictionEnded(); }),
                                      Qt::QueuedConnection);
        });
}

void DrawingPanel::PredictionEnded() {
    if (!job_ || !job_->Ended()) return;
    const std::exception_ptr error = job_->Join();
    job_.reset();
    const bool current = last_ && *last_ == running_;
    running_ = Request();
    if (current) {
        if (!error && *result_) {
            ShowPrediction(**result_, last_->threshold);
        } else {
            shown_.reset();
            VerdictLabel->setText(QStringLiteral("判定できません"));
            SizeLabel->clear();
            ResultLabel->clear();
            emit PredictionShown();
        }
    }
    result_.reset();
    if (pending_) StartPending();
}

void DrawingPanel::ShowPrediction(const DrawingPrediction& prediction, int threshold) {
    shown_ = prediction;
    QString rows = QStringLiteral("<table cellspacing='0' cellpadding='0'><tr>");
    QStringList lines;
    int column = 0;
    for (size_t i = 0; i < kJudgedItemCount; ++i) {
        if (column == 2) {
            rows += QStringLiteral("</tr><tr>");
            column = 0;
        }
        rows += QStringLiteral("<td width='54'>") + Mark(prediction.verdict.confirmed[i]) +
                Q(JudgedItemLabel(JudgedItem(i))) + QStringLiteral("</td>");
        ++column;
    }
    rows += QStringLiteral("</tr></table>");
    for (const JudgedLine& line : prediction.lines) lines << Q(line.text);
    VerdictLabel->setText(rows);
    VerdictLabel->setToolTip(lines.join(QLatin1Char('\n')));
    SizeLabel->setText(Q(DataSizeAgainstLimit(prediction.dataSize)));
    SizeLabel->setStyleSheet(prediction.dataSize > kDataSizeLimit ? QStringLiteral("color: #c00000")
                                                                  : QString());
    QString result = Q(PredictedVerdictText(prediction.verdict));
    if (threshold >= 0) result += QStringLiteral("\nしきい値 %1 で\n２値化した場合").arg(threshold);
    ResultLabel->setText(result);
    ResultLabel->setStyleSheet(prediction.verdict.Passed() ? QStringLiteral("color: #007000")
                                                           : QStringLiteral("color: #c00000"));
    emit PredictionShown();
}

void DrawingPanel::ShowFitNeeded(const QString& text) {
    shown_.reset();
    VerdictLabel->setText(text.trimmed().toHtmlEscaped());
    VerdictLabel->setToolTip(QString());
    SizeLabel->clear();
    ResultLabel->clear();
    emit PredictionShown();
}

void DrawingPanel::FitClick() {
    if (hooks_.busy()) return;
    hooks_.waitForWrite();
    if (document_.Picture().Empty()) {
        hooks_.showMessage(Q(kNoPictureText), false);
        return;
    }
    DrawingOptions options;
    options.threshold = threshold_;
    options.shrinkToFit = ShrinkCheck->isChecked();
    PagePlacement placement;
    try {
        const WaitCursor wait;
        placement = document_.FitToDrawingPage(options);
    } catch (const ContentTooLarge& e) {
        hooks_.showMessage(
            Q(e.what()) +
                QStringLiteral("\n「縮小して収める」にチェックを入れると縮小して収めます。"),
            false);
        return;
    }
    hooks_.pictureReplaced();
    QStringList notes;
    if (placement.turned) notes << Q(TurnedText());
    if (placement.shrink < 1) notes << Q(ShrunkText(placement.shrink));
    if (!notes.isEmpty()) hooks_.showMessage(notes.join(QLatin1Char('\n')), true);
}

void DrawingPanel::FolderClick() {
    const std::optional<QString> chosen =
        Ui().ChooseFolder(window(), QStringLiteral("保存先フォルダの指定"), folder_);
    if (!chosen || chosen->isEmpty()) return;
    folder_ = *chosen;
    folderChosen_ = true;
    FolderLabel->setText(FolderLabel->fontMetrics().elidedText(
        QDir::toNativeSeparators(folder_), Qt::ElideLeft, FolderLabel->width()));
    FolderLabel->setToolTip(QDir::toNativeSeparators(folder_));
}

void DrawingPanel::SaveClick() {
    if (hooks_.busy()) return;
    hooks_.waitForWrite();
    const Bitmap& picture = document_.PreviewOn() ? document_.Image2() : document_.Picture();
    if (picture.Empty()) {
        hooks_.showMessage(Q(kNoPictureText), false);
        return;
    }
    if (DrawingFitNeeded(picture, document_.Resolution())) {
        hooks_.showMessage(
            QStringLiteral("　「B4 400dpi に合わせる」で図面の用紙にしてから保存してください。　"),
            false);
        return;
    }
    const std::string name =
        DrawingFileName(Utf8(KindCombo->currentText()), Utf8(NumberEdit->text()));
    if (const std::optional<std::string> refusal = DrawingNameRefusal(name)) {
        hooks_.showMessage(Q(*refusal), false);
        return;
    }
    if (!QFileInfo(folder_).isDir()) {
        hooks_.showMessage(QStringLiteral("　保存先のフォルダがありません。　\n") + folder_, false);
        return;
    }
    const QString path = DrawingPath();
    if (QFileInfo::exists(path)) {
        MessageBoxRequest r;
        r.title = QStringLiteral("確認");
        r.text = QString::fromUtf8(kOverwriteQuestionText);
        r.icon = BoxIcon::Question;
        r.buttons = BoxButtons::YesNo;
        if (Ui().ShowMessage(window(), r) != BoxAnswer::Yes) return;
    }
    const std::shared_ptr<const Bitmap> source = Source();
    const int threshold = threshold_;
    auto caption = std::make_shared<std::string>();
    hooks_.write(
        [source, threshold, target = Utf8(path), caption](const BackgroundJob::Progress& progress) {
            *caption = SavePicture(DrawingOfPicture(*source, threshold), target, SaveType::Tiff,
                                   DrawingSaveOptions(), progress);
        },
        [this, path, caption](std::exception_ptr error) { WriteEnded(path, *caption, error); });
}

void DrawingPanel::WriteEnded(const QString& path, const std::string& caption,
                              std::exception_ptr error) {
    if (error) {
        try {
            std::rethrow_exception(error);
        } catch (const SaveFailure& failure) {
            if (failure.Display() == FailureDisplay::ErrorBox)
                ShowErrorBox(window(), failure.what());
            else
                hooks_.showMessage(Q(failure.what()), false);
        }
        return;
    }
    window()->setWindowTitle(Q(caption));
    // The checker checks the file from disk and adds its report block.
    emit session_.DrawingSaved(path);
}

}  // namespace vellumo
