// Writers benchmark: the save paths on the B4 landscape drawing (5732 × 4047 at 400 dpi),
// one-bit, and on the same drawing as a 24-bit and a 32-bit scan.
//
// Usage: bench_writers [DRAWING.tif] [benchmark options]
//        bench_writers --write-scan OUT.png [DRAWING.tif]   (the 24-bit scan, for peers)
//        bench_writers --write-drawing OUT.tif   (the synthetic drawing, G4, about 250 KB)
//        bench_writers --peak CASE [DRAWING.tif]   (one save in a fresh process; CASE is
//                      g4, g4-scan32, lzw-scan32, png-scan24, png-scan32, jpeg-scan32 or
//                      bmp-scan32; prints the rise of the peak resident memory)
//
// The drawing defaults to examples/tatemono1.tif (VELLUMO_EXAMPLES at build time, or the
// current folder's examples/); without it a synthetic drawing of the same size is used.
// Files are written to $TMPDIR (else /tmp) and removed. The counter MB/s is picture bytes
// handled per second. Memory is measured by --peak in a fresh process, where no memory
// freed by an earlier case can hide an allocation.

#include <benchmark/benchmark.h>
#include <tiffio.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "ScanPicture.h"
#include "platform/Bitmap.h"
#include "save/FaxBitmap.h"
#include "save/JpegWriter.h"
#include "save/PngWriter.h"
#include "save/SaveFormats.h"
#include "save/TiffWriter.h"

#ifndef VELLUMO_EXAMPLES
#define VELLUMO_EXAMPLES "examples"
#endif

