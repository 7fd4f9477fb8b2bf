#pragma once
// The TIFF writer: one bitmap into a single-image, strip-organised TIFF through libtiff,
// with no compression, LZW, Deflate, CCITT Group 3 or Group 4.

#include <cstdint>
#include <string>
#include <vector>

#include "platform/Bitmap.h"
#include "save/WriteProgress.h"

namespace vellumo {

/// The compression choice, numbered as the settings dialog's compression list.
enum class TiffCompression : uint8_t { None = 0, Lzw = 1, Zip = 2, G3 = 3, G4 = 4 };

inline bool IsFaxCompression(TiffCompression code) {
    return code == TiffCompression::G3 || code == TiffCompression::G4;
}

/// Bytes per row and rows per strip: a strip holds at most 256 KiB of raw pixel data, or
/// one row when a row alone is longer; never more rows than the picture has.
struct TiffStripGeometry {
    uint32_t bytesPerRow = 0;
    uint32_t rowsPerStrip = 0;
};

/// The strip geometry for a one-bit (B = (w + 7) / 8) or 24-bit (B = 3 w) picture.
TiffStripGeometry TiffStripLayout(uint32_t width, uint32_t height, bool oneBit);

/// The texts the writer raises.
inline constexpr const char* kFaxNeedsMonoText = "Ｇ３/Ｇ４ はモノクロ専用です。";
inline constexpr const char* kColourOnlyText = "カラー画像専用";
/// "ファイルを作成できません。 '" + path + "'".
std::string CannotCreateFileText(const std::string& path);
/// "保存出来ませんでした。 '" + the file name of `path` (no folder) + "'".
std::string NotSavedText(const std::string& path);

/// Writes `bitmap` to `path` as a TIFF: codes G3 and G4 take a one-bit bitmap whose set
/// bits are black (stored as WhiteIsZero, rows exactly as in memory), the other codes a
/// 24-bit bitmap (stored as RGB). Both resolutions are `dpi` dots per inch; the Software
/// tag reads "Vellumo(LibTiff)". Works through one strip buffer of the strip geometry.
/// The file appears at `path` only when complete (an existing file is replaced then, and
/// left untouched by any failure).
///
/// Throws Error: kFaxNeedsMonoText or kColourOnlyText for a bitmap of the wrong format
/// (an 8-bit one included), CannotCreateFileText when the file cannot be created,
/// NotSavedText when a strip or the file cannot be written; a dpi that is not a positive
/// number and an empty bitmap are refused with NotSavedText before any file is touched.
/// `progress` is told after each strip.
void Bmp2Tif(const Bitmap& bitmap, const std::string& path, TiffCompression code, double dpi,
             const WriteProgress& progress = {});

/// The bytes of the file Bmp2Tif writes for `bitmap`, encoded in memory (no file touched):
/// its size is the data size the checker judges once the file is saved. Throws as Bmp2Tif,
/// the texts naming no file, except that a 24-bit bitmap is not required for codes None,
/// Lzw and Zip (any format is read as WriteRgbTiff reads it).
std::vector<uint8_t> EncodeTiff(const Bitmap& bitmap, TiffCompression code, double dpi);

/// For codes None, Lzw and Zip: writes exactly the file Bmp2Tif(ConvertTo24(picture), ...)
/// writes, for a picture of any format, converting strip by strip instead of copying the
/// whole picture. Throws as Bmp2Tif (kColourOnlyText for a fax code).
void WriteRgbTiff(const Bitmap& picture, const std::string& path, TiffCompression code, double dpi,
                  const WriteProgress& progress = {});

}  // namespace vellumo
