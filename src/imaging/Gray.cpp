#include "imaging/Gray.h"

#include <vector>

#include "imaging/PixelSums.h"
#include "platform/RowUnpack.h"

namespace vellumo {

std::vector<RgbQuad> CreateGrayPalette() {
    std::vector<RgbQuad> palette(256);
    for (unsigned k = 0; k < 256; ++k) {
        const uint8_t g = uint8_t(255 - k);
        palette[k] = RgbQuad{g, g, g, 0};
    }
    return palette;
}

Bitmap GrayOf(const Bitmap& source) {
    Bitmap gray(source.Width(), source.Height(), PixelFormat::Bit8);
    gray.Palette() = CreateGrayPalette();
    const uint32_t w = source.Width();
    std::vector<int16_t> sums(w);
    if (source.Format() == PixelFormat::Bit32) {
        for (uint32_t y = 0; y < source.Height(); ++y) {
            SumRow32(source.Row(y), w, sums.data());
            DarknessRow(sums.data(), w, gray.Row(y));
        }
        return gray;
    }
    const RowUnpacker rows(source, ChannelOrder::Bgr);
    std::vector<uint8_t> buffer(size_t(w) * 3);
    for (uint32_t y = 0; y < source.Height(); ++y) {
        SumRow24(rows.Row(y, buffer.data()), w, sums.data());
        DarknessRow(sums.data(), w, gray.Row(y));
    }
    return gray;
}

Bitmap ConvertToGray8(Bitmap& source) {
    if (source.Format() != PixelFormat::Bit24) source = ConvertTo24(source);
    return GrayOf(source);
}

}  // namespace vellumo
