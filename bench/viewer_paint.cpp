// The viewer's paint at a picture area of 1600 × 1000: first the viewer window itself on
// the B4 drawing (one bit, saved as G4, and in 24 bits), wheel notches from fitted to the
// largest scale and back, each to the end of its paint; then the image control alone in a
// scroll area, on a B4 drawing at 400 dpi (5732 × 4047) and an A3 one at 600 dpi (9921 ×
// 7016), each in one bit and as a 32-bit picture with alpha flagged (as the decoder gives
// every colour file). Prints, as the median of several runs in milliseconds: the smaller
// copies' making, a full viewport repaint at a middle scroll position for each scale, a
// wheel-zoom step (resize, scroll, the paint the window system makes), and, for the B4
// drawing saved as G4, the load to the first fitted paint.
//
// Usage: bench_viewer_paint [--window] [RUNS]   (default 9; --window: the window only; Qt's
//                                                offscreen platform unless QT_QPA_PLATFORM
//                                                says otherwise, e.g. xcb under Xvfb)

#include <QApplication>
#include <QElapsedTimer>
#include <QPixmap>
#include <QScrollArea>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "document/LoadPicture.h"
#include "document/ViewPyramid.h"
#include "platform/Bitmap.h"
#include "save/TiffWriter.h"
#include "ui/app/Session.h"
#include "ui/checker/TForm1.h"
#include "ui/viewer/ImageControlWidget.h"
#include "ui/viewer/TForm2.h"

namespace {

using namespace vellumo;

constexpr int kViewportWidth = 1600;
constexpr int kViewportHeight = 1000;
constexpr double kRepaintTarget = 16;
constexpr double kZoomStepTarget = 16;
constexpr double kLoadTarget = 300;
constexpr double kBuildTarget = 100;

int g_runs = 9;

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

double TimeMs(const std::function<void()>& work) {
    QElapsedTimer t;
    t.start();
    work();
    return double(t.nsecsElapsed()) / 1e6;
}

double MedianMs(const std::function<void()>& work, int runs = g_runs) {
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) times.push_back(TimeMs(work));
    return Median(times);
}

// A line drawing at `dpi` on white paper, ink as index 1 (black), so that it saves as G4
// as it is: a frame, walls 4 to 8 pixels thick (at 400 dpi), diagonals, rows of text-like
// blots and scattered dust.
Bitmap MakeDrawing(uint32_t w, uint32_t h, int dpi) {
    Bitmap b(w, h, PixelFormat::Bit1);
    b.Palette() = {RgbQuad{255, 255, 255, 0}, RgbQuad{0, 0, 0, 0}};
    auto ink = [&](int64_t x, int64_t y) {
        if (x >= 0 && y >= 0 && x < int64_t(w) && y < int64_t(h))
            b.Row(uint32_t(y))[x >> 3] |= uint8_t(0x80 >> (x & 7));
    };
    const double k = dpi / 400.0;
    std::mt19937 rng{w};
    for (int t = 0; t < int(6 * k); ++t)
        for (uint32_t x = 0; x < w; ++x)
            ink(x, int64_t(60 * k) + t), ink(x, h - int64_t(66 * k) + t);
    const int area = int(double(w) * h / (5732.0 * 4047.0));
    for (int wall = 0; wall < 40 * std::max(1, area); ++wall) {
        const bool horizontal = wall % 2;
        const int64_t at = 200 + int64_t(rng() % (horizontal ? h - 400 : w - 400));
        const int thick = int((4 + rng() % 5) * k);
        const int64_t from = rng() % (w / 3), to = from + int64_t((1500 + rng() % 3000) * k);
        for (int64_t s = from; s < to; ++s)
            for (int t = 0; t < thick; ++t) horizontal ? ink(s, at + t) : ink(at + t, s);
    }
    for (int line = 0; line < 30 * std::max(1, area); ++line) {
        const int64_t x0 = rng() % w, y0 = rng() % h;
        const double dx = (int(rng() % 200) - 100) / 100.0, dy = (int(rng() % 200) - 100) / 100.0;
        for (int s = 0; s < int(2500 * k); ++s)
            for (int t = 0; t < 2; ++t) ink(x0 + int64_t(s * dx) + t, y0 + int64_t(s * dy));
    }
    for (int text = 0; text < 250 * std::max(1, area); ++text) {
        const int64_t x0 = rng() % (w - 1000), y0 = rng() % (h - 60);
        for (int ch = 0; ch < 30; ++ch)
            for (int dot = 0; dot < 40; ++dot)
                ink(x0 + int64_t(ch * 26 * k) + rng() % int(20 * k), y0 + rng() % int(24 * k));
    }
    for (int dust = 0; dust < 20000 * std::max(1, area); ++dust) ink(rng() % w, rng() % h);
    return b;
}

// The drawing as the decoder gives a colour file: 32 bits, alpha flagged, all opaque.
Bitmap AsDecodedColour(const Bitmap& drawing) {
    Bitmap b = ConvertTo32(drawing);
    b.SetHasAlpha(true);
    return b;
}

