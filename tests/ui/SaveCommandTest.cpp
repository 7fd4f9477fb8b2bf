// The viewer's save command and the settings dialog, driven through their handlers with a
// scripted save dialog; every file written is read back with the libraries themselves.

#include <gtest/gtest.h>
#include <tiffio.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QTabWidget>
#include <filesystem>
#include <fstream>
#include <functional>
#include <random>

#include "platform/ImageDecoder.h"
#include "save/SaveTestSupport.h"
#include "save/TiffWriter.h"
#include "settings/SettingsFile.h"
#include "support/TempDir.h"
#include "ui/Controls.h"
#include "ui/RealDialogs.h"
#include "ui/ScriptedUi.h"
#include "ui/ViewerFixture.h"
#include "ui/checker/TForm1.h"
#include "ui/settings/TForm3.h"
#include "ui/viewer/TForm2.h"

namespace vellumo {
namespace {

using test::ColourPicture;
using test::Control;
using test::Q;
using test::ReadAll;
using test::ScriptedUi;
using test::TempDir;

struct TiffShape {
    int bits = 0, samples = 0, compression = 0;
    float xres = 0;
    uint32_t width = 0, height = 0;
};

TiffShape ReadTiffShape(const std::string& path) {
    TiffShape s;
    TIFF* t = TIFFOpen(path.c_str(), "r");
    if (!t) return s;
    uint16_t bits = 0, samples = 0, compression = 0;
    TIFFGetFieldDefaulted(t, TIFFTAG_BITSPERSAMPLE, &bits);
    TIFFGetFieldDefaulted(t, TIFFTAG_SAMPLESPERPIXEL, &samples);
    TIFFGetFieldDefaulted(t, TIFFTAG_COMPRESSION, &compression);
    TIFFGetField(t, TIFFTAG_XRESOLUTION, &s.xres);
    TIFFGetField(t, TIFFTAG_IMAGEWIDTH, &s.width);
    TIFFGetField(t, TIFFTAG_IMAGELENGTH, &s.height);
    s.bits = bits, s.samples = samples, s.compression = compression;
    TIFFClose(t);
    return s;
}

/// A one-bit picture, black left half, white right half ([black, white] colour table).
Bitmap HalfBlack(uint32_t w, uint32_t h) {
    Bitmap b(w, h, PixelFormat::Bit1);
    b.Palette() = {RgbQuad{0, 0, 0, 0}, RgbQuad{255, 255, 255, 0}};
    b.Fill(0xFF);
    for (uint32_t y = 0; y < h; ++y)
        for (uint32_t x = 0; x < w / 2; ++x) b.SetPixelIndex(x, y, 0);
    return b;
}

class SaveCommandTest : public test::ViewerFixture {
  protected:
    void SetUp() override {
        ViewerFixture::SetUp();
        dialog.SetSettingsPath(Q(ini));
    }
    std::string Mono(const std::string& name, uint32_t w = 64, uint32_t h = 40) {
        const std::string path = dir.File(name);
        Bmp2Tif(HalfBlack(w, h), path, TiffCompression::G4, 400);
        return path;
    }
    std::string Colour(const std::string& name, uint32_t w = 40, uint32_t h = 30) {
        const std::string path = dir.File(name);
        WriteRgbTiff(test::Pattern(PixelFormat::Bit24, w, h), path, TiffCompression::Lzw, 200);
        return path;
    }
    /// Saves through the scripted dialog, answering `name` (in the temporary folder) with
    /// filter `index`.
    void Save(const std::string& name, int index, std::vector<int> changes = {}) {
        ui.saveScripts.push_back({std::move(changes), SaveFileAnswer{Q(dir.File(name)), index}});
        viewer->Button8Click();
        viewer->WaitForPictureWrite();
    }
    QString LastMessage() const {
        return ui.messages.empty() ? QString() : ui.messages.back().text;
    }
};

TEST_F(SaveCommandTest, ScanTiffStartsOnAllGraphicsAndItsExtensionIsRefused) {
    const std::string path = Mono("scan.tiff");
    Open(path);
    const auto before = ReadAll(path);
    Save("scan.tiff", 5);
    ASSERT_EQ(ui.saveRequests.size(), 1u);
    const SaveFileRequest& r = ui.saveRequests[0];
    EXPECT_EQ(r.filterIndex, 5);
    EXPECT_EQ(r.fileName, QStringLiteral("scan.tiff"));
    EXPECT_EQ(r.folder.toStdString(), std::filesystem::path(path).parent_path().string());
    EXPECT_TRUE(r.filter.startsWith(QStringLiteral("Tiff （Tagged Image）|*.tif;tiff|")));
    EXPECT_EQ(viewer->Document().OrgFName(), dir.File("scan"));
    // Refused at once, without the overwrite question; nothing written.
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].icon, BoxIcon::Information);
    EXPECT_EQ(ui.messages[0].text,
              QStringLiteral(
                  "保存ファイル名：scan.tiff\n拡張子「.tiff」 は、未対応ファイル形式です。  "));
    EXPECT_EQ(ReadAll(path), before);
    EXPECT_FALSE(viewer->SaveDialogOpen());
}

