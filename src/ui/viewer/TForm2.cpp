// The viewer window's controls and menus, built in one place and wired in one place.

#include "ui/viewer/TForm2.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QMimeData>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QSlider>
#include <QStatusBar>
#include <QToolButton>
#include <QWheelEvent>
#include <climits>
#include <exception>
#include <new>

#include "document/ArrangePanels.h"
#include "document/LoadPicture.h"
#include "document/ViewScaling.h"
#include "document/ViewerTexts.h"
#include "imaging/Despeckle.h"
#include "imaging/Dither.h"
#include "imaging/Gray.h"
#include "imaging/ReductionMessages.h"
#include "imaging/Rotate.h"
#include "imaging/Threshold.h"
#include "platform/Error.h"
#include "platform/ImageDecoder.h"
#include "settings/SettingsFile.h"
#include "ui/app/Guarded.h"
#include "ui/app/NamedWidgets.h"
#include "ui/app/ProgramForms.h"
#include "ui/app/Session.h"
#include "ui/app/UiServices.h"
#include "ui/app/WaitCursor.h"
#include "ui/print/PrinterBackendQt.h"
#include "ui/settings/TForm3.h"
#include "ui/viewer/CategoryPanelWidget.h"
#include "ui/viewer/ImageControlWidget.h"
#include "ui/viewer/ScrollContentWidget.h"
#include "ui/viewer/TForm2Support.h"

