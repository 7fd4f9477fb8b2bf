#pragma once
// The signature probe, the extension rule and the dispatcher to the header readers.

#include <cstdint>
#include <string>
#include <string_view>

#include "inspect/ImageInfo.h"

namespace vellumo {

class FileSource;

/// The type code of the first 50 bytes (fewer for a shorter file): the signatures are
/// tested in table order and the last match wins.
ImageTypeCode DetectImageType(const unsigned char* bytes, size_t count);
/// The type code of the file at `path`; -1 when it names no existing regular file.
ImageTypeCode DetectImageType(const std::string& path);
/// The type code of a file already opened.
ImageTypeCode DetectImageType(const FileSource& file);

/// The report's type word for a code: "BMP", "JPG", "GIF", "emf", "Tif", "PNG", "wmf",
/// "psd", "Exe", "Zip", "PDF"; empty for kTypeNone; else "不明なファイル".
std::string_view TypeNameOf(int32_t typeCode);

/// The extension of a file name: from its last dot, empty when there is none.
std::string_view FileExtension(std::string_view fileName);
/// The last component of a path.
std::string_view FileNameOf(std::string_view path);
/// The path up to and including its last separator.
std::string_view FolderOf(std::string_view path);

/// Whether the lower-cased extension of `fileName` fits the type (a PDF only while
/// Ghostscript is available).
bool ExtensionMatches(ImageTypeCode type, std::string_view fileName, bool ghostscriptAvailable);

/// The text of the zero-size error: path, CR LF, "画像サイズがゼロです。".
std::string ZeroSizeText(const std::string& path);

/// Fills `info` for the file at `path` and returns `headerRead`. Throws the invalid-file
/// error, the zero-size error, or a file error. A missing file is type -1, no error.
bool ReadImageInfo(const std::string& path, bool ghostscriptAvailable, ImageInfo& info);
/// The same on a file already opened (null when the path names no file).
bool ReadImageInfo(const FileSource* file, const std::string& path, bool ghostscriptAvailable,
                   ImageInfo& info);

}  // namespace vellumo
