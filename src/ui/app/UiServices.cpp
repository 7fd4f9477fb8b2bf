#include "ui/app/UiServices.h"

#include <QApplication>
#include <QColorDialog>
#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFontDialog>
#include <QFontInfo>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPushButton>
#include <QVBoxLayout>

#include "platform/Error.h"
#include "ui/app/Guarded.h"
#include "ui/print/PrinterBackendQt.h"

namespace vellumo {

namespace {

QMessageBox::Icon QtIcon(BoxIcon icon) {
    switch (icon) {
        case BoxIcon::Information:
            return QMessageBox::Information;
        case BoxIcon::Warning:
            return QMessageBox::Warning;
        case BoxIcon::Critical:
            return QMessageBox::Critical;
        case BoxIcon::Question:
            return QMessageBox::Question;
        case BoxIcon::None:
            break;
    }
    return QMessageBox::NoIcon;
}

/// `font` under the family it is drawn with: a stored family this system lacks ("ＭＳ ゴシック")
/// is drawn with a substitute, and Qt's font dialog lists only the families there are.
QFont AsDrawn(const QFont& font) {
    QFont drawn = font;
    drawn.setFamilies({QFontInfo(font).family()});
    return drawn;
}

// The Windows font dialog also picks the colour of the text; Qt's does not, so the Qt one
// is embedded with a colour button beside it.
class FontAndColorDialog : public QDialog {
  public:
    FontAndColorDialog(QWidget* parent, const FontChoice& initial)
        : QDialog(parent), color_(initial.color) {
        setWindowTitle(QStringLiteral("フォント"));
        // It opens on the family, style and size the text is drawn with.
        fonts_ = new QFontDialog(AsDrawn(initial.font), this);
        fonts_->setWindowFlags(Qt::Widget);
        fonts_->setOptions(QFontDialog::NoButtons | QFontDialog::DontUseNativeDialog);
        // Embedded, Qt's dialog would take Enter and Escape for itself (and hide itself on
        // Escape): they answer this dialog instead.
        fonts_->installEventFilter(this);
        auto* colorButton = new QPushButton(QStringLiteral("色(&C)..."), this);
        swatch_ = new QLabel(this);
        swatch_->setFixedSize(40, 20);
        PaintSwatch();
        connect(colorButton, &QPushButton::clicked, this, [this] {
            const QColor c = QColorDialog::getColor(color_, this);
            if (c.isValid()) {
                color_ = c;
                PaintSwatch();
            }
        });
        auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
        connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
        connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
        auto* colorRow = new QHBoxLayout;
        colorRow->addWidget(colorButton);
        colorRow->addWidget(swatch_);
        colorRow->addStretch();
        auto* layout = new QVBoxLayout(this);
        layout->addWidget(fonts_);
        layout->addLayout(colorRow);
        layout->addWidget(buttons);
    }
    FontChoice Choice() const { return FontChoice{fonts_->currentFont(), color_}; }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched != fonts_ || event->type() != QEvent::KeyPress)
            return QDialog::eventFilter(watched, event);
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->matches(QKeySequence::Cancel)) {
            reject();
            return true;
        }
        if ((key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) &&
            !(key->modifiers() & ~Qt::KeypadModifier)) {
            accept();
            return true;
        }
        return false;
    }

  private:
    void PaintSwatch() {
        swatch_->setStyleSheet(
            QStringLiteral("background:%1; border:1px solid gray;").arg(color_.name()));
    }
    QFontDialog* fonts_;
    QLabel* swatch_;
    QColor color_;
};

/// Puts a Windows-form filter on `dialog` with entry `index` (1-based) chosen. Returns the
/// entries as the dialog holds them: it simplifies their blanks ("All Graphics " loses its
/// trailing one), so they are looked up in this form, never in the one given.
QStringList SetFilters(QFileDialog& dialog, const QString& filter, int index) {
    dialog.setNameFilters(QtNameFilters(filter));
    const QStringList held = dialog.nameFilters();
    if (index >= 1 && index <= held.size()) dialog.selectNameFilter(held[index - 1]);
    return held;
}

/// The 1-based position of the dialog's `chosen` entry among `held`.
int FilterIndex(const QStringList& held, const QString& chosen) {
    for (qsizetype i = 0; i < held.size(); ++i)
        if (held[i].simplified() == chosen.simplified()) return int(i) + 1;
    return 1;
}

class QtUiServices : public UiServices {
  public:
    BoxAnswer ShowMessage(QWidget* parent, const MessageBoxRequest& r) override {
        QMessageBox box(QtIcon(r.icon), r.title, r.text, QMessageBox::NoButton, parent);
        switch (r.buttons) {
            case BoxButtons::Ok:
                box.setStandardButtons(QMessageBox::Ok);
                break;
            case BoxButtons::OkCancel:
                box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
                break;
            case BoxButtons::YesNo:
                box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
                break;
        }
        if (r.stayOnTop) box.setWindowFlag(Qt::WindowStaysOnTopHint, true);
        switch (box.exec()) {
            case QMessageBox::Yes:
                return BoxAnswer::Yes;
            case QMessageBox::No:
                return BoxAnswer::No;
            case QMessageBox::Cancel:
                return BoxAnswer::Cancel;
            default:
                return r.buttons == BoxButtons::YesNo ? BoxAnswer::No : BoxAnswer::Ok;
        }
    }