namespace vellumo {

namespace {

const QColor kPanelColor(192, 220, 192);

}  // namespace

TForm2::TForm2(Session& session, TForm3* settingsDialog, QWidget* parent)
    : QMainWindow(parent), session_(session), settingsDialog_(settingsDialog) {
    setObjectName(QStringLiteral("Form2"));
    MarkProgramForm(this);
    LeftButtonHeld = [] { return bool(QGuiApplication::mouseButtons() & Qt::LeftButton); };
    BuildControls();
    BuildMenus();
    ConnectControls();
    BuildCrop();
    document_.Observe([this](DocumentChanges changes) { DocumentChanged(changes); });
    BuildDrawingPanel();
    // FormCreate.
    printer_ = MakePrinterBackend();
    FillPrintLists();
    view_.Magnified = false;
    SaveDialogAct_Chk = false;
    setAcceptDrops(true);
    UpdateThresholdControls();
    SaveType = 1;
    document_.SetFileName2(Utf8(session_.CheckedFileName));
    for (CategoryPanel* p :
         {CategoryPanel1, CategoryPanel2, CategoryPanel3, CategoryPanel4, CategoryPanel5})
        p->SetColor(kPanelColor);
    view_.ViewScale = 1.0;
    document_.ResetCropRect();
    setMinimumSize(500, 505);
    resize(878, 703);
    if (settingsDialog_) {
        // The dialog edits the printing options and the registered folder this window keeps.
        connect(settingsDialog_, &TForm3::PrtMsChanged, this, [this](bool on) { PrtMs = on; });
        connect(settingsDialog_, &TForm3::WakuChanged, this, [this](bool on) { Waku = on; });
        connect(settingsDialog_, &TForm3::RegisteredFolderChosen, this,
                [this](const QString& folder) { F_Path2 = folder; });
        connect(settingsDialog_, &TForm3::ShownFolderWanted, this, Guarded(this, [this] {
                    if (!document_.FileName2().empty() && !document_.Picture().Empty())
                        settingsDialog_->RegisterShownFolder(
                            QFileInfo(QString::fromStdString(document_.FileName2())).path());
                }));
    }
    updateActions();
}

TForm2::~TForm2() {
    // The worker reads the picture: it ends before the picture goes.
    write_.reset();
    // The settings dialog lives as long as the program: hand it back before Qt deletes this
    // window's children.
    if (settingsDialog_) settingsDialog_->LeaveOwner(this, nullptr);
}

// ---- construction ----------------------------------------------------------------------

void TForm2::BuildControls() {
    auto* central = new QWidget(this);
    auto* row = new QHBoxLayout(central);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(0);
    ScrollBox1 = new QScrollArea(central);
    ScrollBox1->setObjectName(QStringLiteral("ScrollBox1"));
    ScrollBox1->setWidgetResizable(false);
    ScrollBox1->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    // Image1 and the crop frame lie side by side in the content, so that a frame beyond the
    // picture is still shown and widens the scroll range.
    ScrollContent = new ScrollContentWidget();
    ScrollContent->setObjectName(QStringLiteral("ScrollContent"));
    Image1 = new ImageControlWidget(ScrollContent);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->resize(0, 0);
    Shape1 = new QFrame(ScrollContent);
    Shape1->setObjectName(QStringLiteral("Shape1"));
    Shape1->setStyleSheet(
        QStringLiteral("QFrame { border: 2px solid red; background: transparent; }"));
    Shape1->hide();
    ScrollContent->Follow(Image1);
    ScrollContent->Follow(Shape1);
    ScrollBox1->setWidget(ScrollContent);
    ScrollBox1->viewport()->installEventFilter(this);
    Image1->installEventFilter(this);
    row->addWidget(ScrollBox1, 1);

    Panel1 = new QFrame(central);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setFixedWidth(kToolColumnWidth);
    auto* column = new QVBoxLayout(Panel1);
    column->setContentsMargins(0, 0, 0, 0);
    CategoryPanelGroup1 = new CategoryPanelGroup(Panel1);
    CategoryPanelGroup1->setObjectName(QStringLiteral("CategoryPanelGroup1"));
    column->addWidget(CategoryPanelGroup1);
    row->addWidget(Panel1);
    setCentralWidget(central);

    BuildViewPanel();
    BuildReductionPanel();
    CategoryPanel3 = new CategoryPanel(QStringLiteral("画像切出"), 150);
    CategoryPanel3->setObjectName(QStringLiteral("CategoryPanel3"));
    BuildPrintPanel();
    BuildFilePanel();
    for (CategoryPanel* p :
         {CategoryPanel1, CategoryPanel2, CategoryPanel3, CategoryPanel4, CategoryPanel5})
        CategoryPanelGroup1->AddPanel(p);

    StatusBar1 = new QStatusBar(this);
    StatusBar1->setObjectName(QStringLiteral("StatusBar1"));
    StatusBar1->setSizeGripEnabled(false);
    StatusBar1->setFocusPolicy(Qt::ClickFocus);
    statusText_ = new QLabel(StatusBar1);
    statusText_->setObjectName(QStringLiteral("StatusText"));
    // As high when empty as with text: a status bar that grew with its first text would
    // shrink the scroll box under a picture just fitted into it.
    statusText_->setMinimumHeight(statusText_->fontMetrics().height() + 4);
    StatusBar1->addWidget(statusText_, 1);
    setStatusBar(StatusBar1);
    ProgressBar1 = new QProgressBar(StatusBar1);
    ProgressBar1->setObjectName(QStringLiteral("ProgressBar1"));
    ProgressBar1->setTextVisible(false);
    ProgressBar1->hide();
    Button15 = new QPushButton(QStringLiteral("中止"), StatusBar1);
    Button15->setObjectName(QStringLiteral("Button15"));
    Button15->setToolTip(QStringLiteral("PDF変換を中止 (Esc)"));
    Button15->hide();
    StatusBar1->insertWidget(0, Button15);
}

void TForm2::BuildViewPanel() {
    CategoryPanel1 = new CategoryPanel(QStringLiteral("表示"), 124);
    CategoryPanel1->setObjectName(QStringLiteral("CategoryPanel1"));
    QWidget* c = CategoryPanel1->Content();
    Button2 = NamedButton(c, "Button2", QStringLiteral("全体(&A)"), QRect(8, 6, 96, 25));
    Button3 = NamedButton(c, "Button3", QStringLiteral("等倍"), QRect(8, 36, 46, 25));
    Button3->setToolTip(QStringLiteral("L:device R:pixel"));
    Button13 = NamedButton(c, "Button13", QStringLiteral("２倍"), QRect(58, 36, 46, 25));
    Button13->setToolTip(QStringLiteral("L:device R:pixel"));
    BitBtn1 = new QToolButton(c);
    BitBtn1->setObjectName(QStringLiteral("BitBtn1"));
    BitBtn1->setText(QStringLiteral("↺"));
    BitBtn1->setToolTip(QStringLiteral("左回転"));
    BitBtn1->setGeometry(8, 70, 46, 40);
    BitBtn2 = new QToolButton(c);
    BitBtn2->setObjectName(QStringLiteral("BitBtn2"));
    BitBtn2->setText(QStringLiteral("↻"));
    BitBtn2->setToolTip(QStringLiteral("右回転"));
    BitBtn2->setGeometry(58, 70, 46, 40);
    QFont arrows = BitBtn1->font();
    arrows.setPointSize(arrows.pointSize() + 8);
    BitBtn1->setFont(arrows);
    BitBtn2->setFont(arrows);
    Button3->installEventFilter(this);
}

void TForm2::BuildReductionPanel() {
    CategoryPanel2 = new CategoryPanel(QStringLiteral("減色編集"), 330);
    CategoryPanel2->setObjectName(QStringLiteral("CategoryPanel2"));
    QWidget* c = CategoryPanel2->Content();
    auto radio = [c](const char* name, const QString& caption, int top) {
        auto* r = new QRadioButton(caption, c);
        r->setObjectName(QString::fromLatin1(name));
        r->setGeometry(6, top, 104, 20);
        return r;
    };
    RadioButton6 = radio("RadioButton6", QStringLiteral("モノクロ"), 4);
    RadioButton7 = radio("RadioButton7", QStringLiteral("グレイスケール"), 24);
    RadioButton8 = radio("RadioButton8", QStringLiteral("ゴミ取り"), 44);
    RadioButton6->setChecked(true);
    Label4 = NamedLabel(c, "Label4", QStringLiteral("しきい値 ："), QRect(6, 70, 70, 16));
    Edit1 = new QLineEdit(QStringLiteral("128"), c);
    Edit1->setObjectName(QStringLiteral("Edit1"));
    Edit1->setAlignment(Qt::AlignRight);
    Edit1->setGeometry(70, 68, 38, 21);
    TrackBar1 = new QSlider(Qt::Vertical, c);
    TrackBar1->setObjectName(QStringLiteral("TrackBar1"));
    TrackBar1->setRange(0, 255);
    TrackBar1->setValue(128);
    TrackBar1->setSingleStep(8);
    TrackBar1->setPageStep(8);
    TrackBar1->setTickInterval(16);
    TrackBar1->setTickPosition(QSlider::TicksRight);
    // Top of the slider is 0 (white), bottom 255 (black), as the labels say.
    TrackBar1->setInvertedAppearance(true);
    TrackBar1->setInvertedControls(true);
    TrackBar1->setGeometry(6, 94, 30, 150);
    // The release that ends a click on the track or a drag of the thumb reports once more.
    TrackBar1->installEventFilter(this);
    Label5 = NamedLabel(c, "Label5", QStringLiteral("0 （白）"), QRect(40, 94, 70, 16));
    Label6 = NamedLabel(c, "Label6", QStringLiteral("128（中）"), QRect(40, 161, 70, 16));
    Label7 = NamedLabel(c, "Label7", QStringLiteral("255（黒）"), QRect(40, 228, 70, 16));
    CheckBox2 = NamedCheck(c, "CheckBox2", QStringLiteral("Real time"), QRect(6, 250, 100, 20));
    Button9 = NamedButton(c, "Button9", QStringLiteral("実行"), QRect(6, 274, 50, 25));
    Button10 = NamedButton(c, "Button10", QStringLiteral("reLoad"), QRect(58, 274, 50, 25));
    BitBtn3 = NamedButton(c, "BitBtn3", QStringLiteral("色"), QRect(6, 302, 50, 24));
    BitBtn3->setToolTip(QStringLiteral("右ボタンクリックで黒"));
    BitBtn3->installEventFilter(this);
}

void TForm2::BuildFilePanel() {
    CategoryPanel5 = new CategoryPanel(QStringLiteral("ファイル"), 126);
    CategoryPanel5->setObjectName(QStringLiteral("CategoryPanel5"));
    QWidget* c = CategoryPanel5->Content();
    Button5 = NamedButton(c, "Button5", QStringLiteral("開く(&O)"), QRect(8, 4, 96, 25));
    Button14 = NamedButton(c, "Button14", QStringLiteral("Option"), QRect(8, 34, 96, 25));
    Button8 = NamedButton(c, "Button8", QStringLiteral("保存(&S)"), QRect(8, 64, 96, 25));
    Button1 = NamedButton(c, "Button1", QStringLiteral("閉る(&X)"), QRect(8, 94, 96, 25));
}

void TForm2::BuildMenus() {
    QMenuBar* bar = menuBar();
    bar->setObjectName(QStringLiteral("MainMenu1"));
    f1 = bar->addMenu(QStringLiteral("ファイル(&F)"));
    f1->setObjectName(QStringLiteral("f1"));
    O1 = NamedAction(f1, "O1", QStringLiteral("開く(&O)"));
    N1 = NamedAction(f1, "N1", QStringLiteral("option"));
    S1 = NamedAction(f1, "S1", QStringLiteral("保存(&S)"));
    Print = NamedAction(f1, "Print", QStringLiteral("印刷(&P)"));
    tojiru1 = NamedAction(f1, "tojiru1", QStringLiteral("閉じる(&Q)"));
    V1 = bar->addMenu(QStringLiteral(" 表示 (&V)"));
    V1->setObjectName(QStringLiteral("V1"));
    A1 = NamedAction(V1, "A1", QStringLiteral("全体表示(&A)"));
    E1 = NamedAction(V1, "E1", QStringLiteral("pixel等倍(&E)"));
    R1 = NamedAction(V1, "R1", QStringLiteral("左回転(&R)"));
    R2 = NamedAction(V1, "R2", QStringLiteral("右回転(&R)"));
    N2 = bar->addMenu(QStringLiteral("減色編集(&E)"));
    N2->setObjectName(QStringLiteral("N2"));
    M1 = NamedAction(N2, "M1", QStringLiteral("モノクロ２値変換(&M)"));
    G1 = NamedAction(N2, "G1", QStringLiteral("8bitグレイスケール(&G)"));
    gomitori1 = NamedAction(N2, "gomitori1", QStringLiteral("ゴミ取(&D)"));
    N7 = NamedAction(N2, "N7", QStringLiteral("モノクロ（ディザ）変換"));
    N2->addSeparator();
    r3 = NamedAction(N2, "r3", QStringLiteral("reLoad（再読込）"));
    C1 = bar->addMenu(QStringLiteral("画像切出(&C)"));
    C1->setObjectName(QStringLiteral("C1"));

    PopupMenu2 = new QMenu(this);
    PopupMenu2->setObjectName(QStringLiteral("PopupMenu2"));
    View_whole = NamedAction(PopupMenu2, "View_whole", QStringLiteral("全体表示"));
    View_Equal = NamedAction(PopupMenu2, "View_Equal", QStringLiteral("等倍表示"));
    N10 = NamedAction(PopupMenu2, "N10", QStringLiteral("２倍表示"));
    PopupMenu2->addSeparator();
    turn_left = NamedAction(PopupMenu2, "turn_left", QStringLiteral("左回転"));
    turn_Right = NamedAction(PopupMenu2, "turn_Right", QStringLiteral("右回転"));
    PopupMenu2->addSeparator();
    Img_Ccut = NamedAction(PopupMenu2, "Img_Ccut", QStringLiteral("画像切出"));
    PopupMenu2->addSeparator();
    Inspect1 = NamedAction(PopupMenu2, "Inspect1", QStringLiteral("座標表示・２倍表示"));

    // Keys: the commands' usual ones, and zoom about the view's centre.
    O1->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_O));
    S1->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
    Print->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_P));
    const auto key = [this](const char* name, QList<QKeySequence> keys) {
        auto* a = new QAction(this);
        a->setObjectName(QString::fromLatin1(name));
        a->setShortcuts(keys);
        addAction(a);
        return a;
    };
    // "+" is a shifted key on most layouts, and the keypad's comes with its own modifier.
    ZoomInKey =
        key("ZoomInKey", {QKeySequence(Qt::Key_Plus), QKeySequence(Qt::SHIFT | Qt::Key_Plus),
                          QKeySequence(Qt::KeypadModifier | Qt::Key_Plus)});
    ZoomOutKey = key("ZoomOutKey", {QKeySequence(Qt::Key_Minus),
                                    QKeySequence(Qt::KeypadModifier | Qt::Key_Minus)});
    FitKey = key("FitKey", {QKeySequence(Qt::Key_0), QKeySequence(Qt::KeypadModifier | Qt::Key_0)});
    CancelKey = key("CancelKey", {QKeySequence(Qt::Key_Escape)});
}

