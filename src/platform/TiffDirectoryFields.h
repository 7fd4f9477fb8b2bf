#pragma once
// The resolution fields of a TIFF's first directory, read from its entries without a TIFF
// library, for the directories where the result is sure to be libtiff's.

#include <cstdint>
#include <optional>

namespace vellumo {

class FileSource;

/// XResolution, YResolution and ResolutionUnit as libtiff gives them after opening the
/// file: each resolution a float (numerator ÷ denominator in double precision, 0 for a zero
/// denominator), present or not (libtiff has both as soon as one tag is there, the other
/// 0); the unit 2 (inch) when the tag is missing.
struct TiffResolutionFields {
    bool hasX = false;
    bool hasY = false;
    float x = 0;
    float y = 0;
    uint16_t unit = 2;
};

/// The fields from the first directory's entries alone, when the directory is a plain
/// strip image that libtiff opens without doubt: entries in ascending order, known tags
/// only, the required ones in their usual types and counts, strips that fit the image,
/// no tiles. Nothing otherwise; then libtiff must decide (it may refuse the file or read
/// the values its own way).
std::optional<TiffResolutionFields> TiffResolutionFieldsFromDirectory(const FileSource& file);

}  // namespace vellumo
