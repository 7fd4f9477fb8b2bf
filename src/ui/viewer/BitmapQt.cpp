#include "ui/viewer/BitmapQt.h"

#include <new>

namespace vellumo {

namespace {

QList<QRgb> ColourTable(const Bitmap& bitmap, int entries) {
    QList<QRgb> table(entries);
    for (int i = 0; i < entries; ++i)
        table[i] = ToQRgb(PaletteColor(bitmap.Palette(), unsigned(i)));
    return table;
}

// The bitmap's memory as an image of `format`, not copied (the const constructor makes Qt
// copy before any write).
QImage Wrap(const Bitmap& bitmap, QImage::Format format) {
    return QImage(bitmap.Data(), int(bitmap.Width()), int(bitmap.Height()),
                  qsizetype(bitmap.Stride()), format);
}

// Qt has no 4-bit format: one byte per pixel.
QImage FourBitsAsIndexed8(const Bitmap& bitmap) {
    QImage image(int(bitmap.Width()), int(bitmap.Height()), QImage::Format_Indexed8);
    if (image.isNull()) throw std::bad_alloc();
    for (uint32_t y = 0; y < bitmap.Height(); ++y) {
        const uint8_t* s = bitmap.Row(y);
        uchar* d = image.scanLine(int(y));
        for (uint32_t x = 0; x + 1 < bitmap.Width(); x += 2) {
            d[x] = s[x / 2] >> 4;
            d[x + 1] = s[x / 2] & 0x0F;
        }
        if (bitmap.Width() & 1) d[bitmap.Width() - 1] = s[bitmap.Width() / 2] >> 4;
    }
    image.setColorTable(ColourTable(bitmap, 16));
    return image;
}

}  // namespace

QImage BitmapToQImage(const Bitmap& bitmap, AlphaUse alpha) {
    if (bitmap.Empty()) return QImage();
    QImage image;
    switch (bitmap.Format()) {
        case PixelFormat::Bit1:
            image = Wrap(bitmap, QImage::Format_Mono);
            image.setColorTable(ColourTable(bitmap, 2));
            break;
        case PixelFormat::Bit4:
            return FourBitsAsIndexed8(bitmap);
        case PixelFormat::Bit8:
            image = Wrap(bitmap, QImage::Format_Indexed8);
            image.setColorTable(ColourTable(bitmap, 256));
            break;
        case PixelFormat::Bit15:
            image = Wrap(bitmap, QImage::Format_RGB555);
            break;
        case PixelFormat::Bit16:
            image = Wrap(bitmap, QImage::Format_RGB16);
            break;
        case PixelFormat::Bit24:
            image = Wrap(bitmap, QImage::Format_BGR888);
            break;
        case PixelFormat::Bit32: {
            const bool blend = bitmap.HasAlpha() && alpha == AlphaUse::AsFlagged;
            image = Wrap(bitmap, blend ? QImage::Format_ARGB32 : QImage::Format_RGB32);
            break;
        }
        default:
            break;
    }
    return image;
}

}  // namespace vellumo
