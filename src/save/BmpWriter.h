#pragma once
// The BMP writer: the picture in its own pixel format, with its colour table.

#include <cstdint>
#include <string>
#include <vector>

#include "platform/Bitmap.h"
#include "save/WriteProgress.h"

namespace vellumo {

/// The bytes before the pixel rows of the BMP file WriteBmp writes: a 14-byte file header,
/// a 40-byte BITMAPINFOHEADER (height positive: rows bottom up; 0 pixels per metre; the
/// colour count 0), then for 1, 4 and 8 bits a colour table of exactly 2^bits entries
/// (the palette, lengthened with black, reserved bytes 0), for 16 bits (5-6-5) the three
/// BI_BITFIELDS masks. 15 bits is stored as 16-bit BI_RGB (5-5-5), 24 and 32 bits as BI_RGB.
std::vector<uint8_t> BmpHeaders(const Bitmap& picture);

/// Writes `picture` to `path` as a BMP file in its own pixel format (rows exactly as in
/// memory, padding included, bottom row first). The file appears at `path` only when
/// complete; a failure leaves an existing file untouched. Throws Error (the platform file
/// error) on failure, and for an empty picture. `progress` is told every few rows.
void WriteBmp(const Bitmap& picture, const std::string& path, const WriteProgress& progress = {});

}  // namespace vellumo
