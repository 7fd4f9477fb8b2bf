// Each pixel operation of the viewer alone on a synthetic B4 drawing at 400 dpi
// (5732 × 4047): a one-bit drawing with lines and text-like specks, and a scan of it in 24
// and 32 bits with paper tone and noise. Throughput counts the bytes of the input picture.

#include <benchmark/benchmark.h>

#include <cstdint>
#include <random>

#include "crop/CutOut.h"
#include "imaging/Despeckle.h"
#include "imaging/Dither.h"
#include "imaging/Gray.h"
#include "imaging/Rotate.h"
#include "imaging/Threshold.h"
#include "platform/Bitmap.h"

namespace {

using namespace vellumo;

constexpr uint32_t kWidth = 5732;   // 364 mm at 400 dpi
constexpr uint32_t kHeight = 4047;  // 257 mm

void Ink(Bitmap& b, int64_t x, int64_t y) {
    if (x >= 0 && y >= 0 && x < b.Width() && y < b.Height())
        b.SetPixelIndex(uint32_t(x), uint32_t(y), 0);
}

// White paper, a frame, a grid of walls 4 to 8 pixels thick, some diagonals, rows of
// "text" made of small ink blots, and scattered single-pixel dust.
const Bitmap& Drawing() {
    static const Bitmap drawing = [] {
        Bitmap b(kWidth, kHeight, PixelFormat::Bit1);
        b.Palette() = {RgbQuad{0, 0, 0, 0}, RgbQuad{255, 255, 255, 0}};
        for (uint32_t y = 0; y < kHeight; ++y)
            for (size_t i = 0; i < b.Stride(); ++i) b.Row(y)[i] = 0xFF;
        std::mt19937 rng(400);
        for (int t = 0; t < 6; ++t)
            for (uint32_t x = 0; x < kWidth; ++x) Ink(b, x, 60 + t), Ink(b, x, kHeight - 66 + t);
        for (int wall = 0; wall < 40; ++wall) {
            const bool horizontal = wall % 2;
            const int64_t at = 200 + int64_t(rng() % (horizontal ? kHeight - 400 : kWidth - 400));
            const int thick = 4 + int(rng() % 5);
            const int64_t from = rng() % 2000, to = from + 1500 + rng() % 3000;
            for (int64_t s = from; s < to; ++s)
                for (int t = 0; t < thick; ++t) horizontal ? Ink(b, s, at + t) : Ink(b, at + t, s);
        }
        for (int line = 0; line < 30; ++line) {
            const int64_t x0 = rng() % kWidth, y0 = rng() % kHeight;
            const double dx = (int(rng() % 200) - 100) / 100.0,
                         dy = (int(rng() % 200) - 100) / 100.0;
            for (int s = 0; s < 2500; ++s)
                for (int t = 0; t < 2; ++t) Ink(b, x0 + int64_t(s * dx) + t, y0 + int64_t(s * dy));
        }
        for (int text = 0; text < 250; ++text) {
            const int64_t x0 = rng() % (kWidth - 800), y0 = rng() % (kHeight - 40);
            for (int ch = 0; ch < 30; ++ch)
                for (int dot = 0; dot < 40; ++dot)
                    Ink(b, x0 + ch * 26 + rng() % 20, y0 + rng() % 24);
        }
        for (int dust = 0; dust < 20000; ++dust) Ink(b, rng() % kWidth, rng() % kHeight);
        return b;
    }();
    return drawing;
}

// The drawing as a scan: paper around 235 with noise, ink around 35, a soft gray tint over
// part of the sheet, in 24 or 32 bits.
Bitmap MakeScan(PixelFormat format) {
    const Bitmap& d = Drawing();
    Bitmap b(kWidth, kHeight, format);
    const int n = format == PixelFormat::Bit32 ? 4 : 3;
    std::mt19937 rng(24);
    for (uint32_t y = 0; y < kHeight; ++y) {
        uint8_t* row = b.Row(y);
        for (uint32_t x = 0; x < kWidth; ++x) {
            const uint32_t r = rng();
            const int noise = int(r & 15) - 8;
            int level = d.PixelIndex(x, y) ? 235 : 35;
            if (x > 3000 && y > 2000 && level > 100) level -= 60;
            for (int c = 0; c < 3; ++c)
                row[n * x + c] = uint8_t(
                    std::clamp(level + noise + int((r >> (8 + 4 * c)) & 7) - 3 * c, 0, 255));
            if (n == 4) row[4 * x + 3] = 255;
        }
    }
    return b;
}

const Bitmap& Scan24() {
    static const Bitmap scan = MakeScan(PixelFormat::Bit24);
    return scan;
}
const Bitmap& Scan32() {
    static const Bitmap scan = MakeScan(PixelFormat::Bit32);
    return scan;
}

template <typename Op>
void Run(benchmark::State& state, const Bitmap& input, Op op) {
    for (auto _ : state) {
        Bitmap out = op(input);
        benchmark::DoNotOptimize(out.Data());
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(input.ByteSize()));
}

void BM_Threshold24(benchmark::State& s) {
    Run(s, Scan24(), [](const Bitmap& b) { return ThresholdToMono(b, 255 - 128); });
}
void BM_Threshold32(benchmark::State& s) {
    Run(s, Scan32(), [](const Bitmap& b) { return ThresholdToMono(b, 255 - 128); });
}
void BM_Gray32(benchmark::State& s) {
    Run(s, Scan32(), [](const Bitmap& b) { return GrayOf(b); });
}
void BM_Dither24(benchmark::State& s) {
    Run(s, Scan24(), [](const Bitmap& b) { return DitherToMono(b); });
}
void BM_Dither32(benchmark::State& s) {
    Run(s, Scan32(), [](const Bitmap& b) { return DitherToMono(b); });
}
void BM_Despeckle24(benchmark::State& s) {
    Run(s, Scan24(), [](const Bitmap& b) { return DespeckleBitmap(b, kDespeckleStrength); });
}
void BM_Despeckle32(benchmark::State& s) {
    Run(s, Scan32(), [](const Bitmap& b) { return DespeckleBitmap(b, kDespeckleStrength); });
}
void BM_DespeckleDrawing1(benchmark::State& s) {
    Run(s, Drawing(), [](const Bitmap& b) { return DespeckleBitmap(b, kDespeckleStrength); });
}
void BM_RotateRight1(benchmark::State& s) {
    Run(s, Drawing(), [](const Bitmap& b) { return RotateRight(b); });
}
void BM_RotateLeft1(benchmark::State& s) {
    Run(s, Drawing(), [](const Bitmap& b) { return RotateLeft(b); });
}
void BM_RotateRight32(benchmark::State& s) {
    Run(s, Scan32(), [](const Bitmap& b) { return RotateRight(b); });
}
void BM_CutOutHalf32(benchmark::State& s) {
    Run(s, Scan32(), [](const Bitmap& b) { return CutOut(b, -100, 1000, 3000, 2500); });
}

BENCHMARK(BM_Threshold24)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Threshold32)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Gray32)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Dither24)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Dither32)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Despeckle24)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Despeckle32)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DespeckleDrawing1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RotateRight1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RotateLeft1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RotateRight32)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CutOutHalf32)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