// Qt's own save dialog, with the type picked and the name typed by keys: "All Graphics "
// takes the type from the extension, and is where a ".tiff" or ".jpeg" picture starts.
TEST_F(SaveCommandTest, AllGraphicsInQtsSaveDialog) {
    struct Case {
        const char* viewed;
        bool pickAllGraphics;  // else the type the dialog starts on
        const char* typed;     // "" keeps the proposed name
        const char* written;   // "" when nothing may be written
        const char* message;
    };
    const Case cases[] = {
        {"c.tif", true, "OUT.PNG", "OUT.PNG", ""},
        {"c.tif", true, "x.jpeg", "",
         "保存ファイル名：x.jpeg\n拡張子「.jpeg」 は、未対応ファイル形式です。  "},
        {"scan.tiff", false, "", "",
         "保存ファイル名：scan.tiff\n拡張子「.tiff」 は、未対応ファイル形式です。  "},
    };
    test::RealDialogs real(&ui);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.viewed + std::string(" ") + c.typed);
        const TempDir folder;
        const std::string viewed = folder.File(c.viewed);
        Bmp2Tif(HalfBlack(64, 40), viewed, TiffCompression::G4, 400);
        Open(viewed);
        QString startFilter;
        std::vector<bool> tabs;
        QString message;
        test::WhenShown<QMessageBox> box([&](QMessageBox* b) {
            message = b->text();
            QTest::keyClick(b, Qt::Key_Return);
        });
        test::WhenShown<QFileDialog> save([&](QFileDialog* d) {
            startFilter = d->selectedNameFilter();
            auto* types = d->findChild<QComboBox*>(QStringLiteral("fileTypeCombo"));
            auto* name = d->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
            if (c.pickAllGraphics) QTest::keyClick(types, Qt::Key_End);
            test::WaitFor([&] { return dialog.isVisible(); });
            for (int i = 0; i < Control<QTabWidget>(dialog, "PageControl1")->count(); ++i)
                tabs.push_back(Control<QTabWidget>(dialog, "PageControl1")->isTabVisible(i));
            if (*c.typed) name->setText(QString::fromUtf8(c.typed));
            QTest::keyClick(name, Qt::Key_Return);
        });
        QTest::mouseClick(Control<QPushButton>(viewer, "Button8"), Qt::LeftButton);
        viewer->WaitForPictureWrite();
        EXPECT_TRUE(save.Done());
        if (!c.pickAllGraphics) {
            EXPECT_TRUE(startFilter.startsWith(QStringLiteral("All Graphics")));
        }
        EXPECT_EQ(tabs, (std::vector<bool>{true, true, true, false, false}));
        EXPECT_EQ(message.toStdString(), c.message);
        std::vector<std::string> files;
        for (const auto& e : std::filesystem::directory_iterator(folder.Path()))
            if (e.path().filename() != c.viewed) files.push_back(e.path().filename().string());
        EXPECT_EQ(files,
                  *c.written ? std::vector<std::string>{c.written} : std::vector<std::string>{});
        if (*c.written) {
            const std::vector<uint8_t> bytes = ReadAll(folder.File(c.written));
            EXPECT_EQ(std::string(bytes.begin() + 1, bytes.begin() + 4), "PNG");
        }
    }
}

