#include "document/DrawingPage.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "imaging/DarknessRows.h"
#include "imaging/Gray.h"
#include "platform/Error.h"

namespace vellumo {

std::optional<PixelArea> InkBounds(const Bitmap& picture, int threshold) {
    // Black under the threshold: darkness 255 − (B + G + R) div 3 above 255 − t. A one-bit
    // picture reads as 0 and 255 only.
    const int above = picture.Format() == PixelFormat::Bit1 ? 0 : 255 - threshold;
    const uint32_t w = picture.Width();
    std::vector<uint8_t> row(w);
    const DarknessRows rows(picture);
    uint32_t left = w, right = 0, top = 0, bottom = 0;
    bool any = false;
    for (uint32_t y = 0; y < picture.Height(); ++y) {
        rows.Read(y, row.data());
        uint32_t x = 0;
        while (x < w && row[x] <= above) ++x;
        if (x == w) continue;
        left = std::min(left, x);
        uint32_t last = w - 1;
        while (row[last] <= above) --last;
        right = std::max(right, last);
        if (!any) top = y;
        bottom = y;
        any = true;
    }
    if (!any) return std::nullopt;
    return PixelArea{left, top, right - left + 1, bottom - top + 1};
}

int64_t PlaceAlong(uint64_t size, uint64_t contentBegin, uint64_t contentEnd, uint32_t page) {
    const int64_t centred =
        (int64_t(page) - int64_t(size)) / 2 - ((int64_t(page) - int64_t(size)) % 2 < 0 ? 1 : 0);
    const int64_t low = -int64_t(contentBegin);                // the content's start at 0
    const int64_t high = int64_t(page) - int64_t(contentEnd);  // its end at the page's end
    if (high < low) return low - (low - high) / 2;             // longer: as much cut at either end
    return std::clamp(centred, low, high);
}

Bitmap WhitePage(uint32_t width, uint32_t height, PixelFormat format) {
    Bitmap page(width, height, format);
    if (format == PixelFormat::Bit1) {
        page.Palette() = {RgbQuad{0, 0, 0, 0}, RgbQuad{255, 255, 255, 0}};
        const size_t full = width / 8;
        const uint8_t last = uint8_t(0xFF << (8 - width % 8));
        for (uint32_t y = 0; y < height; ++y) {
            std::memset(page.Row(y), 0xFF, full);
            if (width % 8) page.Row(y)[full] = last;
        }
    } else if (format == PixelFormat::Bit8) {
        page.Palette() = CreateGrayPalette();  // darkness 0: white
    } else {
        for (uint32_t y = 0; y < height; ++y) std::memset(page.Row(y), 0xFF, size_t(width) * 3);
    }
    return page;
}

void PasteInto(Bitmap& page, const Bitmap& part, uint32_t x, uint32_t y) {
    if (part.Format() != page.Format() || uint64_t(x) + part.Width() > page.Width() ||
        uint64_t(y) + part.Height() > page.Height())
        throw Error("　画像が用紙に収まりません。　");
    if (part.Format() != PixelFormat::Bit1) {
        const size_t bytes = size_t(part.Bits() / 8);
        for (uint32_t r = 0; r < part.Height(); ++r)
            std::memcpy(page.Row(y + r) + x * bytes, part.Row(r), part.Width() * bytes);
        return;
    }
    // The page is white where the part goes: its bits are ANDed with the part's, whose bits
    // past its width count as white. The part's bit k lands on the page's bit x + k.
    const uint32_t shift = x % 8;
    const size_t bytes = (size_t(part.Width()) + 7) / 8;
    const size_t pageBytes = (size_t(page.Width()) + 7) / 8;
    const uint8_t tail = part.Width() % 8 ? uint8_t(0xFF >> (part.Width() % 8)) : 0;
    for (uint32_t r = 0; r < part.Height(); ++r) {
        const uint8_t* s = part.Row(r);
        uint8_t* d = page.Row(y + r) + x / 8;
        for (size_t k = 0; k < bytes; ++k) {
            const unsigned b = s[k] | (k + 1 == bytes ? tail : 0);
            d[k] &= uint8_t((b >> shift) | (0xFF00u >> shift));
            if (shift && x / 8 + k + 1 < pageBytes)
                d[k + 1] &= uint8_t((b << (8 - shift)) | (0xFFu >> shift));
        }
    }
}

}  // namespace vellumo
