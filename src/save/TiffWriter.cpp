#include "save/TiffWriter.h"

#include <tiffio.h>

#include <algorithm>
#include <cmath>
#include <cstdarg>
#include <cstring>
#include <memory>
#include <vector>

#include "platform/AtomicFile.h"
#include "platform/Error.h"
#include "platform/RowUnpack.h"
#include "platform/TiffHandle.h"

namespace vellumo {

namespace {

constexpr uint32_t kStripBytes = 262144;

std::string FileNameOf(const std::string& path) {
    const auto slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

/// Whether libtiff reported an error on this file; its handlers print nothing.
struct TiffErrorFlag {
    bool failed = false;
};

int TiffErrorSeen(TIFF*, void* data, const char*, const char*, va_list) {
    static_cast<TiffErrorFlag*>(data)->failed = true;
    return 1;  // handled: the global handler stays silent
}
int TiffWarningIgnored(TIFF*, void*, const char*, const char*, va_list) { return 1; }

uint16_t CompressionTag(TiffCompression code) {
    switch (code) {
        case TiffCompression::None:
            return COMPRESSION_NONE;
        case TiffCompression::Lzw:
            return COMPRESSION_LZW;
        case TiffCompression::Zip:
            return COMPRESSION_DEFLATE;  // 32946, not Adobe's 8
        case TiffCompression::G3:
            return COMPRESSION_CCITTFAX3;
        case TiffCompression::G4:
            return COMPRESSION_CCITTFAX4;
    }
    return COMPRESSION_NONE;
}

/// The one working buffer of a write: one strip.
std::vector<uint8_t> StripBuffer(const Bitmap& bitmap, TiffCompression code) {
    const TiffStripGeometry g =
        TiffStripLayout(bitmap.Width(), bitmap.Height(), IsFaxCompression(code));
    return std::vector<uint8_t>(size_t(g.rowsPerStrip) * g.bytesPerRow);
}

/// Sets the tags and writes the strips of `bitmap` into the open `t` through `strip` (of
/// StripBuffer's size), then writes its directory. `bitmap` is one-bit for the fax codes;
/// for the others any format, read through the RGB row reader. `name` names the file in
/// the error texts; `progress`, when set, hears the share of rows written.
void WriteImage(TIFF* t, const TiffErrorFlag& errors, const Bitmap& bitmap, TiffCompression code,
                double dpi, std::vector<uint8_t>& strip, const std::string& name,
                const WriteProgress& progress) {
    const bool fax = IsFaxCompression(code);
    const TiffStripGeometry geometry = TiffStripLayout(bitmap.Width(), bitmap.Height(), fax);
    const uint32_t bytesPerRow = geometry.bytesPerRow;
    const uint32_t rowsPerStrip = geometry.rowsPerStrip;
    const RowUnpacker rgb(bitmap, ChannelOrder::Rgb);

    const float resolution = static_cast<float>(dpi);
    const bool tagsSet =
        TIFFSetField(t, TIFFTAG_IMAGEWIDTH, bitmap.Width()) &&
        TIFFSetField(t, TIFFTAG_IMAGELENGTH, bitmap.Height()) &&
        TIFFSetField(t, TIFFTAG_BITSPERSAMPLE, fax ? 1 : 8) &&
        TIFFSetField(t, TIFFTAG_SAMPLESPERPIXEL, fax ? 1 : 3) &&
        TIFFSetField(t, TIFFTAG_COMPRESSION, CompressionTag(code)) &&
        TIFFSetField(t, TIFFTAG_PHOTOMETRIC, fax ? PHOTOMETRIC_MINISWHITE : PHOTOMETRIC_RGB) &&
        TIFFSetField(t, TIFFTAG_FILLORDER, FILLORDER_MSB2LSB) &&
        TIFFSetField(t, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG) &&
        TIFFSetField(t, TIFFTAG_ORIENTATION, ORIENTATION_TOPLEFT) &&
        TIFFSetField(t, TIFFTAG_XRESOLUTION, resolution) &&
        TIFFSetField(t, TIFFTAG_YRESOLUTION, resolution) &&
        TIFFSetField(t, TIFFTAG_RESOLUTIONUNIT, RESUNIT_INCH) &&
        TIFFSetField(t, TIFFTAG_SOFTWARE, "Vellumo(LibTiff)") &&
        TIFFSetField(t, TIFFTAG_ROWSPERSTRIP, rowsPerStrip);
    if (!tagsSet) throw Error(NotSavedText(name));

    const uint32_t height = bitmap.Height();
    for (uint32_t s = 0, y = 0; y < height; ++s, y += rowsPerStrip) {
        const uint32_t n = std::min(rowsPerStrip, height - y);
        for (uint32_t i = 0; i < n; ++i) {
            uint8_t* out = strip.data() + size_t(i) * bytesPerRow;
            if (fax)
                std::memcpy(out, bitmap.Row(y + i), bytesPerRow);
            else
                rgb.Unpack(y + i, out);
        }
        if (TIFFWriteEncodedStrip(t, s, strip.data(), tmsize_t(n) * bytesPerRow) < 0)
            throw Error(NotSavedText(name));
        if (progress) progress(double(y + n) / height);
    }
    // The directory is written here; TIFFClose could not report its failure.
    if (!TIFFFlush(t) || errors.failed) throw Error(NotSavedText(name));
}

/// Open options whose handlers only note an error in `errors`; nothing is printed.
TiffOptionsOwner SilentOptions(TiffErrorFlag& errors) {
    return TiffOptionsWith(TiffErrorSeen, &errors, TiffWarningIgnored, nullptr);
}

/// Both entry points: the file is written to a temporary name and renamed into place.
void WriteTiff(const Bitmap& bitmap, const std::string& path, TiffCompression code, double dpi,
               const WriteProgress& progress) {
    if (bitmap.Empty() || static_cast<unsigned>(code) > 4) throw Error(NotSavedText(path));
    // The one working buffer, before the file is opened; freed on every way out.
    std::vector<uint8_t> strip = StripBuffer(bitmap, code);
    std::unique_ptr<AtomicFile> file;
    try {
        file = std::make_unique<AtomicFile>(path);
    } catch (const Error&) {
        throw Error(CannotCreateFileText(path));
    }
    TiffErrorFlag errors;
    const TiffOptionsOwner options = SilentOptions(errors);
    if (!options) throw Error(CannotCreateFileText(path));
    TiffOwner tif(TIFFOpenExt(file->TempPath().c_str(), "w", options.get()));
    if (!tif) throw Error(CannotCreateFileText(path));
    WriteImage(tif.get(), errors, bitmap, code, dpi, strip, path, progress);
    tif.reset();
    if (errors.failed) throw Error(NotSavedText(path));
    try {
        file->Commit();
    } catch (const Error&) {
        throw Error(NotSavedText(path));
    }
}

/// A growing byte buffer that libtiff writes to as to a file.
struct MemoryFile {
    std::vector<uint8_t> bytes;
    uint64_t position = 0;
};

tmsize_t MemoryRead(thandle_t handle, void* data, tmsize_t size) {
    auto* m = static_cast<MemoryFile*>(handle);
    if (size < 0 || m->position >= m->bytes.size()) return 0;
    const size_t n = std::min<uint64_t>(uint64_t(size), m->bytes.size() - m->position);
    std::memcpy(data, m->bytes.data() + m->position, n);
    m->position += n;
    return tmsize_t(n);
}

tmsize_t MemoryWrite(thandle_t handle, void* data, tmsize_t size) {
    auto* m = static_cast<MemoryFile*>(handle);
    if (size < 0) return -1;
    const uint64_t end = m->position + uint64_t(size);
    try {
        if (end > m->bytes.size()) m->bytes.resize(end);
    } catch (const std::bad_alloc&) {
        return -1;
    }
    std::memcpy(m->bytes.data() + m->position, data, size_t(size));
    m->position = end;
    return size;
}

toff_t MemorySeek(thandle_t handle, toff_t offset, int whence) {
    auto* m = static_cast<MemoryFile*>(handle);
    uint64_t base = 0;
    if (whence == SEEK_CUR) base = m->position;
    if (whence == SEEK_END) base = m->bytes.size();
    m->position = base + offset;
    return m->position;
}

int MemoryClose(thandle_t) { return 0; }
toff_t MemorySize(thandle_t handle) { return static_cast<MemoryFile*>(handle)->bytes.size(); }
int MemoryMap(thandle_t, void**, toff_t*) { return 0; }
void MemoryUnmap(thandle_t, void*, toff_t) {}

/// The resolution comes first, as the dialog's entry was read before anything else.
void CheckDpi(double dpi, const std::string& path) {
    if (!(std::isfinite(dpi) && dpi > 0.0 && dpi < 1e9)) throw Error(NotSavedText(path));
}

}  // namespace

TiffStripGeometry TiffStripLayout(uint32_t width, uint32_t height, bool oneBit) {
    TiffStripGeometry g;
    g.bytesPerRow = oneBit ? (width + 7) / 8 : width * 3;
    uint32_t rows = g.bytesPerRow == 0 ? height : kStripBytes / g.bytesPerRow;
    if (rows > height)
        rows = height;
    else if (rows == 0)
        rows = 1;
    g.rowsPerStrip = rows;
    return g;
}

std::string CannotCreateFileText(const std::string& path) {
    return "ファイルを作成できません。 '" + path + "'";
}

std::string NotSavedText(const std::string& path) {
    return "保存出来ませんでした。 '" + FileNameOf(path) + "'";
}

void Bmp2Tif(const Bitmap& bitmap, const std::string& path, TiffCompression code, double dpi,
             const WriteProgress& progress) {
    CheckDpi(dpi, path);
    if (IsFaxCompression(code)) {
        if (bitmap.Format() != PixelFormat::Bit1) throw Error(kFaxNeedsMonoText);
    } else if (bitmap.Format() != PixelFormat::Bit24) {
        throw Error(kColourOnlyText);
    }
    WriteTiff(bitmap, path, code, dpi, progress);
}

std::vector<uint8_t> EncodeTiff(const Bitmap& bitmap, TiffCompression code, double dpi) {
    static const std::string kName = "";
    CheckDpi(dpi, kName);
    if (IsFaxCompression(code) && bitmap.Format() != PixelFormat::Bit1)
        throw Error(kFaxNeedsMonoText);
    if (bitmap.Empty() || static_cast<unsigned>(code) > 4) throw Error(NotSavedText(kName));
    std::vector<uint8_t> strip = StripBuffer(bitmap, code);
    MemoryFile memory;
    // Room for a drawing's strips and directory without growing on every strip.
    memory.bytes.reserve(size_t(1) << 18);
    TiffErrorFlag errors;
    const TiffOptionsOwner options = SilentOptions(errors);
    if (!options) throw Error(NotSavedText(kName));
    TiffOwner tif(TIFFClientOpenExt("memory", "w", &memory, MemoryRead, MemoryWrite, MemorySeek,
                                    MemoryClose, MemorySize, MemoryMap, MemoryUnmap,
                                    options.get()));
    if (!tif) throw Error(NotSavedText(kName));
    WriteImage(tif.get(), errors, bitmap, code, dpi, strip, kName, {});
    tif.reset();
    if (errors.failed) throw Error(NotSavedText(kName));
    return std::move(memory.bytes);
}

void WriteRgbTiff(const Bitmap& picture, const std::string& path, TiffCompression code, double dpi,
                  const WriteProgress& progress) {
    CheckDpi(dpi, path);
    if (IsFaxCompression(code)) throw Error(kColourOnlyText);
    WriteTiff(picture, path, code, dpi, progress);
}

}  // namespace vellumo