TEST_F(SaveCommandTest, TheSettingsDialogFollowsTheChosenType) {
    Open(Mono("a.gif.tif"));
    viewer->move(200, 150);
    struct Seen {
        int index;
        bool visible;
        std::vector<bool> tabs;
        int front;
        QPoint place;
        bool flag;
    };
    std::vector<Seen> seen;
    ui.seen = [&](int index) {
        std::vector<bool> tabs;
        for (int i = 0; i < Control<QTabWidget>(dialog, "PageControl1")->count(); ++i)
            tabs.push_back(Control<QTabWidget>(dialog, "PageControl1")->isTabVisible(i));
        seen.push_back({index, dialog.isVisible(), tabs,
                        Control<QTabWidget>(dialog, "PageControl1")->currentIndex(), dialog.pos(),
                        viewer->SaveDialogOpen()});
    };
    ui.saveScripts.push_back({{5, 2, 4, 3}, std::nullopt});  // picks types, then cancels
    viewer->Button8Click();
    ASSERT_EQ(seen.size(), 6u);
    const std::vector<bool> T = {true, false, false, false, false};
    EXPECT_EQ(seen[0].index, 1);  // ".tif": the Tiff filter
    EXPECT_TRUE(seen[0].visible);
    EXPECT_EQ(seen[0].tabs, T);
    EXPECT_TRUE(seen[0].flag);
    EXPECT_EQ(seen[0].place, viewer->pos() + QPoint(50, 70));
    EXPECT_EQ(seen[1].tabs, (std::vector<bool>{true, true, true, false, false}));
    EXPECT_EQ(seen[1].front, TForm3::TiffTab);
    EXPECT_EQ(seen[2].tabs, (std::vector<bool>{false, true, false, false, false}));
    EXPECT_EQ(seen[2].front, TForm3::JpgTab);
    EXPECT_FALSE(seen[3].visible);  // PNG has no options
    EXPECT_TRUE(seen[4].visible);
    EXPECT_EQ(seen[4].front, TForm3::BitmapTab);
    EXPECT_FALSE(seen[5].visible);  // the dialog closed
    EXPECT_FALSE(viewer->SaveDialogOpen());
    EXPECT_EQ(viewer->ChosenSaveType(), 3);
    // Beside the save dialog the settings dialog wrote nothing.
    EXPECT_FALSE(test::ReadText(ini).find("Fm_opt") != std::string::npos);
    EXPECT_TRUE(ui.messages.empty());
}

TEST_F(SaveCommandTest, TiffTakesTheCompressionAndResolutionOfTheDialog) {
    Open(Colour("c.tif"));
    ASSERT_EQ(viewer->Document().Picture().Format(), PixelFormat::Bit32);
    // A colour picture with CCITT G4 (the default at 400 dpi) becomes a one-bit G4 drawing.
    Save("g4.tif", 1);
    TiffShape s = ReadTiffShape(dir.File("g4.tif"));
    EXPECT_EQ(s.bits, 1);
    EXPECT_EQ(s.compression, COMPRESSION_CCITTFAX4);
    EXPECT_EQ(s.xres, 400.f);
    EXPECT_EQ(s.width, 40u);
    EXPECT_EQ(viewer->windowTitle(), Q("Tiff 保存完了：" + dir.File("g4.tif")));
    EXPECT_EQ(viewer->Document().Picture().Format(),
              PixelFormat::Bit32);  // the picture is untouched

    // A one-bit picture with LZW becomes 24-bit RGB; the name's extension is replaced.
    viewer->M1Click();
    ASSERT_EQ(viewer->Document().Picture().Format(), PixelFormat::Bit1);
    dialog.SetCompressionIndex(1);
    Control<QComboBox>(dialog, "ComboBox2")->setCurrentIndex(0);
    Save("lzw.png", 1);
    s = ReadTiffShape(dir.File("lzw.tif"));
    EXPECT_EQ(s.bits, 8);
    EXPECT_EQ(s.samples, 3);
    EXPECT_EQ(s.compression, COMPRESSION_LZW);
    EXPECT_EQ(s.xres, 200.f);
    EXPECT_FALSE(std::filesystem::exists(dir.File("lzw.png")));

    // No resolution chosen (a damaged settings file): the save fails in the error box.
    Control<QComboBox>(dialog, "ComboBox2")->setCurrentIndex(-1);
    const QString before = viewer->windowTitle();
    Save("none.tif", 1);
    EXPECT_EQ(LastMessage(), QStringLiteral("保存出来ませんでした。 'none.tif'"));
    EXPECT_EQ(ui.messages.back().icon, BoxIcon::Critical);
    EXPECT_FALSE(std::filesystem::exists(dir.File("none.tif")));
    EXPECT_EQ(viewer->windowTitle(), before);
}

