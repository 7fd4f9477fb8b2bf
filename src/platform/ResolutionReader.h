#pragma once
// The resolution an image file states about itself, read from its metadata without
// decoding pixels. The report and the viewer both use it.

#include <optional>
#include <string>

namespace vellumo {

class FileSource;

/// Horizontal and vertical dots per inch of a file, as the platform image decoder reports
/// them.
struct FileResolution {
    float dpiX = 0;        ///< 0 when not decoded
    float dpiY = 0;        ///< 0 when not decoded
    bool decoded = false;  ///< the file could be opened as an image of a supported format
};

/// Reads the resolution of the image file at `path`:
/// - TIFF: XResolution/YResolution with ResolutionUnit as libtiff reads them (from the
///   first directory's own entries where it is a plain one, else through libtiff);
///   centimetres are converted to inches; no unit (1) gives the values as they stand;
/// - PNG (libpng): the pHYs chunk in pixels per metre;
/// - JPEG (libjpeg): the JFIF density (dots per inch or per centimetre), else the EXIF
///   XResolution/YResolution;
/// - BMP (own reader): pixels per metre of the info header;
/// - GIF (giflib): holds none.
/// 96 dpi where the file holds no resolution. `decoded` is false when the file is missing,
/// of another format (WMF, EMF, PSD, ...), or refused by its library. Never throws.
FileResolution ReadFileResolution(const std::string& path);
/// The same for a file that is already open.
FileResolution ReadFileResolution(const FileSource& file);

/// A TIFF's resolution as ReadFileResolution gives it, the two ways it is found: from the
/// first directory's own entries (nothing when the directory is not a plain one, which
/// libtiff then decides), and through libtiff alone. Where the first gives a value it is
/// libtiff's; the tests hold them to that.
std::optional<FileResolution> ReadTiffResolutionFromDirectory(const FileSource& file);
FileResolution ReadTiffResolutionWithLibtiff(const FileSource& file);

}  // namespace vellumo