void TForm2::ConnectControls() {
    // View.
    connect(Button2, &QPushButton::clicked, this, Guarded(this, [this] { FitWhole(); }));
    connect(Button3, &QPushButton::clicked, this, Guarded(this, [this] { DeviceSize(); }));
    connect(Button13, &QPushButton::clicked, this, Guarded(this, [this] { DoubleSize(); }));
    connect(BitBtn1, &QToolButton::clicked, this, Guarded(this, [this] { RotateLeft(); }));
    connect(BitBtn2, &QToolButton::clicked, this, Guarded(this, [this] { RotateRight(); }));
    connect(A1, &QAction::triggered, this, Guarded(this, [this] { FitWhole(); }));
    connect(R1, &QAction::triggered, this, Guarded(this, [this] { RotateLeft(); }));
    connect(R2, &QAction::triggered, this, Guarded(this, [this] { RotateRight(); }));
    connect(View_whole, &QAction::triggered, this, Guarded(this, [this] { FitWhole(); }));
    connect(View_Equal, &QAction::triggered, this, Guarded(this, [this] { DeviceSize(); }));
    connect(N10, &QAction::triggered, this, Guarded(this, [this] { DoubleSize(); }));
    connect(turn_left, &QAction::triggered, this, Guarded(this, [this] { RotateLeft(); }));
    connect(turn_Right, &QAction::triggered, this, Guarded(this, [this] { RotateRight(); }));
    connect(Img_Ccut, &QAction::triggered, this, Guarded(this, [this] { Img_CcutClick(); }));
    connect(Image1, &ImageControlWidget::MouseDown, this,
            Guarded(this, [this](Qt::MouseButton b, Qt::KeyboardModifiers m, QPoint p) {
                Image1MouseDown(b, m, p);
            }));
    connect(Image1, &ImageControlWidget::MouseMove, this,
            Guarded(this, [this](Qt::MouseButtons, Qt::KeyboardModifiers, QPoint p) {
                Image1MouseMove(p);
            }));
    connect(
        Image1, &ImageControlWidget::MouseUp, this,
        Guarded(this, [this](Qt::MouseButton, Qt::KeyboardModifiers, QPoint) { Image1MouseUp(); }));
    connect(Image1, &ImageControlWidget::MouseEnter, this,
            Guarded(this, [this] { view_.PointerOverImage = true; }));
    connect(Image1, &ImageControlWidget::MouseLeave, this,
            Guarded(this, [this] { view_.PointerOverImage = false; }));
    connect(Image1, &QWidget::customContextMenuRequested, this, Guarded(this, [this](QPoint p) {
                menuPoint_ = p;
                Inspect1->setText(view_.Magnified ? QStringLiteral("元の表示に戻す")
                                                  : QStringLiteral("座標表示・２倍表示"));
                PopupMenu2->popup(Image1->mapToGlobal(p));
            }));
    connect(Inspect1, &QAction::triggered, this, Guarded(this, [this] { InspectAt(menuPoint_); }));
    connect(ZoomInKey, &QAction::triggered, this, Guarded(this, [this] { ZoomKey(kWheelNotch); }));
    connect(ZoomOutKey, &QAction::triggered, this,
            Guarded(this, [this] { ZoomKey(-kWheelNotch); }));
    connect(FitKey, &QAction::triggered, this, Guarded(this, [this] { FitWhole(); }));
    connect(CancelKey, &QAction::triggered, this, Guarded(this, [this] { CancelPdfConversion(); }));
    connect(Button15, &QPushButton::clicked, this,
            Guarded(this, [this] { CancelPdfConversion(); }));
    // Colour reduction.
    connect(Button9, &QPushButton::clicked, this, Guarded(this, [this] { Button9Click(); }));
    connect(Button10, &QPushButton::clicked, this, Guarded(this, [this] { Button10Click(); }));
    connect(M1, &QAction::triggered, this, Guarded(this, [this] { M1Click(); }));
    connect(G1, &QAction::triggered, this, Guarded(this, [this] { G1Click(); }));
    connect(gomitori1, &QAction::triggered, this, Guarded(this, [this] { gomitori1Click(); }));
    connect(N7, &QAction::triggered, this, Guarded(this, [this] { N7Click(); }));
    connect(r3, &QAction::triggered, this, Guarded(this, [this] { Button10Click(); }));
    connect(RadioButton6, &QRadioButton::clicked, this,
            Guarded(this, [this] { RadioButton6Click(); }));
    connect(RadioButton7, &QRadioButton::clicked, this,
            Guarded(this, [this] { RadioButton7Click(); }));
    connect(RadioButton8, &QRadioButton::clicked, this,
            Guarded(this, [this] { RadioButton8Click(); }));
    connect(CheckBox2, &QCheckBox::clicked, this, Guarded(this, [this] { CheckBox2Click(); }));
    connect(TrackBar1, &QSlider::valueChanged, this, Guarded(this, [this] { TrackBar1Change(); }));
    connect(Edit1, &QLineEdit::textChanged, this, Guarded(this, [this] { Edit1Change(); }));
    // File.
    connect(Button5, &QPushButton::clicked, this, Guarded(this, [this] { Button5Click(); }));
    connect(O1, &QAction::triggered, this, Guarded(this, [this] { Button5Click(); }));
    connect(Button14, &QPushButton::clicked, this, Guarded(this, [this] { Button14Click(); }));
    connect(N1, &QAction::triggered, this, Guarded(this, [this] { Button14Click(); }));
    connect(Button8, &QPushButton::clicked, this, Guarded(this, [this] { Button8Click(); }));
    connect(S1, &QAction::triggered, this, Guarded(this, [this] { Button8Click(); }));
    connect(Button1, &QPushButton::clicked, this, Guarded(this, [this] { Button1Click(); }));
    connect(tojiru1, &QAction::triggered, this, Guarded(this, [this] { Button1Click(); }));
    connect(Print, &QAction::triggered, this, Guarded(this, [this] { PrintClick(); }));
    // Menu openings and panels.
    connect(f1, &QMenu::aboutToShow, this, Guarded(this, [this] { f1Click(); }));
    connect(V1, &QMenu::aboutToShow, this, Guarded(this, [this] { V1Click(); }));
    connect(N2, &QMenu::aboutToShow, this, Guarded(this, [this] { N2Click(); }));
    connect(C1, &QMenu::aboutToShow, this, Guarded(this, [this] { C1Click(); }));
    for (CategoryPanel* p :
         {CategoryPanel1, CategoryPanel2, CategoryPanel3, CategoryPanel4, CategoryPanel5}) {
        connect(p, &CategoryPanel::Expanding, this, Guarded(this, [this, p] { PanelExpanded(p); }));
        connect(p, &CategoryPanel::Collapsing, this,
                Guarded(this, [this, p] { PanelCollapsed(p); }));
    }
}

}  // namespace vellumo