TEST_F(SaveCommandTest, JpegPngAndBmpFromTheFilterOrTheTypedExtension) {
    Open(Colour("c.tif"));
    // The JPEG filter wins over a typed .png; gray gives one component.
    dialog.SetJpegChoices(false, true);
    Control<QComboBox>(dialog, "ComboBox3")->setCurrentIndex(0);
    Save("out.png", 2);
    test::JpegFile j = test::ReadJpegFile(dir.File("out.jpg"));
    ASSERT_TRUE(j.ok);
    EXPECT_EQ(j.components, 1);
    EXPECT_FALSE(std::filesystem::exists(dir.File("out.png")));
    EXPECT_EQ(viewer->windowTitle(), Q("Jpeg 保存完了：" + dir.File("out.jpg")));
    dialog.SetJpegChoices(true, false);
    Save("colour.jpg", 2);
    EXPECT_EQ(test::ReadJpegFile(dir.File("colour.jpg")).components, 3);

    // All Graphics keeps a typed upper-case .PNG; a fresh colour picture is RGBA.
    Save("OUT.PNG", 5);
    test::PngFile p = test::ReadPngFile(dir.File("OUT.PNG"));
    ASSERT_TRUE(p.ok);
    EXPECT_EQ(p.colorType, 6);
    EXPECT_EQ(viewer->windowTitle(), Q(" 保存完了：" + dir.File("OUT.PNG")));

    // BMP keeps the picture's 32 bits.
    Save("out.bmp", 3);
    const auto bmp = ReadAll(dir.File("out.bmp"));
    ASSERT_GE(bmp.size(), 30u);
    EXPECT_EQ(bmp[28], 32);
    EXPECT_EQ(viewer->windowTitle(), Q("bmp 保存完了：" + dir.File("out.bmp")));

    // A BMP that cannot be written: the plain message, the caption as it was.
    const QString before = viewer->windowTitle();
    Save("missing/out.bmp", 3);
    EXPECT_EQ(LastMessage(), QStringLiteral("保存失敗。 "));
    EXPECT_EQ(ui.messages.back().icon, BoxIcon::None);
    EXPECT_EQ(viewer->windowTitle(), before);
}

TEST_F(SaveCommandTest, AnExistingFileIsReplacedOnlyAfterYes) {
    Open(Mono("m.tif"));
    const std::string target = dir.File("old.png");
    { std::ofstream(target) << "keep me"; }
    Save("old.png", 4);  // the scripted answer is No
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].text,
              QStringLiteral("　同名のファイルがあります。上書きしますか？　"));
    EXPECT_EQ(ui.messages[0].buttons, BoxButtons::YesNo);
    EXPECT_EQ(test::ReadText(target), "keep me");
    ui.answers.push_back(BoxAnswer::Yes);
    Save("old.png", 4);
    test::PngFile p = test::ReadPngFile(target);
    ASSERT_TRUE(p.ok);
    EXPECT_EQ(p.colorType, 3);  // one bit: a palette PNG
    EXPECT_EQ(p.bitDepth, 1);
}

