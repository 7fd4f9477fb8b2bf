// The viewer window on the B4 colour scan (5732 × 4047 at 400 dpi, paper tone and noise, as
// bench/compare_tools makes it): how long 実行 on the default crop frame and a PNG save hold
// the window, when the window answers again, and when the file is complete.
//
// - cut-out: from the click on 実行 to the end of the cut-out's paint ("answers"; on xcb
//   with the flush to the X server and a round trip), and to "Tmp.png" renamed into place;
// - PNG save (RGBA, level 7, Sub filter): how long the command held the window, the longest
//   pause of the window's event loop from the click until the file is in place (a 10 ms
//   timer ticks meanwhile), whether the progress bar was shown, and the whole time.
//
// Usage: bench_viewer_writes [RUNS]   (default 5; the median is printed. Qt's offscreen
//                                      platform unless QT_QPA_PLATFORM says otherwise, e.g.
//                                      xcb under Xvfb for a real window)

#include <sys/stat.h>

#include <QApplication>
#include <QColor>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollArea>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "platform/Bitmap.h"
#include "platform/ImageDecoder.h"
#include "save/TiffWriter.h"
#include "ui/app/Session.h"
#include "ui/app/UiServices.h"
#include "ui/checker/TForm1.h"
#include "ui/viewer/TForm2.h"

namespace {

using namespace vellumo;

constexpr double kCutOutAnswerTarget = 300;

// The save dialog answers with the file set here; every box with Yes.
class BenchUi : public UiServices {
  public:
    QString savePath;

