#include "platform/ResolutionReader.h"

#include <gif_lib.h>
#include <png.h>
#include <tiffio.h>
#include <unistd.h>

#include <algorithm>
#include <csetjmp>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
#include <optional>

#include "platform/BmpRules.h"
#include "platform/FileSource.h"
#include "platform/GifHandle.h"
#include "platform/ImageSignature.h"
#include "platform/JpegHandle.h"
#include "platform/JpegLib.h"
#include "platform/PngHandle.h"
#include "platform/TiffDirectoryFields.h"
#include "platform/TiffHandle.h"

namespace vellumo {

namespace {

constexpr double kDefaultDpi = 96.0;
constexpr double kInchesPerMetre = 0.0254;
constexpr double kCmPerInch = 2.54;

// ---------------------------------------------------------------------------------------
// Values and bytes

/// A value the file states, as dots per inch for the caller. Values that are not a finite
/// number in [0, 2^31) come out as 0, so the report shows "-" and a later conversion to a
/// 32-bit integer is always defined.
float ToDpi(double value) {
    constexpr double kLimit = 2147483648.0;
    if (!(value >= 0.0 && value < kLimit)) return 0.0f;  // also catches NaN
    const float dpi = static_cast<float>(value);
    // Near the limit the float may round up to 2^31 itself.
    return dpi < static_cast<float>(kLimit) ? dpi : 0.0f;
}

FileResolution Decoded(double dpiX, double dpiY) {
    FileResolution result;
    result.dpiX = ToDpi(dpiX);
    result.dpiY = ToDpi(dpiY);
    result.decoded = true;
    return result;
}

/// A read-only byte range; every read is checked against its end by subtraction.
class ByteSpan {
  public:
    ByteSpan(const unsigned char* data, size_t size, bool bigEndian = false)
        : data_(data), size_(size), bigEndian_(bigEndian) {}

    size_t Size() const { return size_; }
    bool Has(size_t offset, size_t len) const { return offset <= size_ && size_ - offset >= len; }
    void SetBigEndian(bool big) { bigEndian_ = big; }

    uint8_t U8(size_t offset) const { return data_[offset]; }
    /// Callers check Has(offset, 2) first.
    uint16_t U16(size_t offset) const {
        const unsigned b0 = data_[offset], b1 = data_[offset + 1];
        return static_cast<uint16_t>(bigEndian_ ? (b0 << 8) | b1 : (b1 << 8) | b0);
    }
    /// Callers check Has(offset, 4) first.
    uint32_t U32(size_t offset) const {
        const uint32_t b0 = data_[offset], b1 = data_[offset + 1], b2 = data_[offset + 2],
                       b3 = data_[offset + 3];
        return bigEndian_ ? (b0 << 24) | (b1 << 16) | (b2 << 8) | b3
                          : (b3 << 24) | (b2 << 16) | (b1 << 8) | b0;
    }
    int32_t I32(size_t offset) const { return static_cast<int32_t>(U32(offset)); }