TEST_F(SaveCommandTest, APdfPictureProposesThePdfsNameOnTheTiffFilter) {
    Open(Mono("tmp.tif"));
    viewer->Document().SetIdentity(
        {viewer->Document().FileName2(), dir.File("plan.rev.pdf"), true});
    Save("plan.rev", 1);
    ASSERT_EQ(ui.saveRequests.size(), 1u);
    EXPECT_EQ(ui.saveRequests[0].fileName, QStringLiteral("plan.rev"));
    EXPECT_EQ(ui.saveRequests[0].filterIndex, 1);
    EXPECT_EQ(viewer->Document().OrgFName(), dir.File("plan.rev"));
    EXPECT_EQ(ReadTiffShape(dir.File("plan.tif")).compression, COMPRESSION_CCITTFAX4);
}

TEST_F(SaveCommandTest, WithoutAPictureNothingIsAsked) {
    Open("");
    viewer->Button8Click();
    EXPECT_TRUE(ui.saveRequests.empty());
    EXPECT_EQ(LastMessage(), QStringLiteral("　画像データがありません。　."));
    EXPECT_FALSE(viewer->SaveDialogOpen());
}

/// Whether `a` and `b` show the same colours, pixel for pixel.
bool SameColours(const Bitmap& a, const Bitmap& b) {
    if (a.Width() != b.Width() || a.Height() != b.Height()) return false;
    for (uint32_t y = 0; y < a.Height(); ++y)
        for (uint32_t x = 0; x < a.Width(); ++x)
            if (a.PixelColor(x, y) != b.PixelColor(x, y)) return false;
    return true;
}

