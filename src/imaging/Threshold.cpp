#include "imaging/Threshold.h"

#include <string>
#include <vector>

#include "imaging/PixelSums.h"
#include "imaging/ReductionMessages.h"
#include "platform/Error.h"
#include "platform/RowUnpack.h"

namespace vellumo {

namespace {

// Channel sums at or above this are white: darkness 255 − s div 3 ≤ a ⇔ s ≥ 3 (255 − a).
int WhiteFromSum(int a) {
    if (a >= 255) return 0;
    if (a < 0) return 766;
    return 3 * (255 - a);
}

}  // namespace

std::optional<std::string_view> ThresholdRefusal(const Bitmap& picture) {
    if (picture.Format() == PixelFormat::Bit1) return kAlreadyMonoText;
    return std::nullopt;
}

Bitmap ThresholdToMono(const Bitmap& source, int a) {
    const uint32_t w = source.Width();
    Bitmap mono(w, source.Height(), PixelFormat::Bit1);
    SetMonoColorTable(mono, RgbQuad{0, 0, 0, 0});
    const int limit = WhiteFromSum(a);
    std::vector<int16_t> sums(w);
    if (source.Format() == PixelFormat::Bit32) {
        for (uint32_t y = 0; y < source.Height(); ++y) {
            SumRow32(source.Row(y), w, sums.data());
            PackAtLeast(sums.data(), w, limit, mono.Row(y));
        }
        return mono;
    }
    const RowUnpacker rows(source, ChannelOrder::Bgr);
    std::vector<uint8_t> buffer(size_t(w) * 3);
    for (uint32_t y = 0; y < source.Height(); ++y) {
        SumRow24(rows.Row(y, buffer.data()), w, sums.data());
        PackAtLeast(sums.data(), w, limit, mono.Row(y));
    }
    return mono;
}

std::optional<std::string_view> InkColorRefusal(const Bitmap& picture) {
    if (picture.Format() != PixelFormat::Bit1) return kMonoOnlyText;
    return std::nullopt;
}

void SetMonoColorTable(Bitmap& picture, RgbQuad ink) {
    if (auto refusal = InkColorRefusal(picture)) throw Error(std::string(*refusal));
    ink.reserved = 0;
    picture.Palette() = {ink, RgbQuad{255, 255, 255, 0}};
}

}  // namespace vellumo