  private:
    const unsigned char* data_;
    size_t size_;
    bool bigEndian_;
};

// ---------------------------------------------------------------------------------------
// The file

struct FileCloser {
    void operator()(FILE* file) const { std::fclose(file); }
};
using UniqueFile = std::unique_ptr<FILE, FileCloser>;

/// A descriptor of its own on `fd`, at the start of the file. The copy shares the file
/// offset, which nothing else uses: FileSource reads with pread.
int DupAtStart(int fd) {
    const int copy = ::dup(fd);
    if (copy < 0) return -1;
    if (::lseek(copy, 0, SEEK_SET) != 0) {
        ::close(copy);
        return -1;
    }
    return copy;
}

/// A stdio stream of its own over the open file, reading from the start.
UniqueFile StreamOf(const FileSource& source) {
    const int copy = DupAtStart(source.Descriptor());
    if (copy < 0) return nullptr;
    FILE* file = ::fdopen(copy, "rb");
    if (file == nullptr) ::close(copy);
    return UniqueFile(file);
}

// ---------------------------------------------------------------------------------------
// TIFF (libtiff over the open descriptor, first directory only)

struct TiffClient {
    const FileSource& file;
    uint64_t pos = 0;
};

tmsize_t TiffRead(thandle_t handle, void* buffer, tmsize_t len) {
    auto* client = static_cast<TiffClient*>(handle);
    const uint64_t size = client->file.Size();
    if (len <= 0 || client->pos >= size) return 0;
    // libtiff must see the end of the file as a short read, not as zero bytes.
    const size_t got =
        static_cast<size_t>(std::min<uint64_t>(static_cast<uint64_t>(len), size - client->pos));
    try {
        client->file.Read(client->pos, buffer, got);
    } catch (...) {  // no exception may cross libtiff's C frames
        return -1;
    }
    client->pos += got;
    return static_cast<tmsize_t>(got);
}

tmsize_t TiffWrite(thandle_t, void*, tmsize_t) { return -1; }

toff_t TiffSeek(thandle_t handle, toff_t offset, int whence) {
    auto* client = static_cast<TiffClient*>(handle);
    uint64_t base = 0;
    if (whence == SEEK_CUR)
        base = client->pos;
    else if (whence == SEEK_END)
        base = client->file.Size();
    else if (whence != SEEK_SET)
        return static_cast<toff_t>(-1);
    // libtiff passes negative relative offsets as wrapped unsigned values; the sum wraps
    // back. Offsets beyond 2^63 cannot be read by pread and are refused.
    const uint64_t target = base + offset;
    if (target > static_cast<uint64_t>(INT64_MAX)) return static_cast<toff_t>(-1);
    client->pos = target;
    return target;
}

int TiffClose(thandle_t) { return 0; }
toff_t TiffSize(thandle_t handle) { return static_cast<TiffClient*>(handle)->file.Size(); }
int TiffMap(thandle_t, void**, toff_t*) { return 0; }
void TiffUnmap(thandle_t, void*, toff_t) {}

// Returning 1 keeps the message from libtiff's global handlers: nothing is printed.
int TiffSwallow(TIFF*, void*, const char*, const char*, va_list) { return 1; }

/// The resolution fields through libtiff: nothing when libtiff refuses the file.
std::optional<TiffResolutionFields> TiffFieldsWithLibtiff(const FileSource& file) {
    const TiffOptionsOwner options = TiffOptionsWith(TiffSwallow, nullptr, TiffSwallow, nullptr);
    if (!options) return std::nullopt;
    // The first directory needs little memory; a bigger request is a broken file.
    TIFFOpenOptionsSetMaxSingleMemAlloc(options.get(), 64 * 1024 * 1024);

    TiffClient client{file};
    // "r": header and first directory; "m": no memory mapping; "O": strip and tile arrays
    // are loaded only on demand, which is never here.
    TiffOwner tif(TIFFClientOpenExt("", "rmO", &client, TiffRead, TiffWrite, TiffSeek, TiffClose,
                                    TiffSize, TiffMap, TiffUnmap, options.get()));
    if (!tif) return std::nullopt;

    TiffResolutionFields fields;
    fields.unit = RESUNIT_INCH;
    fields.hasX = TIFFGetField(tif.get(), TIFFTAG_XRESOLUTION, &fields.x) == 1;
    fields.hasY = TIFFGetField(tif.get(), TIFFTAG_YRESOLUTION, &fields.y) == 1;
    TIFFGetField(tif.get(), TIFFTAG_RESOLUTIONUNIT, &fields.unit);  // stays inch when absent
    return fields;
}

FileResolution FromTiffFields(const TiffResolutionFields& fields) {
    // Inch, none and unknown units give the values as they stand.
    const double factor = fields.unit == RESUNIT_CENTIMETER ? kCmPerInch : 1.0;
    return Decoded(fields.hasX ? fields.x * factor : kDefaultDpi,
                   fields.hasY ? fields.y * factor : kDefaultDpi);
}

// Opening a file with libtiff costs more than reading it (it sets up its tag tables each
// time), so a plain directory is read here; libtiff decides every other one.
FileResolution ReadTiff(const FileSource& file) {
    if (const auto fields = TiffResolutionFieldsFromDirectory(file)) return FromTiffFields(*fields);
    if (const auto fields = TiffFieldsWithLibtiff(file)) return FromTiffFields(*fields);
    return {};
}

// ---------------------------------------------------------------------------------------
// PNG (libpng, chunks before the image data)

// libpng's frames are C: errors leave them by longjmp only, never by a C++ exception.
[[noreturn]] void PngError(png_structp png, png_const_charp) { png_longjmp(png, 1); }
void PngWarning(png_structp, png_const_charp) {}

FileResolution ReadPng(FILE* file) {
    PngReadOwner owner;
    owner.png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, PngError, PngWarning);
    if (owner.png == nullptr) return {};
    owner.info = png_create_info_struct(owner.png);
    if (owner.info == nullptr) return {};
    // Every C++ object of this function lives above this line.
    if (setjmp(png_jmpbuf(owner.png))) return {};