    std::optional<OpenFileAnswer> ChooseOpenFile(QWidget* parent,
                                                 const OpenFileRequest& r) override {
        QFileDialog dialog(parent, r.title, r.folder);
        dialog.setFileMode(QFileDialog::ExistingFile);
        dialog.setAcceptMode(QFileDialog::AcceptOpen);
        const QStringList filters = SetFilters(dialog, r.filter, r.filterIndex);
        if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
            return std::nullopt;
        OpenFileAnswer answer;
        answer.path = dialog.selectedFiles().first();
        answer.filterIndex = FilterIndex(filters, dialog.selectedNameFilter());
        return answer;
    }

    std::optional<SaveFileAnswer> ChooseSaveFile(QWidget* parent, const SaveFileRequest& r,
                                                 const SaveDialogEvent& events) override {
        // Qt's own dialog: the platform one does not say when the user picks another type.
        QFileDialog dialog(parent, r.title, r.folder);
        dialog.setOptions(QFileDialog::DontUseNativeDialog | QFileDialog::DontConfirmOverwrite);
        dialog.setFileMode(QFileDialog::AnyFile);
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        const QStringList filters = SetFilters(dialog, r.filter, r.filterIndex);
        dialog.selectFile(r.fileName);
        auto indexOf = [&](const QString& filter) { return FilterIndex(filters, filter); };
        if (events) {
            QObject::connect(
                &dialog, &QFileDialog::filterSelected, &dialog,
                Guarded(&dialog, [&](const QString& filter) { events(indexOf(filter), &dialog); }));
            // Told once the dialog is on screen, so a companion lands beside it.
            QMetaObject::invokeMethod(
                &dialog,
                Guarded(&dialog, [&] { events(indexOf(dialog.selectedNameFilter()), &dialog); }),
                Qt::QueuedConnection);
        }
        const bool accepted =
            dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty();
        std::optional<SaveFileAnswer> answer;
        if (accepted)
            answer = SaveFileAnswer{dialog.selectedFiles().first(),
                                    indexOf(dialog.selectedNameFilter())};
        if (events) RunGuarded(parent, [&] { events(0, &dialog); });
        return answer;
    }

    std::optional<FontChoice> ChooseFont(QWidget* parent, const FontChoice& initial) override {
        FontAndColorDialog dialog(parent, initial);
        if (dialog.exec() != QDialog::Accepted) return std::nullopt;
        FontChoice choice = dialog.Choice();
        // The substitute chosen again is the stored family still, under its own name.
        if (choice.font.family() == AsDrawn(initial.font).family())
            choice.font.setFamilies(initial.font.families());
        return choice;
    }

    std::optional<QColor> ChooseColor(QWidget* parent, const QColor& initial) override {
        const QColor c = QColorDialog::getColor(initial, parent);
        if (!c.isValid()) return std::nullopt;
        return c;
    }

    std::optional<QString> ChooseFolder(QWidget* parent, const QString& title,
                                        const QString& start) override {
        const QString folder = QFileDialog::getExistingDirectory(parent, title, start);
        if (folder.isEmpty()) return std::nullopt;
        return folder;
    }

    bool ChoosePrinterSetup(QWidget* parent, PrinterBackend& printer) override {
        auto* qt = dynamic_cast<QtPrinterBackend*>(&printer);
        if (!qt) return false;
        QPrintDialog dialog(&qt->Printer(), parent);
        dialog.setWindowTitle(QStringLiteral("プリンターの設定"));
        // Copies and pages come from the print panel: one sheet, the panel's copies.
        dialog.setOption(QAbstractPrintDialog::PrintPageRange, false);
        dialog.setOption(QAbstractPrintDialog::PrintCurrentPage, false);
        dialog.setOption(QAbstractPrintDialog::PrintSelection, false);
        return dialog.exec() == QDialog::Accepted;
    }

    void ProcessEvents() override { QApplication::processEvents(); }
};

UiServices* installed = nullptr;

}  // namespace

UiServices& Ui() {
    static QtUiServices qt;
    return installed ? *installed : qt;
}

void SetUiServices(UiServices* services) { installed = services; }

QStringList QtNameFilters(const QString& windowsFilter) {
    const QStringList parts = windowsFilter.split(QLatin1Char('|'));
    QStringList out;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QStringList patterns;
        for (const QString& p : parts[i + 1].split(QLatin1Char(';'), Qt::SkipEmptyParts))
            patterns << p.trimmed();
        out << parts[i] + QStringLiteral(" (") + patterns.join(QLatin1Char(' ')) + QLatin1Char(')');
    }
    return out;
}

void ShowErrorBox(QWidget* parent, const std::string& message) {
    MessageBoxRequest r;
    r.title = QStringLiteral("Vellumo");
    r.text = QString::fromStdString(WithLfLineEnds(ErrorBoxText(message)));
    r.icon = BoxIcon::Critical;
    Ui().ShowMessage(parent, r);
}

}  // namespace vellumo
