// The print job of a B4 drawing at 400 dpi (examples/tatemono1.tif, 5732 × 4047, one bit):
// the load as the viewer loads it, then the job on A3 with its frame and on B4, written by
// Qt's PDF output (the page description CUPS receives from a printing viewer). Prints the
// median of several runs in milliseconds and the size of the page description.
//
// Usage: bench_print_job [RUNS]     (default 5; Qt's offscreen platform unless
//                                    QT_QPA_PLATFORM says otherwise)

#include <QApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "document/LoadPicture.h"
#include "print/DrawRoutine.h"
#include "ui/print/PrinterBackendQt.h"

namespace {

using namespace vellumo;

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    const std::string drawing = std::string(VELLUMO_EXAMPLES) + "/tatemono1.tif";
    QTemporaryDir dir;
    const QString pdf = dir.filePath(QStringLiteral("sheet.pdf"));

    std::vector<double> load, a3, b4;
    qint64 bytes = 0;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer t;
        t.start();
        const LoadedPicture loaded = LoadPicture(drawing, true, 128);
        load.push_back(double(t.nsecsElapsed()) / 1e6);
        for (PaperChoice paper : {PaperChoice::A3, PaperChoice::B4}) {
            QtPrinterBackend printer(pdf);
            printer.SetPaperCode(kPaperEntries[size_t(paper)].paperCode);
            printer.SetLandscape();
            const PaperScale sheet = GetPaperScale(printer.Caps());
            PrintRequest request{drawing, 1, paper, true};
            t.restart();
            DrawRoutine(printer, sheet, loaded.picture, request);
            (paper == PaperChoice::A3 ? a3 : b4).push_back(double(t.nsecsElapsed()) / 1e6);
            bytes = QFileInfo(pdf).size();
        }
    }
    std::printf("load (decode, one bit)        %8.1f ms\n", Median(load));
    std::printf("print job A3 with frame       %8.1f ms\n", Median(a3));
    std::printf("print job B4                  %8.1f ms\n", Median(b4));
    std::printf("page description (B4)         %8.1f KB\n", double(bytes) / 1024);
    return 0;
}