// The control in its scroll area, as the viewer window holds it.
struct View {
    QScrollArea area;
    ImageControlWidget* image = new ImageControlWidget;

    View() {
        area.setFrameShape(QFrame::NoFrame);
        area.setWidgetResizable(false);
        area.setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
        area.setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
        area.setWidget(image);
        area.resize(kViewportWidth + area.verticalScrollBar()->sizeHint().width(),
                    kViewportHeight + area.horizontalScrollBar()->sizeHint().height());
        area.show();
        QApplication::processEvents();
    }

    double Fitted() const {
        const Bitmap& p = *image->Picture();
        return std::min(double(area.viewport()->width()) / p.Width(),
                        double(area.viewport()->height()) / p.Height());
    }

    // Sets the scale keeping the point at the viewport's centre where it was (the wheel).
    void Zoom(double scale) {
        const Bitmap& p = *image->Picture();
        QScrollBar* h = area.horizontalScrollBar();
        QScrollBar* v = area.verticalScrollBar();
        const int vw = area.viewport()->width(), vh = area.viewport()->height();
        const double cx = (h->value() + vw / 2.0) / std::max(1, image->width());
        const double cy = (v->value() + vh / 2.0) / std::max(1, image->height());
        image->resize(std::max(1, int(std::lround(p.Width() * scale))),
                      std::max(1, int(std::lround(p.Height() * scale))));
        h->setValue(int(std::lround(cx * image->width() - vw / 2.0)));
        v->setValue(int(std::lround(cy * image->height() - vh / 2.0)));
    }

    void Middle() {
        area.horizontalScrollBar()->setValue(area.horizontalScrollBar()->maximum() / 2);
        area.verticalScrollBar()->setValue(area.verticalScrollBar()->maximum() / 2);
    }

    // The whole viewport painted, as an expose of the window makes it.
    void Repaint() {
        const QPixmap shot = area.viewport()->grab();
        if (shot.isNull()) std::abort();
    }

    // What the window system does after a zoom: the pending paint into the window's
    // backing store and its flush to the screen.
    void Painted() { QApplication::processEvents(); }
};

void PrintRow(const char* what, double ms, double target) {
    std::printf("  %-28s %8.2f ms   (target %3.0f ms)%s\n", what, ms, target,
                ms <= target ? "" : "   OVER");
}

void Measure(const char* name, const Bitmap& picture) {
    std::printf("\n%s: %u x %u, %s%s\n", name, picture.Width(), picture.Height(),
                BitmapFormatName(picture.Format()), picture.HasAlpha() ? " with alpha" : "");
    ViewPyramid pyramid;
    auto fresh = [&] {
        pyramid.Clear();
        pyramid.Build(picture);
    };
    PrintRow("copies made, new picture", MedianMs(fresh, 5), kBuildTarget);
    PrintRow("copies made, same size", MedianMs([&] { pyramid.Build(picture); }, 5), kBuildTarget);
    pyramid.Clear();

    View view;
    view.image->SetPicture(&picture);
    const double fitted = view.Fitted();
    // 0.7 is the slowest case: filtered straight from the picture itself.
    const std::pair<const char*, double> scales[] = {
        {"fitted", fitted}, {"0.25", 0.25}, {"0.5", 0.5}, {"0.7", 0.7},
        {"1.0", 1.0},       {"2.0", 2.0},   {"3.3", 3.3}};
    for (const auto& [label, scale] : scales) {
        view.Zoom(scale);
        view.Middle();
        view.Repaint();  // first paint off the clock
        char what[64];
        std::snprintf(what, sizeof what, "repaint at %s (%.3f)", label, scale);
        PrintRow(what, MedianMs([&] { view.Repaint(); }), kRepaintTarget);
    }

    // Wheel steps of 1.25 from fitted up to 3.3 and back down, around the middle.
    std::vector<double> steps;
    for (double s = fitted; s < 3.3; s *= 1.25) steps.push_back(s);
    for (size_t i = steps.size(); i-- > 0;) steps.push_back(steps[i]);
    view.Zoom(fitted);
    view.Middle();
    std::vector<double> times;
    for (double s : steps)
        times.push_back(TimeMs([&] {
            view.Zoom(s);
            view.Painted();
        }));
    char what[64];
    std::snprintf(what, sizeof what, "wheel step (median of %zu)", times.size());
    PrintRow(what, Median(times), kZoomStepTarget);
    std::printf("  %-28s %8.2f ms\n", "wheel step, slowest",
                *std::max_element(times.begin(), times.end()));
}