namespace {

using namespace vellumo;

std::string g_drawingPath = VELLUMO_EXAMPLES "/tatemono1.tif";

std::string TempFile(const char* name) {
    const char* dir = std::getenv("TMPDIR");
    return std::string(dir && *dir ? dir : "/tmp") + "/vellumo_bench_" + std::to_string(getpid()) +
           "_" + name;
}

// ---------------------------------------------------------------------------------------
// Memory

long StatusKiB(const char* key) {
    std::ifstream status("/proc/self/status");
    std::string line;
    const size_t len = std::strlen(key);
    while (std::getline(status, line))
        if (line.compare(0, len, key) == 0) return std::atol(line.c_str() + len + 1);
    return -1;
}

/// Peak resident memory above the present level while `work` runs, in MiB (the peak is
/// reset through clear_refs first).
template <typename Work>
double PeakRiseMiB(Work work) {
    { std::ofstream("/proc/self/clear_refs") << "5"; }
    const long before = StatusKiB("VmRSS:");
    work();
    const long peak = StatusKiB("VmHWM:");
    return before < 0 || peak < 0 ? -1.0 : (peak - before) / 1024.0;
}

// ---------------------------------------------------------------------------------------
// Pictures

/// A one-bit picture with the colour table [black, white] read with libtiff (bilevel,
/// strips); empty when the file cannot be read so.
Bitmap ReadDrawing(const std::string& path) {
    TIFF* tif = TIFFOpen(path.c_str(), "r");
    if (!tif) return {};
    uint32_t w = 0, h = 0;
    uint16_t bits = 0, photometric = PHOTOMETRIC_MINISWHITE;
    TIFFGetField(tif, TIFFTAG_IMAGEWIDTH, &w);
    TIFFGetField(tif, TIFFTAG_IMAGELENGTH, &h);
    TIFFGetFieldDefaulted(tif, TIFFTAG_BITSPERSAMPLE, &bits);
    TIFFGetField(tif, TIFFTAG_PHOTOMETRIC, &photometric);
    Bitmap out;
    if (bits == 1 && w && h) {
        out = Bitmap(w, h, PixelFormat::Bit1);
        out.Palette() = {RgbQuad{0, 0, 0, 0}, RgbQuad{255, 255, 255, 0}};
        const tmsize_t rowBytes = (w + 7) / 8;
        std::vector<uint8_t> strip(TIFFStripSize(tif));
        uint32_t rowsPerStrip = h;
        TIFFGetFieldDefaulted(tif, TIFFTAG_ROWSPERSTRIP, &rowsPerStrip);
        for (uint32_t s = 0; s < TIFFNumberOfStrips(tif); ++s) {
            if (TIFFReadEncodedStrip(tif, s, strip.data(), tmsize_t(strip.size())) < 0) break;
            for (uint32_t r = 0; r < rowsPerStrip && s * rowsPerStrip + r < h; ++r) {
                uint8_t* d = out.Row(s * rowsPerStrip + r);
                const uint8_t* src = strip.data() + r * rowBytes;
                // 0 is black in the picture; in a WhiteIsZero file a set bit is black.
                for (tmsize_t i = 0; i < rowBytes; ++i)
                    d[i] = photometric == PHOTOMETRIC_MINISWHITE ? uint8_t(~src[i]) : src[i];
            }
        }
    }
    TIFFClose(tif);
    return out;
}

/// A synthetic B4 drawing: frames, a grid of lines and blocks of "text" strokes.
Bitmap SyntheticDrawing() {
    Bitmap out(5732, 4047, PixelFormat::Bit1);
    out.Palette() = {RgbQuad{0, 0, 0, 0}, RgbQuad{255, 255, 255, 0}};
    out.Fill(0xFF);
    auto black = [&](uint32_t x, uint32_t y) { out.SetPixelIndex(x, y, 0); };
    for (uint32_t y = 100; y < 3947; y += 120)
        for (uint32_t x = 100; x < 5632; ++x) black(x, y), black(x, y + 1);
    for (uint32_t x = 100; x < 5632; x += 160)
        for (uint32_t y = 100; y < 3947; ++y) black(x, y), black(x + 1, y);
    uint32_t seed = 12345;
    for (uint32_t y = 130; y < 3900; y += 120)
        for (uint32_t x = 130; x < 5600; x += 9) {
            seed = seed * 1103515245u + 12345u;
            if ((seed >> 16) % 3 == 0) continue;
            for (uint32_t k = 0; k < 40; ++k) black(x + (seed >> 20) % 4, y + k);
        }
    return out;
}

const Bitmap& Drawing() {
    static const Bitmap drawing = [] {
        Bitmap b = ReadDrawing(g_drawingPath);
        if (b.Empty()) {
            std::fprintf(stderr, "bench_writers: %s not readable, synthetic drawing used\n",
                         g_drawingPath.c_str());
            b = SyntheticDrawing();
        }
        return b;
    }();
    return drawing;
}

/// The drawing as a 24-bit scan: paper near 238 and ink near 35 with noise of ±8 and a
/// slight warm tint, as a flatbed scan of a print looks.
const Bitmap& Scan24() {
    static const Bitmap scan = NoisyScan(Drawing());
    return scan;
}

const Bitmap& Scan32() {
    static const Bitmap scan = [] {
        Bitmap b = ConvertTo32(Scan24());
        b.SetHasAlpha(true);
        return b;
    }();
    return scan;
}

// ---------------------------------------------------------------------------------------
// Cases

template <typename Work>
void Run(benchmark::State& state, const Bitmap& picture, const std::string& file, Work work) {
    for (auto _ : state) work();
    std::remove(file.c_str());
    state.counters["MB/s"] = benchmark::Counter(double(picture.ByteSize()) / 1e6,
                                                benchmark::Counter::kIsIterationInvariantRate);
}

void BM_FaxPrepareMono(benchmark::State& state) {
    const Bitmap& picture = Drawing();
    for (auto _ : state) benchmark::DoNotOptimize(MakeFaxBitmap(picture));
    state.counters["MB/s"] = benchmark::Counter(double(picture.ByteSize()) / 1e6,
                                                benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(BM_FaxPrepareMono)->Unit(benchmark::kMillisecond);

void BM_FaxPrepareScan32(benchmark::State& state) {
    const Bitmap& picture = Scan32();
    for (auto _ : state) benchmark::DoNotOptimize(MakeFaxBitmap(picture));
    state.counters["MB/s"] = benchmark::Counter(double(picture.ByteSize()) / 1e6,
                                                benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(BM_FaxPrepareScan32)->Unit(benchmark::kMillisecond);

/// The save command's G4 path: preparation and the TIFF writer.
void BM_SaveG4(benchmark::State& state) {
    const Bitmap& picture = Drawing();
    const std::string file = TempFile("g4.tif");
    SaveOptions options;
    options.compression = TiffCompression::G4;
    Run(state, picture, file, [&] { SavePicture(picture, file, SaveType::Tiff, options); });
}
BENCHMARK(BM_SaveG4)->Unit(benchmark::kMillisecond);

/// What `tiffcp -c g4` does in its process: decode the drawing, then the G4 save.
void BM_DecodeAndSaveG4(benchmark::State& state) {
    const std::string file = TempFile("g4b.tif");
    SaveOptions options;
    options.compression = TiffCompression::G4;
    for (auto _ : state) {
        const Bitmap picture = ReadDrawing(g_drawingPath);
        if (picture.Empty()) {
            state.SkipWithError("drawing not readable");
            break;
        }
        SavePicture(picture, file, SaveType::Tiff, options);
    }
    std::remove(file.c_str());
}
BENCHMARK(BM_DecodeAndSaveG4)->Unit(benchmark::kMillisecond);

void BM_SaveLzwScan24(benchmark::State& state) {
    const Bitmap& picture = Scan24();
    const std::string file = TempFile("lzw.tif");
    SaveOptions options;
    options.compression = TiffCompression::Lzw;
    Run(state, picture, file, [&] { SavePicture(picture, file, SaveType::Tiff, options); });
}
BENCHMARK(BM_SaveLzwScan24)->Unit(benchmark::kMillisecond)->Iterations(2);

void BM_SavePngScan24(benchmark::State& state) {
    const Bitmap& picture = Scan24();
    const std::string file = TempFile("24.png");
    Run(state, picture, file, [&] { WritePng(picture, file); });
}
BENCHMARK(BM_SavePngScan24)->Unit(benchmark::kMillisecond)->Iterations(2)->UseRealTime();

void BM_SavePngScan32(benchmark::State& state) {
    const Bitmap& picture = Scan32();
    const std::string file = TempFile("32.png");
    Run(state, picture, file, [&] { WritePng(picture, file); });
}
BENCHMARK(BM_SavePngScan32)->Unit(benchmark::kMillisecond)->Iterations(2)->UseRealTime();

void BM_SavePngMono(benchmark::State& state) {
    const Bitmap& picture = Drawing();
    const std::string file = TempFile("1.png");
    Run(state, picture, file, [&] { WritePng(picture, file); });
}
BENCHMARK(BM_SavePngMono)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_SaveJpegScan32(benchmark::State& state) {
    const Bitmap& picture = Scan32();
    const std::string file = TempFile("32.jpg");
    SaveOptions options;
    Run(state, picture, file, [&] { SavePicture(picture, file, SaveType::Jpeg, options); });
}
BENCHMARK(BM_SaveJpegScan32)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_SaveBmpScan32(benchmark::State& state) {
    const Bitmap& picture = Scan32();
    const std::string file = TempFile("32.bmp");
    SaveOptions options;
    Run(state, picture, file, [&] { SavePicture(picture, file, SaveType::Bmp, options); });
}
BENCHMARK(BM_SaveBmpScan32)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

/// One save of `name` in this fresh process: the rise of the peak resident memory over the
/// memory held with the picture loaded, in MiB; negative for an unknown case.
double PeakOfCase(const std::string& name) {
    const std::string file = TempFile("peak");
    SaveOptions options;
    const Bitmap* picture = nullptr;
    SaveType type = SaveType::Tiff;
    options.compression = TiffCompression::G4;
    if (name == "g4") picture = &Drawing();
    if (name == "g4-scan32") picture = &Scan32();
    if (name == "lzw-scan32") picture = &Scan32(), options.compression = TiffCompression::Lzw;
    if (name == "png-scan24") picture = &Scan24(), type = SaveType::Png;
    if (name == "png-scan32") picture = &Scan32(), type = SaveType::Png;
    if (name == "jpeg-scan32") picture = &Scan32(), type = SaveType::Jpeg;
    if (name == "bmp-scan32") picture = &Scan32(), type = SaveType::Bmp;
    if (!picture) return -1;
    const double rise = PeakRiseMiB([&] { SavePicture(*picture, file, type, options); });
    std::remove(file.c_str());
    return rise;
}

int main(int argc, char** argv) {
    if (argc > 2 && std::strcmp(argv[1], "--write-drawing") == 0) {
        Bmp2Tif(MakeFaxBitmap(SyntheticDrawing()), argv[2], TiffCompression::G4, 400);
        return 0;
    }
    if (argc > 2 && std::strcmp(argv[1], "--peak") == 0) {
        if (argc > 3) g_drawingPath = argv[3];
        const double rise = PeakOfCase(argv[2]);
        if (rise < 0) return 2;
        std::printf("%s: peak resident memory +%.2f MiB over the loaded picture\n", argv[2], rise);
        return 0;
    }
    if (argc > 2 && std::strcmp(argv[1], "--write-scan") == 0) {
        if (argc > 3) g_drawingPath = argv[3];
        WritePng(Scan24(), argv[2]);
        return 0;
    }
    if (argc > 1 && argv[1][0] != '-') {
        g_drawingPath = argv[1];
        for (int i = 1; i + 1 < argc; ++i) argv[i] = argv[i + 1];
        --argc;
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
