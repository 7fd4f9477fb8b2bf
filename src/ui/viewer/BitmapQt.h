#pragma once
// The one place a Bitmap becomes a QImage. Every window that draws a picture goes through
// it, so the format and palette mapping, and the rules on sharing memory, live here only.

#include <QImage>
#include <QRgb>

#include "platform/Bitmap.h"

namespace vellumo {

/// An opaque QRgb for a palette entry (its reserved byte is not opacity).
inline QRgb ToQRgb(const RgbQuad& c) { return qRgb(c.r, c.g, c.b); }

/// How the fourth byte of a 32-bit bitmap with alpha is taken.
enum class AlphaUse {
    AsFlagged,    ///< opacity when HasAlpha(), as the bitmap says
    KnownOpaque,  ///< the caller has seen that every fourth byte is 255: no blending needed
};

/// The bitmap as a QImage, with the same pixels and colours:
///
/// | bitmap | QImage |
/// |---|---|
/// | 1 bit | Format_Mono, colour table of 2 |
/// | 4 bits | Format_Indexed8 copy, colour table of 16 |
/// | 8 bits | Format_Indexed8, colour table of 256 |
/// | 15 bits | Format_RGB555 |
/// | 16 bits (5-6-5) | Format_RGB16 |
/// | 24 bits | Format_BGR888 |
/// | 32 bits with alpha | Format_ARGB32 (Format_RGB32 with AlphaUse::KnownOpaque) |
/// | 32 bits without | Format_RGB32 |
///
/// Colour tables are the bitmap's palette, opaque, made up to their full length with black
/// (as GDI shows an index past the palette's end). bytesPerLine is Stride().
///
/// Lifetime: but for 4 bits, the QImage does not copy the pixels, it reads the bitmap's own
/// memory (read-only: Qt copies before any write through it). So the QImage, and every copy
/// of it, must be gone before the bitmap is destroyed, assigned to or moved from; after the
/// bitmap's pixels or palette change, make a new one (the colour table is copied, and Qt
/// may keep what it drew from the old pixels). A 32-bit bitmap without alpha should have
/// 255 in its fourth bytes (Qt takes RGB32 pixels as 0xffRRGGBB; on an opaque surface it
/// ignores the byte).
///
/// An empty bitmap, or a Device or Custom one, gives a null QImage. Throws std::bad_alloc
/// when the copy for 4 bits cannot be had.
QImage BitmapToQImage(const Bitmap& bitmap, AlphaUse alpha = AlphaUse::AsFlagged);

}  // namespace vellumo