void MeasureLoad(const Bitmap& drawing) {
    QTemporaryDir dir;
    const std::string path = dir.filePath("drawing.tif").toStdString();
    Bmp2Tif(drawing, path, TiffCompression::G4, 400);
    std::printf("\nB4 drawing saved as G4 TIFF, loaded with the monochrome display on\n");
    std::vector<double> decode, cache, paint, total;
    for (int i = 0; i < std::max(3, g_runs / 2); ++i) {
        View view;
        QElapsedTimer t;
        t.start();
        LoadedPicture loaded = LoadPicture(path, true);
        const double a = double(t.nsecsElapsed()) / 1e6;
        view.image->SetPicture(&loaded.picture);
        const double b = double(t.nsecsElapsed()) / 1e6;
        view.Zoom(view.Fitted());
        view.Repaint();
        const double c = double(t.nsecsElapsed()) / 1e6;
        decode.push_back(a);
        cache.push_back(b - a);
        paint.push_back(c - b);
        total.push_back(c);
        view.image->SetPicture(nullptr);
    }
    std::printf("  %-28s %8.2f ms\n", "decode (LoadPicture)", Median(decode));
    std::printf("  %-28s %8.2f ms\n", "SetPicture", Median(cache));
    std::printf("  %-28s %8.2f ms\n", "fit and first paint", Median(paint));
    PrintRow("load to first fitted paint", Median(total), kLoadTarget);
}

// The viewer window itself on the B4 drawing saved as G4 (or as a 24-bit LZW TIFF), its
// picture area made as large as the viewport above: wheel notches over the picture's centre from
// fitted to the largest scale and back, each timed to the end of its paint (on xcb including the
// flush to the X server and a round trip to it).
void MeasureWindow(const Bitmap& drawing, bool colour) {
    QTemporaryDir dir;
    const std::string path = dir.filePath("tatemono1.tif").toStdString();
    if (colour)
        Bmp2Tif(ConvertTo24(drawing), path, TiffCompression::Lzw, 400);
    else
        Bmp2Tif(drawing, path, TiffCompression::G4, 400);
    Session session(dir.filePath("vellumo.ini"));
    TForm1 checker(session, {});
    session.HandOffFileName = session.CheckedFileName = QString::fromStdString(path);
    TForm2 viewer(session, nullptr);
    viewer.show();
    QApplication::processEvents();  // the hand-off loads the drawing
    // The window's controls, by their object names.
    auto* scrollBox = viewer.findChild<QScrollArea*>(QStringLiteral("ScrollBox1"));
    auto* image = viewer.findChild<ImageControlWidget*>(QStringLiteral("Image1"));
    for (int i = 0; i < 3; ++i) {
        const QSize want(kViewportWidth, kViewportHeight);
        viewer.resize(viewer.size() + want - scrollBox->viewport()->size());
        QApplication::processEvents();
    }
    const QSize shown = scrollBox->viewport()->size();
    std::printf("\nthe viewer window on the B4 drawing %s, picture area %d x %d (%s)\n",
                colour ? "in 24 bits" : "in one bit", shown.width(), shown.height(),
                qPrintable(QGuiApplication::platformName()));
    auto notch = [&](int delta) {
        QWidget* area = scrollBox->viewport();
        const QPoint centre(area->width() / 2, area->height() / 2);
        const QPoint global = area->mapToGlobal(centre);
        const QPoint local = image->mapFromGlobal(global);
        viewer.SetPointerOverImage(true);
        QWheelEvent wheel(QPointF(local), QPointF(global), QPoint(), QPoint(0, delta), Qt::NoButton,
                          Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(image, &wheel);
        QApplication::processEvents();
        QGuiApplication::sync();
    };
    // From fitted up to the largest scale and back down to fitted, twice.
    viewer.FitWhole();
    QApplication::processEvents();
    const double fitted = viewer.View().ViewScale;
    std::vector<double> times;
    for (int pass = 0; pass < 2; ++pass) {
        for (int delta : {120, -120}) {
            double last = -1;
            while (viewer.View().ViewScale != last &&
                   (delta > 0 || viewer.View().ViewScale > fitted)) {
                last = viewer.View().ViewScale;
                times.push_back(TimeMs([&] { notch(delta); }));
            }
        }
    }
    char what[64];
    std::snprintf(what, sizeof what, "wheel step (median of %zu)", times.size());
    PrintRow(what, Median(times), kZoomStepTarget);
    std::printf("  %-28s %8.2f ms\n", "wheel step, slowest",
                *std::max_element(times.begin(), times.end()));
    viewer.close();
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    bool windowOnly = false;
    for (int i = 1; i < argc; ++i) {
        if (std::string(argv[i]) == "--window")
            windowOnly = true;
        else
            g_runs = std::max(1, std::atoi(argv[i]));
    }
    std::printf("viewer paint, viewport %d x %d, median of %d runs\n", kViewportWidth,
                kViewportHeight, g_runs);

    const Bitmap b4 = MakeDrawing(5732, 4047, 400);
    MeasureWindow(b4, false);
    MeasureWindow(b4, true);
    if (windowOnly) return 0;
    Measure("B4 at 400 dpi, one bit", b4);
    MeasureLoad(b4);
    {
        const Bitmap b4Colour = AsDecodedColour(b4);
        Measure("B4 at 400 dpi, 32 bits", b4Colour);
    }
    const Bitmap a3 = MakeDrawing(9921, 7016, 600);
    Measure("A3 at 600 dpi, one bit", a3);
    const Bitmap a3Colour = AsDecodedColour(a3);
    Measure("A3 at 600 dpi, 32 bits", a3Colour);
    return 0;
}