    BoxAnswer ShowMessage(QWidget*, const MessageBoxRequest& r) override {
        std::fprintf(stderr, "message: %s\n", qPrintable(r.text));
        return BoxAnswer::Yes;
    }
    std::optional<OpenFileAnswer> ChooseOpenFile(QWidget*, const OpenFileRequest&) override {
        return std::nullopt;
    }
    std::optional<SaveFileAnswer> ChooseSaveFile(QWidget*, const SaveFileRequest&,
                                                 const SaveDialogEvent&) override {
        return SaveFileAnswer{savePath, 4};
    }
    std::optional<FontChoice> ChooseFont(QWidget*, const FontChoice&) override {
        return std::nullopt;
    }
    std::optional<QColor> ChooseColor(QWidget*, const QColor&) override { return std::nullopt; }
    std::optional<QString> ChooseFolder(QWidget*, const QString&, const QString&) override {
        return std::nullopt;
    }
    bool ChoosePrinterSetup(QWidget*, PrinterBackend&) override { return false; }
    void ProcessEvents() override { QApplication::processEvents(); }
};

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

double Ms(const QElapsedTimer& t) { return double(t.nsecsElapsed()) / 1e6; }

// The drawing as a 24-bit scan: ink a little lighter than black, the paper #f2ede2, and
// Gaussian noise on both, so that the PNG has real work to do.
Bitmap MakeScan(const std::string& drawingPath) {
    const Bitmap drawing = DecodeImage(drawingPath).picture;  // 32 bits
    Bitmap scan(drawing.Width(), drawing.Height(), PixelFormat::Bit24);
    std::mt19937 rng(400);
    std::normal_distribution<double> gauss(0.0, 7.0);
    std::vector<int> noise(1 << 16);
    for (int& n : noise) n = int(std::lround(gauss(rng)));
    uint32_t at = 0;
    auto clamp = [](int v) { return uint8_t(std::clamp(v, 0, 255)); };
    for (uint32_t y = 0; y < drawing.Height(); ++y) {
        const uint8_t* s = drawing.Row(y);
        uint8_t* d = scan.Row(y);
        for (uint32_t x = 0; x < drawing.Width(); ++x, s += 4, d += 3) {
            const bool ink = s[0] + s[1] + s[2] < 3 * 128;
            const int b = ink ? 40 : 0xe2, g = ink ? 40 : 0xed, r = ink ? 45 : 0xf2;
            at = at * 1664525u + 1013904223u;
            d[0] = clamp(b + noise[at >> 16]);
            d[1] = clamp(g + noise[(at >> 8) & 0xFFFF]);
            d[2] = clamp(r + noise[at & 0xFFFF]);
        }
    }
    return scan;
}

// The file's identity, so a file renamed into place is told from the one before.
std::pair<uint64_t, int64_t> Identity(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return {0, 0};
    return {uint64_t(st.st_ino),
            int64_t(st.st_mtim.tv_nsec) + int64_t(st.st_mtim.tv_sec) * 1000000000};
}

// Lets the window run until `done`, at most a minute, looking every 5 ms. The event loop
// sleeps in between, as the program's own does: a spinning loop would take a core from the
// writer.
void RunUntil(const std::function<bool()>& done) {
    QElapsedTimer t;
    t.start();
    QEventLoop loop;
    QTimer poll;
    poll.setInterval(5);
    poll.callOnTimeout([&] {
        if (done() || t.elapsed() > 60000) loop.quit();
    });
    poll.start();
    if (!done()) loop.exec();
}

void Row(const char* what, double ms, double target = 0) {
    if (target > 0)
        std::printf("  %-44s %8.1f ms   (target %3.0f ms)%s\n", what, ms, target,
                    ms <= target ? "" : "   OVER");
    else
        std::printf("  %-44s %8.1f ms\n", what, ms);
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;

    QTemporaryDir dir;
    const std::string scanPath = dir.filePath("scan.tif").toStdString();
    WriteRgbTiff(MakeScan(VELLUMO_EXAMPLES "/tatemono1.tif"), scanPath, TiffCompression::None, 400);
    BenchUi ui;
    SetUiServices(&ui);
    Session session(dir.filePath("vellumo.ini"));
    TForm1 checker(session, {});
    session.HandOffFileName = session.CheckedFileName = QString::fromStdString(scanPath);
    TForm2 viewer(session, nullptr);
    viewer.show();
    QApplication::processEvents();  // the hand-off loads the scan
    // The window's controls, by their object names.
    auto* scrollBox = viewer.findChild<QScrollArea*>(QStringLiteral("ScrollBox1"));
    auto* cutOut = viewer.findChild<QPushButton*>(QStringLiteral("Button12"));
    auto* progressBar = viewer.findChild<QProgressBar*>(QStringLiteral("ProgressBar1"));
    viewer.resize(1716, 1100);
    QElapsedTimer settle;
    settle.start();
    RunUntil([&] { return settle.elapsed() > 300; });
    std::printf(
        "viewer writes on the B4 colour scan %u x %u (%s), picture area %d x %d, "
        "median of %d runs\n",
        viewer.Document().Picture().Width(), viewer.Document().Picture().Height(),
        qPrintable(QGuiApplication::platformName()), scrollBox->viewport()->width(),
        scrollBox->viewport()->height(), runs);

    // 実行 on the default frame.
    const std::string tmpPng = session.WorkFolder().toStdString() + "/Tmp.png";
    std::vector<double> held, answered, written;
    for (int i = 0; i < runs; ++i) {
        viewer.Button11Click();
        QApplication::processEvents();
        const auto before = Identity(tmpPng);
        QElapsedTimer t;
        t.start();
        cutOut->click();
        held.push_back(Ms(t));
        QApplication::processEvents();
        QGuiApplication::sync();
        answered.push_back(Ms(t));
        RunUntil([&] { return Identity(tmpPng) != before && Identity(tmpPng).first != 0; });
        written.push_back(Ms(t));
        std::fprintf(stderr, "cut-out %d: %u x %u\n", i, viewer.Document().Picture().Width(),
                     viewer.Document().Picture().Height());
        viewer.Button6Click();  // reload (off the clock)
        RunUntil([&] { return viewer.Document().Picture().Width() == 5732; });
    }
    std::printf("\n実行 (cut-out of the default frame, %s)\n", "Tmp.png written beside");
    Row("the click held the window", Median(held));
    Row("answers (cut-out painted)", Median(answered), kCutOutAnswerTarget);
    Row("Tmp.png in place", Median(written));

    // The PNG save of the whole scan.
    const std::string out = dir.filePath("out.png").toStdString();
    ui.savePath = QString::fromStdString(out);
    std::vector<double> saveHeld, pause, total;
    int progressRuns = 0;
    for (int i = 0; i < std::max(1, runs / 2); ++i) {
        ::unlink(out.c_str());
        QElapsedTimer t, tick;
        double longest = 0;
        bool progress = false;
        QTimer timer;
        timer.setInterval(10);
        timer.callOnTimeout([&] {
            longest = std::max(longest, Ms(tick));
            tick.restart();
            progress = progress || progressBar->isVisible();
        });
        timer.start();
        t.start();
        tick.start();
        viewer.Button8Click();
        saveHeld.push_back(Ms(t));
        RunUntil([&] { return Identity(out).first != 0; });
        total.push_back(Ms(t));
        longest = std::max(longest, Ms(tick));
        pause.push_back(longest);
        progressRuns += progress;
        RunUntil([&] { return !progressBar->isVisible(); });
    }
    std::printf("\nPNG save of the scan (RGBA, level 7, Sub filter)\n");
    Row("the command held the window", Median(saveHeld));
    Row("longest pause of the event loop", Median(pause));
    Row("file in place", Median(total));
    std::printf("  %-44s %d of %d runs\n", "progress bar shown", progressRuns,
                std::max(1, runs / 2));
    viewer.close();
    SetUiServices(nullptr);
    return 0;
}
