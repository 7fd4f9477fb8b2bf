// The drawing steps alone (Google Benchmark): resampling a B4 scan from 300 and a one-bit
// drawing from 600 dpi to 400 dpi, the whole pipeline (true scale, placement on B4, one
// bit) on the B4 24-bit scan at 400 and at 300 dpi, and the predicted check with its G4
// encoding in memory; and the viewer's drawing panel: its fit of the 300-dpi scan (steps 1
// to 3 in gray), its prediction of a gray B4 page at the slider's threshold, and its save of
// the drawing as a G4 file. The pictures come from examples/tatemono1.tif (B4 at 400 dpi, one
// bit), as a scan with paper tone and noise.
//
// Usage: bench_drawing [DRAWING.tif] [benchmark options]

#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "ScanPicture.h"
#include "document/DrawingDraft.h"
#include "document/DrawingPipeline.h"
#include "document/DrawingPrediction.h"
#include "document/LoadPicture.h"
#include "imaging/Resample.h"
#include "save/FaxBitmap.h"
#include "save/SaveFormats.h"
#include "save/TiffWriter.h"

namespace {

using namespace vellumo;

std::string g_drawingPath = VELLUMO_EXAMPLES "/tatemono1.tif";

const Bitmap& Drawing() {
    static const Bitmap drawing = LoadPicture(g_drawingPath, true).picture;
    return drawing;
}

/// The drawing as a 24-bit scan at 400 dpi: paper near 238, ink near 35, noise of ±8.
const Bitmap& Scan400() {
    static const Bitmap scan = NoisyScan(Drawing());
    return scan;
}

/// The same scan at 300 dpi (4299 × 3035).
const Bitmap& Scan300() {
    static const Bitmap scan = Resample(Scan400(), 4299, 3035);
    return scan;
}

/// The drawing at 600 dpi, one bit (8598 × 6071).
const Bitmap& Drawing600() {
    static const Bitmap drawing = Resample(Drawing(), 8598, 6071);
    return drawing;
}

void BM_ResampleColour300To400(benchmark::State& state) {
    for (auto _ : state) benchmark::DoNotOptimize(Resample(Scan300(), 5732, 4047));
}
BENCHMARK(BM_ResampleColour300To400)->Unit(benchmark::kMillisecond);

void BM_ResampleGray300To400(benchmark::State& state) {
    for (auto _ : state)
        benchmark::DoNotOptimize(Resample(Scan300(), 5732, 4047, ResampleColour::Gray));
}
BENCHMARK(BM_ResampleGray300To400)->Unit(benchmark::kMillisecond);

void BM_ResampleOneBit600To400(benchmark::State& state) {
    for (auto _ : state) benchmark::DoNotOptimize(Resample(Drawing600(), 5732, 4047));
}
BENCHMARK(BM_ResampleOneBit600To400)->Unit(benchmark::kMillisecond);

void BM_MakeDrawingScan400(benchmark::State& state) {
    for (auto _ : state) benchmark::DoNotOptimize(MakeDrawing(Scan400(), 400, 400, {}));
}
BENCHMARK(BM_MakeDrawingScan400)->Unit(benchmark::kMillisecond);

void BM_MakeDrawingScan300(benchmark::State& state) {
    for (auto _ : state) benchmark::DoNotOptimize(MakeDrawing(Scan300(), 300, 300, {}));
}
BENCHMARK(BM_MakeDrawingScan300)->Unit(benchmark::kMillisecond);

void BM_MakeDrawingScan300Despeckled(benchmark::State& state) {
    DrawingOptions options;
    options.despeckle = true;
    for (auto _ : state) benchmark::DoNotOptimize(MakeDrawing(Scan300(), 300, 300, options));
}
BENCHMARK(BM_MakeDrawingScan300Despeckled)->Unit(benchmark::kMillisecond);

/// The G4 file of the B4 drawing, encoded in memory: the data size of the prediction.
void BM_EncodeG4InMemory(benchmark::State& state) {
    const Bitmap fax = MakeFaxBitmap(Drawing());
    size_t bytes = 0;
    for (auto _ : state) bytes = EncodeTiff(fax, TiffCompression::G4, 400).size();
    state.counters["KB"] = double(bytes) / 1024;
}
BENCHMARK(BM_EncodeG4InMemory)->Unit(benchmark::kMillisecond);

void BM_PredictDrawingCheck(benchmark::State& state) {
    for (auto _ : state) benchmark::DoNotOptimize(PredictDrawingCheck(Drawing(), "tatemono1.tif"));
}
BENCHMARK(BM_PredictDrawingCheck)->Unit(benchmark::kMillisecond);

/// The panel's "B4 400dpi に合わせる" on the 300-dpi scan: the page stays gray.
void BM_PanelFitScan300(benchmark::State& state) {
    for (auto _ : state)
        benchmark::DoNotOptimize(PlaceOnB4(Scan300(), 300, 300, {}, ResampleColour::Gray));
}
BENCHMARK(BM_PanelFitScan300)->Unit(benchmark::kMillisecond);

/// The panel's verdict on that gray page: reduced at the slider's threshold, then predicted.
void BM_PanelPredictGrayPage(benchmark::State& state) {
    const Bitmap page = PlaceOnB4(Scan300(), 300, 300, {}, ResampleColour::Gray).page;
    for (auto _ : state)
        benchmark::DoNotOptimize(PredictDrawingCheck(DrawingOfPicture(page, 128), "tatemono1.tif"));
}
BENCHMARK(BM_PanelPredictGrayPage)->Unit(benchmark::kMillisecond);

/// The panel's "図面として保存" of that page: reduced, encoded and written through the save
/// path (a temporary file renamed into place).
void BM_PanelSaveGrayPage(benchmark::State& state) {
    const Bitmap page = PlaceOnB4(Scan300(), 300, 300, {}, ResampleColour::Gray).page;
    const std::string path =
        (std::filesystem::temp_directory_path() / "vellumo-bench-tatemono1.tif").string();
    for (auto _ : state)
        SavePicture(DrawingOfPicture(page, 128), path, SaveType::Tiff, DrawingSaveOptions());
    std::filesystem::remove(path);
}
BENCHMARK(BM_PanelSaveGrayPage)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    if (argc > 1 && argv[1][0] != '-') {
        g_drawingPath = argv[1];
        --argc, ++argv;
        argv[0] = argv[-1];
    }
    benchmark::Initialize(&argc, argv);
    // The pictures are made before the first timing.
    Scan300();
    Drawing600();
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
