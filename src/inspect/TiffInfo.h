#pragma once
// The TIFF structure reader: the first directory's drawing tags and the page count, from
// raw bytes (no TIFF library, no pixel data).

#include <cstdint>
#include <string>

#include "inspect/ImageInfo.h"

namespace vellumo {

class FileSource;

enum class TiffOrder { Little, Big };

/// The value of the 12-byte directory entry at `entryOffset`: SHORT and LONG from the value
/// field, RATIONAL as numerator ÷ denominator truncated; any other field type gives
/// nothing and `value` keeps what it had. Throws Error when a RATIONAL's denominator is 0.
void ReadTagValue(uint64_t entryOffset, TiffOrder order, const FileSource& file, uint32_t& value);

/// Fills the TIFF fields and pageCount of `info`; true when ImageWidth, ImageLength and
/// BitsPerSample were found. Throws the invalid-file error ("TIF") when the file does not
/// begin with a TIFF header; the page count stops at 31.
bool ReadTiffInfo(const FileSource& file, ImageInfo& info);
bool ReadTiffInfo(const std::string& path, ImageInfo& info);

/// The text of the arithmetic error for a RATIONAL with denominator 0.
std::string ZeroDenominatorText(const std::string& path);

}  // namespace vellumo
