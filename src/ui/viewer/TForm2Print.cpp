// The viewer's print panel: paper, copies and printer, and the true-scale print job. The
// sheet's geometry and the placements are the print functions'; this file wires the panel
// to them and to the printing system.

#include <QAbstractItemView>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <algorithm>

#include "print/DrawRoutine.h"
#include "print/PaperGeometry.h"
#include "print/PrinterBackend.h"
#include "ui/app/Guarded.h"
#include "ui/app/NamedWidgets.h"
#include "ui/app/UiServices.h"
#include "ui/app/WaitCursor.h"
#include "ui/viewer/CategoryPanelWidget.h"
#include "ui/viewer/TForm2.h"
#include "ui/viewer/TForm2Support.h"

namespace vellumo {

namespace {

/// The paper of the list: an entry chosen, or its exact text typed; nothing for other text.
std::optional<PaperChoice> ChosenPaper(const QComboBox& list) {
    return PaperAt(list.findText(list.currentText(), Qt::MatchExactly | Qt::MatchCaseSensitive));
}

}  // namespace

void TForm2::BuildPrintPanel() {
    CategoryPanel4 = new CategoryPanel(QStringLiteral("印刷"), 176);
    CategoryPanel4->setObjectName(QStringLiteral("CategoryPanel4"));
    QWidget* c = CategoryPanel4->Content();
    Label1 = NamedLabel(c, "Label1", QStringLiteral("用紙サイズ"), QRect(6, 2, 100, 16));
    ComboBox1 = new QComboBox(c);
    ComboBox1->setObjectName(QStringLiteral("ComboBox1"));
    ComboBox1->setEditable(true);
    ComboBox1->setInsertPolicy(QComboBox::NoInsert);
    ComboBox1->setGeometry(6, 19, 102, 24);
    Label2 = NamedLabel(c, "Label2", QStringLiteral("印刷部数"), QRect(6, 48, 100, 16));
    Label3 = NamedLabel(c, "Label3", QStringLiteral("１　２　３"), QRect(14, 64, 90, 16));
    auto copies = [c](const char* name, int left) {
        auto* r = new QRadioButton(c);
        r->setObjectName(QString::fromLatin1(name));
        r->setGeometry(left, 80, 20, 20);
        return r;
    };
    const int digit = Label3->fontMetrics().horizontalAdvance(QStringLiteral("１　"));
    RadioButton1 = copies("RadioButton1", 12);
    RadioButton2 = copies("RadioButton2", 12 + digit);
    RadioButton3 = copies("RadioButton3", 12 + 2 * digit);
    RadioButton1->setChecked(true);
    Label8 = NamedLabel(c, "Label8", QStringLiteral("プリンター"), QRect(6, 104, 100, 16));
    ComboBox2 = new QComboBox(c);
    ComboBox2->setObjectName(QStringLiteral("ComboBox2"));
    ComboBox2->setGeometry(6, 121, 102, 24);
    Button7 = NamedButton(c, "Button7", QStringLiteral("印刷(&P)"), QRect(6, 148, 102, 25));
    connect(ComboBox2, &QComboBox::activated, this, Guarded(this, [this] { ComboBox2CloseUp(); }));
    connect(Button7, &QPushButton::clicked, this, Guarded(this, [this] { Button7Click(); }));
}

void TForm2::SetPrinterBackend(std::unique_ptr<PrinterBackend> printer) {
    printer_ = std::move(printer);
    FillPrintLists();
}

void TForm2::FillPrintLists() {
    std::vector<std::string> names = printer_->PrinterNames();
    const bool preset = std::find(names.begin(), names.end(), kPresetPrinterName) != names.end();
    printer_->SetCurrentPrinter(preset ? kPresetPrinterName : printer_->DefaultPrinterName());

    std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
        return Q(a).compare(Q(b), Qt::CaseInsensitive) < 0;
    });
    ComboBox2->clear();
    for (const std::string& name : names) ComboBox2->addItem(Q(name));
    if (ComboBox2->count() > 0) ComboBox2->setCurrentIndex(0);
    const int current = ComboBox2->findText(Q(printer_->CurrentPrinterName()),
                                            Qt::MatchExactly | Qt::MatchCaseSensitive);
    if (current >= 0) ComboBox2->setCurrentIndex(current);

    ComboBox1->clear();
    for (const PaperEntry& paper : kPaperEntries) ComboBox1->addItem(Q(paper.text));
    ComboBox1->setCurrentIndex(0);
}

void TForm2::ComboBox2CloseUp() {
    if (ComboBox2->count() == 0 || ComboBox2->currentIndex() < 0) return;
    printer_->SetCurrentPrinter(Utf8(ComboBox2->currentText()));
    SetStatusText(Q(PrinterStatusText(printer_->CurrentPrinterName())));
    Ui().ProcessEvents();
    Button7->setFocus();
}

void TForm2::PrintClick() { ExpandPanel(CategoryPanel4); }

void TForm2::Button7Click() {
    const std::optional<PaperChoice> paper = ChosenPaper(*ComboBox1);
    if (!paper) return;
    if (printer_->PrinterNames().empty()) {
        ShowMessageText(Q(kNoPrinterText), MessageStyle::Information);
        return;
    }
    // Each print starts from the printer the panel names: a file chosen in the setup
    // dialog for one print is not where the next one goes.
    if (ComboBox2->currentIndex() >= 0) printer_->SetCurrentPrinter(Utf8(ComboBox2->currentText()));
    if (printer_->CurrentPrinterName().empty()) {
        ShowMessageText(Q(kNoPrinterText), MessageStyle::Information);
        return;
    }
    if (*paper == PaperChoice::Custom) {
        if (!Ui().ChoosePrinterSetup(this, *printer_)) return;
        const QString chosen = Q(printer_->CurrentPrinterName());
        const int entry = ComboBox2->findText(chosen, Qt::MatchExactly | Qt::MatchCaseSensitive);
        if (entry >= 0) ComboBox2->setCurrentIndex(entry);
        SetStatusText(Q(PrinterStatusText(Utf8(chosen))));
        GetPaperScale();
        DrawRoutine();
        return;
    }
    if (PrtMs) {
        MessageBoxRequest r;
        r.title = QStringLiteral("確認");
        r.text = Q(PrintConfirmationText(printer_->CurrentPrinterName()));
        r.icon = BoxIcon::Question;
        r.buttons = BoxButtons::OkCancel;
        if (Ui().ShowMessage(this, r) != BoxAnswer::Ok) return;
    }
    // Papers and orientations the printer does not have are left as it has them.
    printer_->SetPaperCode(kPaperEntries[size_t(*paper)].paperCode);
    printer_->SetLandscape();
    GetPaperScale();
    DrawRoutine();
}

void TForm2::GetPaperScale() { Paper = vellumo::GetPaperScale(printer_->Caps()); }

void TForm2::DrawRoutine() {
    const std::optional<PaperChoice> paper = ChosenPaper(*ComboBox1);
    if (!paper || document_.Picture().Width() == 0) return;
    PrintRequest request;
    request.viewedFile = document_.FileName2();
    request.copies = RadioButton2->isChecked() ? 2 : RadioButton3->isChecked() ? 3 : 1;
    request.paper = *paper;
    request.waku = Waku;
    const WaitCursor wait;
    vellumo::DrawRoutine(*printer_, Paper, document_.Picture(), request);
}

}  // namespace vellumo