TEST_F(SaveCommandTest, CommandsThatChangeThePictureAndTheCloseWaitForTheWrite) {
    // Noise, so that the PNG takes a while on the worker.
    Bitmap noise(800, 600, PixelFormat::Bit24);
    std::mt19937 random(7);
    for (uint32_t y = 0; y < noise.Height(); ++y)
        for (uint32_t x = 0; x < 3 * noise.Width(); ++x) noise.Row(y)[x] = uint8_t(random());
    const std::string shown = dir.File("noise.tif");
    WriteRgbTiff(noise, shown, TiffCompression::None, 400);
    const std::string other = Colour("other.tif", 50, 20);
    const struct Case {
        const char* what;
        std::function<void(TForm2&)> command;
        uint32_t widthAfter;  // 0: the window has closed
    } cases[] = {
        {"右回転", [](TForm2& v) { v.RotateRight(); }, 800},
        {"実行 (threshold)", [](TForm2& v) { v.Button9Click(); }, 600},
        {"reLoad", [](TForm2& v) { v.Button10Click(); }, 800},
        {"drop", [&](TForm2& v) { v.DropFiles({Q(other)}); }, 50},
        {"画像切出 実行", [](TForm2& v) { v.Button11Click(), v.Button12Click(); }, 301},
        {"閉る", [](TForm2& v) { v.Button1Click(); }, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Open(shown);
        // The reload must bring the file back over a turned picture.
        viewer->RotateLeft();
        const Bitmap before = viewer->Document().Picture();
        const std::string saved = dir.File("saved.png");
        std::filesystem::remove(saved);
        ui.saveScripts.push_back({{}, SaveFileAnswer{Q(saved), 4}});
        viewer->Button8Click();
        ASSERT_TRUE(viewer->PictureWriting());
        c.command(*viewer);
        // The command came after the whole file: the picture it replaced is in it.
        EXPECT_TRUE(SameColours(DecodeImage(saved).picture, before));
        EXPECT_TRUE(ui.messages.empty());
        if (c.widthAfter == 0) {
            EXPECT_FALSE(viewer->isVisible());
            continue;
        }
        EXPECT_EQ(viewer->Document().Picture().Width(), c.widthAfter);
        viewer->WaitForPictureWrite();
    }
}

// ---- the settings dialog --------------------------------------------------------------

using DialogOptionsTest = SaveCommandTest;

TEST_F(DialogOptionsTest, OptionShowsEveryTabAndKeepsTheChoicesInTheFile) {
    Open(Mono("m.tif"));
    SetPrintOptions(false, false);
    viewer->Button14Click();
    ASSERT_TRUE(dialog.isVisible());
    for (int i = 0; i < 5; ++i)
        EXPECT_TRUE(Control<QTabWidget>(dialog, "PageControl1")->isTabVisible(i));
    EXPECT_EQ(Control<QTabWidget>(dialog, "PageControl1")->currentIndex(), TForm3::OtherTab);
    EXPECT_TRUE(Control<QCheckBox>(dialog, "CheckBox1")->isChecked());
    EXPECT_FALSE(Control<QCheckBox>(dialog, "CheckBox2")->isChecked());
    // The defaults of a missing file.
    EXPECT_EQ(dialog.CompressionIndex(), 4);
    EXPECT_EQ(Control<QComboBox>(dialog, "ComboBox2")->currentText(), QStringLiteral("400"));
    EXPECT_EQ(Control<QComboBox>(dialog, "ComboBox3")->currentText(), QStringLiteral("80"));
    EXPECT_TRUE(dialog.JpegGray());
    // The printing boxes write the viewer's fields at once.
    Control<QCheckBox>(dialog, "CheckBox1")->setChecked(false);
    Control<QCheckBox>(dialog, "CheckBox2")->setChecked(true);
    EXPECT_TRUE(viewer->AskBeforePrinting());
    EXPECT_TRUE(viewer->FrameB4OnA3());

    dialog.SetCompressionIndex(1);
    Control<QComboBox>(dialog, "ComboBox2")->setCurrentIndex(3);
    dialog.SetJpegChoices(true, false);
    Control<QComboBox>(dialog, "ComboBox3")->setCurrentIndex(4);
    Control<QRadioButton>(dialog, "RadioButton6")->setChecked(true);
    Control<QCheckBox>(dialog, "CheckBox3")->setChecked(true);
    Control<QRadioButton>(dialog, "RadioButton2")->setChecked(true);
    Control<QLineEdit>(dialog, "Edit1")->setText(QStringLiteral("/typed/folder"));
    EXPECT_NE(viewer->RegisteredFolder(), QStringLiteral("/typed/folder"));  // not while typing
    const DialogSettings chosen = dialog.Values();
    viewer->Button14Click();  // pressed again: closed and saved
    EXPECT_FALSE(dialog.isVisible());
    DialogSettings stored = LoadDialogSettings(ini);
    EXPECT_EQ(stored.tif_typ, 1);
    EXPECT_EQ(stored.tif_rez, 3);
    EXPECT_TRUE(stored.jpg_typ);
    EXPECT_FALSE(stored.mono_typ);
    EXPECT_EQ(stored.jpg_rez, 4);
    EXPECT_FALSE(stored.bmp_typ);
    EXPECT_TRUE(stored.inidir);
    EXPECT_FALSE(stored.pdf_typ);
    EXPECT_NE(test::ReadText(ini).find("F_Path2=/typed/folder"), std::string::npos);

    // Another dialog on the same file shows the same choices.
    TForm3 again;
    again.SetSettingsPath(Q(ini));
    again.show();
    const DialogSettings shown = again.Values();
    EXPECT_EQ(shown.tif_typ, chosen.tif_typ);
    EXPECT_EQ(shown.tif_rez, chosen.tif_rez);
    EXPECT_EQ(shown.jpg_rez, chosen.jpg_rez);
    EXPECT_EQ(shown.mono_typ, chosen.mono_typ);
    EXPECT_EQ(shown.bmp_typ, chosen.bmp_typ);
    EXPECT_EQ(shown.inidir, chosen.inidir);
    EXPECT_EQ(shown.pdf_typ, chosen.pdf_typ);
    again.hide();
}

TEST_F(DialogOptionsTest, KeepsItselfOnTheScreen) {
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    auto showAt = [&](int top, int left) {
        DialogSettings s;
        s.Top = top;
        s.Left = left;
        SaveDialogSettings(ini, s);
        dialog.show();
        const QPoint p = dialog.pos();
        dialog.hide();
        return p;
    };
    EXPECT_EQ(showAt(10, 10), QPoint(60, 100));
    EXPECT_EQ(showAt(150, 120), QPoint(120, 150));
    const QPoint low = showAt(screen.height() - 20, screen.width() - 20);
    EXPECT_EQ(low.y(), screen.height() - dialog.height() - 100);
    EXPECT_EQ(low.x(), screen.width() - dialog.width() - 100);
}

// Shown again and again by "Option", the dialog comes back where it was, frame included.
TEST_F(DialogOptionsTest, ComesBackWhereItWas) {
    Open("");
    std::vector<QPoint> places;
    for (int i = 0; i < 3; ++i) {
        QTest::mouseClick(Control<QPushButton>(viewer, "Button14"), Qt::LeftButton);
        ASSERT_TRUE(test::WaitFor([&] { return dialog.isVisible(); }));
        QApplication::processEvents();
        places.push_back(dialog.frameGeometry().topLeft());
        QTest::mouseClick(Control<QPushButton>(viewer, "Button14"), Qt::LeftButton);
        ASSERT_FALSE(dialog.isVisible());
    }
    EXPECT_EQ(places[1], places[0]);
    EXPECT_EQ(places[2], places[0]);
    const DialogSettings stored = LoadDialogSettings(ini);
    EXPECT_EQ(QPoint(stored.Left, stored.Top), places[0]);
}

TEST_F(DialogOptionsTest, TheFolderButtonRegistersAChosenOrTheShownFolder) {
    Open("");
    dialog.Button1MouseDown(Qt::RightButton);  // no picture: nothing
    EXPECT_TRUE(ui.messages.empty());
    ui.folderAnswers.push_back(QStringLiteral("/data/plans"));
    dialog.Button1Click();
    ASSERT_EQ(ui.folderTitles.size(), 1u);
    EXPECT_EQ(ui.folderTitles[0], QStringLiteral("登録フォルダの指定"));
    EXPECT_EQ(Control<QLineEdit>(dialog, "Edit1")->text(), QStringLiteral("/data/plans/"));
    EXPECT_EQ(viewer->RegisteredFolder(), QStringLiteral("/data/plans/"));
    dialog.Button1Click();  // cancelled: unchanged
    EXPECT_EQ(Control<QLineEdit>(dialog, "Edit1")->text(), QStringLiteral("/data/plans/"));

    viewer->close();
    const std::string path = Mono("m.tif");
    Open(path);
    dialog.Button1MouseDown(Qt::LeftButton);
    EXPECT_TRUE(ui.messages.empty());
    dialog.Button1MouseDown(Qt::RightButton);
    const QString folder = Q(std::filesystem::path(path).parent_path().string());
    EXPECT_EQ(Control<QLineEdit>(dialog, "Edit1")->text(), folder);
    EXPECT_EQ(viewer->RegisteredFolder(), folder);
    EXPECT_EQ(LastMessage(), folder + QStringLiteral("\nフォルダーを登録しました。"));
}

TEST_F(DialogOptionsTest, TheViewerLoadSetsTheGrayChoiceAndPdfOptions) {
    { std::ofstream(ini) << "[Options]\nmono_typ=0\npdf_typ=0\nUseGs=1\nF_Path2=/reg\n"; }
    dialog.SetJpegChoices(false, true);
    Open("");
    EXPECT_FALSE(dialog.JpegGray());
    EXPECT_TRUE(Control<QRadioButton>(dialog, "RadioButton2")->isChecked());
    // Read even where Ghostscript is missing, but not shown as in use there.
    EXPECT_TRUE(dialog.UseGsChoice());
    EXPECT_EQ(dialog.UseGsBits(), 0);
    EXPECT_EQ(Control<QLineEdit>(dialog, "Edit1")->text(), QStringLiteral("/reg"));
}

}  // namespace
}  // namespace vellumo