    png_init_io(owner.png, file);
    // Only pHYs matters: the other ancillary chunks (text, profiles) are skipped unread.
    png_set_keep_unknown_chunks(owner.png, PNG_HANDLE_CHUNK_NEVER, nullptr, -1);
    static const png_byte kPhys[] = {'p', 'H', 'Y', 's', '\0'};
    png_set_keep_unknown_chunks(owner.png, PNG_HANDLE_CHUNK_AS_DEFAULT, kPhys, 1);
    png_read_info(owner.png, owner.info);

    png_uint_32 ppmX = 0, ppmY = 0;
    int unit = PNG_RESOLUTION_UNKNOWN;
    if (png_get_pHYs(owner.png, owner.info, &ppmX, &ppmY, &unit) == 0 ||
        unit != PNG_RESOLUTION_METER) {
        return Decoded(kDefaultDpi, kDefaultDpi);  // no pHYs, or an aspect ratio only
    }
    // As in BMP, 0 pixels per metre states nothing.
    return Decoded(ppmX != 0 ? ppmX * kInchesPerMetre : kDefaultDpi,
                   ppmY != 0 ? ppmY * kInchesPerMetre : kDefaultDpi);
}

// ---------------------------------------------------------------------------------------
// JPEG (libjpeg, markers up to the first scan)

[[noreturn]] void JpegErrorExit(j_common_ptr info) {
    std::longjmp(static_cast<JpegErrors*>(info->err)->jump, 1);
}
void JpegSilent(j_common_ptr) {}

struct Dpi {
    double x;
    double y;
};

/// XResolution, YResolution and ResolutionUnit of the first directory of the TIFF
/// structure in an EXIF block. Nothing when the block is malformed or holds neither value.
std::optional<Dpi> ExifResolution(ByteSpan exif) {
    if (!exif.Has(0, 8)) return std::nullopt;
    if (exif.U8(0) == 'M' && exif.U8(1) == 'M')
        exif.SetBigEndian(true);
    else if (!(exif.U8(0) == 'I' && exif.U8(1) == 'I'))
        return std::nullopt;
    if (exif.U16(2) != 42) return std::nullopt;
    const uint32_t ifd = exif.U32(4);
    if (!exif.Has(ifd, 2)) return std::nullopt;
    const size_t stated = exif.U16(ifd);
    const size_t fitting = (exif.Size() - ifd - 2) / 12;
    const size_t count = stated < fitting ? stated : fitting;

    constexpr uint16_t kTagX = 0x011A, kTagY = 0x011B, kTagUnit = 0x0128;
    constexpr uint16_t kShort = 3, kRational = 5, kSRational = 10;
    std::optional<double> x, y;
    uint16_t unit = RESUNIT_INCH;
    for (size_t i = 0; i < count; ++i) {
        const size_t entry = ifd + 2 + i * 12;
        const uint16_t tag = exif.U16(entry);
        const uint16_t type = exif.U16(entry + 2);
        const uint32_t values = exif.U32(entry + 4);
        if (values == 0) continue;
        if (tag == kTagUnit && type == kShort) {
            unit = exif.U16(entry + 8);
        } else if ((tag == kTagX || tag == kTagY) && (type == kRational || type == kSRational)) {
            const uint32_t at = exif.U32(entry + 8);
            if (!exif.Has(at, 8)) continue;
            const uint32_t num = exif.U32(at), den = exif.U32(at + 4);
            double value = 0.0;  // a zero denominator states 0, as libtiff reads it
            if (den != 0) {
                value = type == kRational ? static_cast<double>(num) / den
                                          : static_cast<double>(static_cast<int32_t>(num)) /
                                                static_cast<int32_t>(den);
            }
            (tag == kTagX ? x : y) = value;
        }
    }
    if (!x && !y) return std::nullopt;
    const double factor = unit == RESUNIT_CENTIMETER ? kCmPerInch : 1.0;
    return Dpi{x ? *x * factor : kDefaultDpi, y ? *y * factor : kDefaultDpi};
}

FileResolution ReadJpeg(FILE* file) {
    JpegReadOwner owner;
    owner.info.err = jpeg_std_error(&owner.errors);
    owner.errors.error_exit = JpegErrorExit;
    owner.errors.output_message = JpegSilent;
    // Every C++ object of this function lives above this line.
    if (setjmp(owner.errors.jump)) return {};

    jpeg_create_decompress(&owner.info);
    jpeg_save_markers(&owner.info, JPEG_APP0 + 1, 0xFFFF);
    jpeg_stdio_src(&owner.info, file);
    jpeg_read_header(&owner.info, TRUE);  // a stream without an image ends in error_exit

    const jpeg_decompress_struct& info = owner.info;
    // The JFIF density counts only with a real unit; unit 0 gives an aspect ratio.
    if (info.saw_JFIF_marker && (info.density_unit == 1 || info.density_unit == 2) &&
        info.X_density != 0 && info.Y_density != 0) {
        const double factor = info.density_unit == 2 ? kCmPerInch : 1.0;
        return Decoded(info.X_density * factor, info.Y_density * factor);
    }
    static constexpr unsigned char kExif[] = {'E', 'x', 'i', 'f', 0, 0};
    for (jpeg_saved_marker_ptr m = info.marker_list; m != nullptr; m = m->next) {
        if (m->marker != JPEG_APP0 + 1 || m->data_length < sizeof kExif ||
            std::memcmp(m->data, kExif, sizeof kExif) != 0) {
            continue;  // XMP and others share APP1
        }
        if (const auto dpi =
                ExifResolution(ByteSpan(m->data + sizeof kExif, m->data_length - sizeof kExif))) {
            return Decoded(dpi->x, dpi->y);
        }
        break;  // only the first EXIF block counts
    }
    return Decoded(kDefaultDpi, kDefaultDpi);
}

// ---------------------------------------------------------------------------------------
// BMP (own reader: file header and the start of the bitmap header)

constexpr size_t kBmpHeadSize = 54;  // file header (14) and the fields of a 40-byte header

FileResolution ReadBmp(const ByteSpan& head, uint64_t fileSize) {
    if (!head.Has(0, 26)) return {};  // file header and the fields of a core header
    const uint32_t headerSize = head.U32(14);
    const uint32_t pixelOffset = head.U32(10);
    if (!BmpHeaderSizeKnown(headerSize)) return {};
    if (fileSize < 14u + headerSize || pixelOffset < 14u + headerSize || pixelOffset > fileSize) {
        return {};
    }
    if (headerSize == 12) {  // core header: 16-bit sizes, no resolution
        const uint16_t bits = head.U16(24);
        if (head.U16(18) == 0 || head.U16(20) == 0 || head.U16(22) != 1) return {};
        if (bits != 1 && bits != 4 && bits != 8 && bits != 24) return {};
        return Decoded(kDefaultDpi, kDefaultDpi);
    }
    if (!head.Has(0, kBmpHeadSize)) return {};
    const int32_t width = head.I32(18);
    const int32_t height = head.I32(22);  // negative: rows stored top-down
    const uint16_t planes = head.U16(26);
    const uint16_t bits = head.U16(28);
    const uint32_t compression = head.U32(30);
    if (width <= 0 || height == 0 || height == INT32_MIN || planes != 1) return {};
    if (bits != 1 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32) return {};
    // What the decoder reads, alpha bit fields included.
    if (!BmpCompressionDecodes(compression, bits)) return {};

    // 0 states no resolution; a negative count comes out as 0.
    const auto dpiOf = [](int32_t ppm) { return ppm == 0 ? kDefaultDpi : ppm * kInchesPerMetre; };
    return Decoded(dpiOf(head.I32(38)), dpiOf(head.I32(42)));
}

// ---------------------------------------------------------------------------------------
// GIF (giflib, screen descriptor only; GIF states no resolution)

FileResolution ReadGif(const FileSource& file) {
    const int copy = DupAtStart(file.Descriptor());
    if (copy < 0) return {};
    int error = 0;
    // giflib owns the copy from here, also when it refuses the file.
    const GifOwner gif(DGifOpenFileHandle(copy, &error));
    if (!gif) return {};
    return Decoded(kDefaultDpi, kDefaultDpi);
}

FileResolution ReadResolutionOf(const FileSource& file) {
    unsigned char head[64] = {};
    file.Read(0, head, sizeof head);
    const auto headLen = static_cast<size_t>(std::min<uint64_t>(sizeof head, file.Size()));
    switch (DecodableType(head, headLen)) {
        case kTypeBmp:
            return ReadBmp(ByteSpan(head, headLen), file.Size());
        case kTypeGif:
            return ReadGif(file);
        case kTypeTiffBig:
        case kTypeTiffLittle:
            return ReadTiff(file);
        case kTypePng:
            if (UniqueFile stream = StreamOf(file)) return ReadPng(stream.get());
            return {};
        case kTypeJpeg:
            if (UniqueFile stream = StreamOf(file)) return ReadJpeg(stream.get());
            return {};
        default:
            break;
    }
    return {};
}

}  // namespace

FileResolution ReadTiffResolutionWithLibtiff(const FileSource& file) {
    try {
        const auto fields = TiffFieldsWithLibtiff(file);
        return fields ? FromTiffFields(*fields) : FileResolution{};
    } catch (...) {
        return {};
    }
}

std::optional<FileResolution> ReadTiffResolutionFromDirectory(const FileSource& file) {
    try {
        const auto fields = TiffResolutionFieldsFromDirectory(file);
        if (!fields) return std::nullopt;
        return FromTiffFields(*fields);
    } catch (...) {
        return std::nullopt;
    }
}

FileResolution ReadFileResolution(const FileSource& file) {
    try {
        return ReadResolutionOf(file);
    } catch (...) {  // a read error or an allocation failure; the caller shows "-"
        return {};
    }
}

FileResolution ReadFileResolution(const std::string& path) {
    try {
        // Only regular files are opened: a pipe or device could block or answer endlessly.
        const std::optional<FileSource> file = FileSource::Open(path);
        return file ? ReadResolutionOf(*file) : FileResolution{};
    } catch (...) {
        return {};
    }
}

}  // namespace vellumo
