// TIFF through libtiff, first directory only: bilevel, gray 2/4/8/16, palette 1/2/4/8,
// RGB and RGBA at 8 and 16 bits, gray with alpha, CMYK; any codec libtiff has (G3, G4,
// LZW, ZIP, JPEG, PackBits, ...); strips or tiles. Strips and tiles are decoded straight
// into a small buffer and expanded row by row; libtiff's RGBA reader serves only the
// layouts the direct path does not know (separate planes, subsampled YCbCr, Lab, ...).
// Messages of libtiff go to handlers of this file only, never to the global ones.

#include <tiffio.h>

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <memory>

#include "platform/ImageDecoderParts.h"
#include "platform/TiffHandle.h"

namespace vellumo::decode {

namespace {

/// A strip or tile buffer larger than this is not used: scanlines are read instead.
constexpr tmsize_t kMaxBlockBuffer = 16 << 20;
/// The largest buffer libtiff may allocate for one file (a compressed strip, a codec's
/// state): far below the picture of the largest file, far above any real strip.
constexpr tmsize_t kMaxLibraryAlloc = tmsize_t(256) << 20;
/// Samples of a pixel the viewer can show: gray, gray and alpha, RGB, RGBA or CMYK.
constexpr uint16_t kMaxShownSamples = 4;

struct TiffClient {
    const ByteSource* source;
    uint64_t pos = 0;
    char message[256] = {};
    int errors = 0;  // messages of the error handler
};

tmsize_t OnRead(thandle_t handle, void* out, tmsize_t len) {
    auto* c = static_cast<TiffClient*>(handle);
    if (len <= 0) return 0;
    try {
        const size_t got = c->source->ReadAt(c->pos, out, size_t(len));
        c->pos += got;
        return tmsize_t(got);
    } catch (...) {  // no exception may cross libtiff's frames
        return -1;
    }
}

tmsize_t OnWrite(thandle_t, void*, tmsize_t) { return -1; }

toff_t OnSeek(thandle_t handle, toff_t offset, int whence) {
    auto* c = static_cast<TiffClient*>(handle);
    uint64_t base = 0;
    if (whence == SEEK_CUR)
        base = c->pos;
    else if (whence == SEEK_END)
        base = c->source->Size();
    else if (whence != SEEK_SET)
        return toff_t(-1);
    const uint64_t target = base + offset;  // negative offsets come wrapped, the sum wraps back
    if (target > uint64_t(INT64_MAX)) return toff_t(-1);
    c->pos = target;
    return target;
}

int OnClose(thandle_t) { return 0; }
toff_t OnSize(thandle_t handle) { return static_cast<TiffClient*>(handle)->source->Size(); }

int OnMap(thandle_t handle, void** base, toff_t* size) {
    const std::span<const uint8_t> memory = static_cast<TiffClient*>(handle)->source->Memory();
    if (memory.empty()) return 0;
    // libtiff only reads through the mapping when the file is opened for reading.
    *base = const_cast<uint8_t*>(memory.data());
    *size = memory.size();
    return 1;
}
void OnUnmap(thandle_t, void*, toff_t) {}

int OnError(TIFF*, void* data, const char* module, const char* format, va_list args) {
    auto* c = static_cast<TiffClient*>(data);
    ++c->errors;
    if (c->message[0] == '\0') {
        int n = std::snprintf(c->message, sizeof c->message, "%s: ", module ? module : "");
        if (n < 0 || size_t(n) >= sizeof c->message) n = 0;
        std::vsnprintf(c->message + n, sizeof c->message - size_t(n), format, args);
    }
    return 1;  // handled: nothing reaches the global handlers
}
/// Warnings are dropped, but for the fax codecs' "Premature EOF": they fill the rows the
/// data lacks with white, which would show a cut drawing as if it were whole.
int OnWarning(TIFF* tif, void* data, const char* module, const char* format, va_list args) {
    if (format != nullptr && std::strncmp(format, "Premature EOF", 13) == 0)
        return OnError(tif, data, module, format, args);
    return 1;
}

[[noreturn]] void FailWith(const TiffClient& c, const char* what) {
    Fail(std::string("TIFF を読み込めません（") + (c.message[0] ? c.message : what) + "）");
}

/// The first directory's fields that decide the decode.
struct TiffLayout {
    uint32_t width = 0, height = 0;
    uint16_t bits = 1, samples = 1, photometric = PHOTOMETRIC_MINISWHITE,
             planar = PLANARCONFIG_CONTIG;
    uint16_t sampleFormat = SAMPLEFORMAT_UINT, compression = COMPRESSION_NONE, inkSet = INKSET_CMYK;
    uint16_t extraType = EXTRASAMPLE_UNSPECIFIED;  // of the first extra sample
    uint16_t extras = 0;
    uint16_t orientation = ORIENTATION_TOPLEFT;
};

TiffLayout ReadLayout(TIFF* tif) {
    TiffLayout l;
    TIFFGetField(tif, TIFFTAG_IMAGEWIDTH, &l.width);
    TIFFGetField(tif, TIFFTAG_IMAGELENGTH, &l.height);
    TIFFGetFieldDefaulted(tif, TIFFTAG_BITSPERSAMPLE, &l.bits);
    TIFFGetFieldDefaulted(tif, TIFFTAG_SAMPLESPERPIXEL, &l.samples);
    TIFFGetFieldDefaulted(tif, TIFFTAG_PLANARCONFIG, &l.planar);
    TIFFGetFieldDefaulted(tif, TIFFTAG_SAMPLEFORMAT, &l.sampleFormat);
    TIFFGetFieldDefaulted(tif, TIFFTAG_COMPRESSION, &l.compression);
    TIFFGetFieldDefaulted(tif, TIFFTAG_INKSET, &l.inkSet);
    TIFFGetFieldDefaulted(tif, TIFFTAG_ORIENTATION, &l.orientation);
    uint16_t* types = nullptr;
    if (TIFFGetFieldDefaulted(tif, TIFFTAG_EXTRASAMPLES, &l.extras, &types) && l.extras > 0 &&
        types != nullptr) {
        l.extraType = types[0];
    }
    if (!TIFFGetField(tif, TIFFTAG_PHOTOMETRIC, &l.photometric)) {
        // Files without the tag: fax pages are white-is-zero, colour has three samples.
        l.photometric = l.samples >= 3 ? PHOTOMETRIC_RGB
                        : l.bits == 1  ? PHOTOMETRIC_MINISWHITE
                                       : PHOTOMETRIC_MINISBLACK;
    }
    return l;
}

/// The imaging component's name for the layout.
std::string NameOf(const TiffLayout& l) {
    const bool alpha = l.extras > 0;
    const bool wide = l.bits == 16;
    switch (l.photometric) {
        case PHOTOMETRIC_MINISWHITE:
        case PHOTOMETRIC_MINISBLACK:
            if (l.samples >= 2) return wide ? "64bppRGBA" : "32bppBGRA";
            if (l.sampleFormat == SAMPLEFORMAT_IEEEFP && l.bits == 32) return "32bppGrayFl";
            if (l.bits == 1) return "BlackWhite";
            return std::to_string(l.bits) + "bppGray";
        case PHOTOMETRIC_PALETTE:
            return std::to_string(l.bits) + "bppIndexed";
        case PHOTOMETRIC_RGB:
            if (l.samples >= 4) {
                const bool pre = l.extraType == EXTRASAMPLE_ASSOCALPHA;
                return wide ? (pre ? "64bppPRGBA" : "64bppRGBA")
                            : (pre ? "32bppPBGRA" : "32bppBGRA");
            }
            return wide ? "48bppRGB" : "24bppBGR";
        case PHOTOMETRIC_YCBCR:
            return "24bppBGR";
        case PHOTOMETRIC_SEPARATED:
            return wide ? "64bppCMYK" : "32bppCMYK";
        default:
            return alpha ? "32bppBGRA" : "24bppBGR";
    }
}

/// How a contiguous row turns into BGRA.
struct RowPlan {
    enum Kind { None, Indexed, Samples } kind = None;
    int bits = 0;
    uint32_t colors[256] = {};
    SampleLayout layout;
};

/// Palette colours from the colour map; maps whose values all fit in 8 bits are 8-bit maps
/// written by mistake, and are read as such (as libtiff's own reader does).
bool ReadColorMap(TIFF* tif, int bits, uint32_t (&colors)[256], std::vector<RgbQuad>* quads) {
    uint16_t *r = nullptr, *g = nullptr, *b = nullptr;
    if (!TIFFGetField(tif, TIFFTAG_COLORMAP, &r, &g, &b) || !r || !g || !b) return false;
    const int n = 1 << bits;
    bool eight = true;
    for (int i = 0; i < n; ++i) {
        if (r[i] >= 256 || g[i] >= 256 || b[i] >= 256) eight = false;
    }
    const int shift = eight ? 0 : 8;
    for (int i = 0; i < 256; ++i) colors[i] = Bgra(0, 0, 0);
    for (int i = 0; i < n; ++i) {
        const uint8_t cr = uint8_t(r[i] >> shift), cg = uint8_t(g[i] >> shift),
                      cb = uint8_t(b[i] >> shift);
        colors[i] = Bgra(cr, cg, cb);
        if (quads != nullptr) quads->push_back(RgbQuad{cb, cg, cr, 0});
    }
    return true;
}

RowPlan PlanFor(TIFF* tif, const TiffLayout& l) {
    RowPlan p;
    if (l.planar != PLANARCONFIG_CONTIG && l.samples > 1) return p;
    if (l.sampleFormat != SAMPLEFORMAT_UINT && l.sampleFormat != SAMPLEFORMAT_VOID) return p;
    const bool small = l.bits == 1 || l.bits == 2 || l.bits == 4 || l.bits == 8;
    switch (l.photometric) {
        case PHOTOMETRIC_MINISWHITE:
        case PHOTOMETRIC_MINISBLACK: {
            const bool invert = l.photometric == PHOTOMETRIC_MINISWHITE;
            if (l.samples == 1 && small) {
                p.kind = RowPlan::Indexed;
                p.bits = l.bits;
                const int levels = 1 << l.bits;
                for (int i = 0; i < levels; ++i) {
                    uint8_t v = uint8_t(i * 255 / (levels - 1));
                    if (invert) v = uint8_t(255 - v);
                    p.colors[i] = Bgra(v, v, v);
                }
                return p;
            }
            if (l.bits != 8 && l.bits != 16) return p;
            p.kind = RowPlan::Samples;
            p.layout.kind = SampleLayout::Gray;
            p.layout.invert = invert;
            p.layout.alpha = l.samples >= 2 ? 1 : -1;
            p.layout.premultiplied = l.samples >= 2 && l.extraType == EXTRASAMPLE_ASSOCALPHA;
            break;
        }
        case PHOTOMETRIC_PALETTE:
            if (l.samples != 1 || !small) return p;
            if (!ReadColorMap(tif, l.bits, p.colors, nullptr)) return p;
            p.kind = RowPlan::Indexed;
            p.bits = l.bits;
            return p;
        case PHOTOMETRIC_RGB:
            if (l.samples < 3 || (l.bits != 8 && l.bits != 16)) return p;
            p.kind = RowPlan::Samples;
            p.layout.kind = SampleLayout::Rgb;
            p.layout.alpha = l.samples >= 4 ? 3 : -1;
            p.layout.premultiplied = l.samples >= 4 && l.extraType == EXTRASAMPLE_ASSOCALPHA;
            break;
        case PHOTOMETRIC_SEPARATED:
            if (l.samples != 4 || l.inkSet != INKSET_CMYK || (l.bits != 8 && l.bits != 16))
                return p;
            p.kind = RowPlan::Samples;
            p.layout.kind = SampleLayout::Cmyk;
            break;
        default:
            return p;
    }
    p.layout.samples = l.samples;
    p.layout.wide = l.bits == 16;
    return p;
}

/// Converts `count` pixels of a contiguous row.
void ConvertRow(const RowPlan& plan, const IndexedExpander* expander, const uint8_t* src,
                uint8_t* dst, uint32_t count) {
    if (plan.kind == RowPlan::Indexed)
        expander->Expand(src, dst, count);
    else
        ConvertSamples(plan.layout, src, dst, count);
}

/// `put(y, row)` for every row of the image, in order, from strips or scanlines.
template <typename Put>
void ForEachStripRow(TIFF* tif, TiffClient& client, uint32_t height, Put&& put) {
    uint32_t rowsPerStrip = height;
    TIFFGetFieldDefaulted(tif, TIFFTAG_ROWSPERSTRIP, &rowsPerStrip);
    if (rowsPerStrip == 0 || rowsPerStrip > height) rowsPerStrip = height;
    const tmsize_t scanline = TIFFScanlineSize(tif);
    const tmsize_t stripSize = TIFFStripSize(tif);
    if (scanline <= 0 || stripSize <= 0) FailWith(client, "行の大きさが不正です");
    if (stripSize <= kMaxBlockBuffer) {
        std::vector<uint8_t> strip(static_cast<size_t>(stripSize));
        for (uint32_t y = 0; y < height; y += rowsPerStrip) {
            const uint32_t rows = std::min(rowsPerStrip, height - y);
            const tmsize_t want = tmsize_t(rows) * scanline;
            const tmsize_t got =
                TIFFReadEncodedStrip(tif, TIFFComputeStrip(tif, y, 0), strip.data(), want);
            if (got != want) FailWith(client, "ストリップを読み込めません");
            for (uint32_t i = 0; i < rows; ++i)
                put(y + i, strip.data() + size_t(i) * size_t(scanline));
        }
        return;
    }
    std::vector<uint8_t> line(static_cast<size_t>(scanline));
    for (uint32_t y = 0; y < height; ++y) {
        if (TIFFReadScanline(tif, line.data(), y, 0) != 1) FailWith(client, "行を読み込めません");
        put(y, line.data());
    }
}

void DecodeTiles(TIFF* tif, TiffClient& client, const TiffLayout& l, const RowPlan& plan,
                 const IndexedExpander* expander, Bitmap& out) {
    uint32_t tw = 0, th = 0;
    TIFFGetField(tif, TIFFTAG_TILEWIDTH, &tw);
    TIFFGetField(tif, TIFFTAG_TILELENGTH, &th);
    const tmsize_t tileSize = TIFFTileSize(tif);
    const tmsize_t tileRow = TIFFTileRowSize(tif);
    if (tw == 0 || th == 0 || tileSize <= 0 || tileRow <= 0 || tileSize > kMaxBlockBuffer ||
        tmsize_t(th) * tileRow > tileSize) {
        FailWith(client, "タイルの大きさが不正です");
    }
    std::vector<uint8_t> tile(static_cast<size_t>(tileSize));
    for (uint32_t ty = 0; ty < l.height; ty += th) {
        for (uint32_t tx = 0; tx < l.width; tx += tw) {
            if (TIFFReadEncodedTile(tif, TIFFComputeTile(tif, tx, ty, 0, 0), tile.data(),
                                    tileSize) != tileSize) {
                FailWith(client, "タイルを読み込めません");
            }
            const uint32_t rows = std::min(th, l.height - ty), cols = std::min(tw, l.width - tx);
            for (uint32_t i = 0; i < rows; ++i) {
                ConvertRow(plan, expander, tile.data() + size_t(i) * size_t(tileRow),
                           out.Row(ty + i) + size_t(tx) * 4, cols);
            }
        }
    }
}

/// Pixels through libtiff's RGBA reader (which premultiplies any opacity).
void DecodeThroughRgba(TIFF* tif, TiffClient& client, const TiffLayout& l, Bitmap& out) {
    char why[1024] = {};
    if (!TIFFRGBAImageOK(tif, why))
        Fail(std::string("TIFF のこの形式には対応していません（") + why + "）");
    // Rows are kept in the file's order, as the direct path keeps them.
    const int orientation =
        l.orientation >= 1 && l.orientation <= 4 ? l.orientation : ORIENTATION_TOPLEFT;
    if (!TIFFReadRGBAImageOriented(tif, l.width, l.height, reinterpret_cast<uint32_t*>(out.Data()),
                                   orientation, 1)) {
        FailWith(client, "画素を読み込めません");
    }
    SampleLayout rgba;  // bytes R, G, B, A in memory
    rgba.kind = SampleLayout::Rgb;
    rgba.samples = 4;
    rgba.alpha = 3;
    rgba.premultiplied = l.extras > 0;
    for (uint32_t y = 0; y < l.height; ++y) {
        uint8_t* row = out.Row(y);
        ConvertSamples(rgba, row, row, l.width);  // in place: each pixel is read before written
    }
}

void ReadOneBit(TIFF* tif, TiffClient& client, const TiffLayout& l, Bitmap& out) {
    uint32_t colors[256];
    if (!ReadColorMap(tif, 1, colors, &out.Palette())) FailWith(client, "カラーマップがありません");
    const size_t rowBytes = (size_t(l.width) + 7) / 8;
    const uint8_t mask = uint8_t(0xFF << ((8 - l.width % 8) % 8));
    auto put = [&](uint32_t y, const uint8_t* src) {
        uint8_t* d = out.Row(y);
        std::memcpy(d, src, rowBytes);
        d[rowBytes - 1] &= mask;
    };
    if (!TIFFIsTiled(tif)) {
        ForEachStripRow(tif, client, l.height, put);
        return;
    }
    // Tiled one-bit palette files are rare: go through a 32-bit copy.
    RowPlan plan;
    plan.kind = RowPlan::Indexed;
    plan.bits = 1;
    std::memcpy(plan.colors, colors, sizeof colors);
    const IndexedExpander expander(1, colors);
    Bitmap wide(l.width, l.height, PixelFormat::Bit32);
    DecodeTiles(tif, client, l, plan, &expander, wide);
    for (uint32_t y = 0; y < l.height; ++y) {
        const uint32_t* s = reinterpret_cast<const uint32_t*>(wide.Row(y));
        for (uint32_t x = 0; x < l.width; ++x)
            out.SetPixelIndex(x, y, s[x] == colors[1] && s[x] != colors[0]);
    }
}

/// The rows of a strip-organised bilevel file, with the colour table [black, white]: a
/// white-is-zero file's bits are inverted on the way.
void ReadBilevel(TIFF* tif, TiffClient& client, const TiffLayout& l, Bitmap& out) {
    out.Palette() = {RgbQuad{0, 0, 0, 0}, RgbQuad{255, 255, 255, 0}};
    const size_t rowBytes = (size_t(l.width) + 7) / 8;
    const uint8_t mask = uint8_t(0xFF << ((8 - l.width % 8) % 8));
    const uint8_t flip = l.photometric == PHOTOMETRIC_MINISWHITE ? 0xFF : 0x00;
    ForEachStripRow(tif, client, l.height, [&](uint32_t y, const uint8_t* src) {
        uint8_t* d = out.Row(y);
        for (size_t i = 0; i < rowBytes; ++i) d[i] = uint8_t(src[i] ^ flip);
        d[rowBytes - 1] &= mask;
    });
}

/// How many times its compressed size a codec can make of its data at most, for the check
/// of the data against the file; 0 where there is no useful bound. The fax codecs are
/// bounded by rows instead (each costs at least a bit).
uint64_t MaxExpansion(uint16_t compression) {
    switch (compression) {
        case COMPRESSION_NONE:
            return 1;
        case COMPRESSION_PACKBITS:
            return 64;  // two bytes repeat one up to 128 times
        case COMPRESSION_LZW:
        case COMPRESSION_OJPEG:
        case COMPRESSION_JPEG:
            return 4096;  // a 9-bit code, a 4096-byte string
        case COMPRESSION_ADOBE_DEFLATE:
        case COMPRESSION_DEFLATE:
            return 1032;  // Deflate's own limit
        default:
            return 0;
    }
}

bool IsFax(uint16_t compression) {
    return compression == COMPRESSION_CCITTRLE || compression == COMPRESSION_CCITTRLEW ||
           compression == COMPRESSION_CCITTFAX3 || compression == COMPRESSION_CCITTFAX4;
}

/// Refuses, before anything is allocated for the pixels, a first directory that declares
/// more than the viewer shows (more than four samples a pixel, odd sample sizes) or more
/// data than the file can hold: the declared rows, decompressed, must fit in what the
/// strips or tiles hold within the file times what their codec can expand to.
void CheckDeclared(TIFF* tif, const TiffLayout& l, uint64_t fileSize) {
    if (l.samples == 0 || l.samples > kMaxShownSamples)
        Fail("TIFF の 1 画素のサンプル数が多すぎます（" + std::to_string(l.samples) + "）");
    if (l.bits != 1 && l.bits != 2 && l.bits != 4 && l.bits != 8 && l.bits != 16 && l.bits != 32)
        Fail("TIFF のサンプルのビット数に対応していません（" + std::to_string(l.bits) + "）");
    const bool tiled = TIFFIsTiled(tif) != 0;
    const uint32_t blocks = tiled ? TIFFNumberOfTiles(tif) : TIFFNumberOfStrips(tif);
    uint64_t held = 0;
    for (uint32_t i = 0; i < blocks; ++i) {
        int err = 0;
        const uint64_t offset = TIFFGetStrileOffsetWithErr(tif, i, &err);
        const uint64_t count = err ? 0 : TIFFGetStrileByteCountWithErr(tif, i, &err);
        if (err || offset >= fileSize) continue;
        held += std::min(count, fileSize - offset);
    }
    if (IsFax(l.compression)) {
        if (uint64_t(l.height) > held * 8 + 8) Fail("TIFF の画像データがファイルに足りません");
        return;
    }
    const uint64_t expansion = MaxExpansion(l.compression);
    if (expansion == 0) return;
    const uint64_t planes = l.planar == PLANARCONFIG_SEPARATE ? l.samples : 1;
    const uint64_t perPlaneRow =
        (uint64_t(l.width) * l.bits * (planes > 1 ? 1 : l.samples) + 7) / 8;
    // Rows and tiles round up; this is the least any layout needs.
    const uint64_t needed = perPlaneRow * l.height * planes;
    if (needed / expansion > held) Fail("TIFF の画像データがファイルに足りません");
}

}  // namespace

Frame DecodeTiff(const ByteSource& source, Target target, const DecodeLimits& limits) {
    TiffClient client{&source};
    const TiffOptionsOwner options = TiffOptionsWith(OnError, &client, OnWarning, &client);
    if (!options) throw std::bad_alloc();
    TIFFOpenOptionsSetMaxSingleMemAlloc(options.get(), kMaxLibraryAlloc);
    // Memory is read through a mapping (no copies); a file through pread.
    const char* mode = source.Memory().empty() ? "rm" : "r";
    TiffOwner tif(TIFFClientOpenExt("", mode, &client, OnRead, OnWrite, OnSeek, OnClose, OnSize,
                                    OnMap, OnUnmap, options.get()));
    if (!tif) FailWith(client, "ヘッダーが不正です");

    TiffLayout l = ReadLayout(tif.get());
    if (l.photometric == PHOTOMETRIC_YCBCR && l.compression == COMPRESSION_JPEG) {
        // The JPEG codec converts to RGB itself, upsampling included.
        TIFFSetField(tif.get(), TIFFTAG_JPEGCOLORMODE, JPEGCOLORMODE_RGB);
    }
    Frame frame;
    frame.pixelFormatName = NameOf(l);
    if (target == Target::OneBitIndexed && frame.pixelFormatName != "1bppIndexed")
        FailNotOneBitIndexed(frame.pixelFormatName);
    CheckSize(l.width, l.height, limits);
    CheckDeclared(tif.get(), l, source.Size());
    // From here on every error message counts: some codecs (the fax ones) report corrupt
    // data and go on decoding garbage.
    client.errors = 0;
    client.message[0] = '\0';
    const auto checked = [&client](Frame& decoded) -> Frame& {
        if (client.errors != 0) FailWith(client, "");
        return decoded;
    };

    // The two-colour load reads one-sample rows packed; anything else takes the wide path.
    const bool packedBilevel = !TIFFIsTiled(tif.get()) && l.samples == 1;
    const bool oneSample = l.samples == 1 || target == Target::OneBitIndexed;
    if (oneSample && KeepsOneBit(target, frame.pixelFormatName, packedBilevel)) {
        frame.picture = Bitmap(l.width, l.height, PixelFormat::Bit1);
        if (frame.pixelFormatName == "BlackWhite")
            ReadBilevel(tif.get(), client, l, frame.picture);
        else
            ReadOneBit(tif.get(), client, l, frame.picture);
        return std::move(checked(frame));
    }
    TiffLayout direct = l;
    if (l.photometric == PHOTOMETRIC_YCBCR && l.compression == COMPRESSION_JPEG &&
        l.planar == PLANARCONFIG_CONTIG && l.bits == 8 && l.samples == 3) {
        direct.photometric = PHOTOMETRIC_RGB;
    }
    const RowPlan plan = PlanFor(tif.get(), direct);
    frame.picture = Bitmap(l.width, l.height, PixelFormat::Bit32);
    if (plan.kind == RowPlan::None) {
        DecodeThroughRgba(tif.get(), client, l, frame.picture);
        return std::move(checked(frame));
    }
    std::unique_ptr<IndexedExpander> expander;
    if (plan.kind == RowPlan::Indexed)
        expander = std::make_unique<IndexedExpander>(plan.bits, plan.colors);
    if (TIFFIsTiled(tif.get())) {
        DecodeTiles(tif.get(), client, l, plan, expander.get(), frame.picture);
    } else {
        RowPrefault prefault(frame.picture);
        ForEachStripRow(tif.get(), client, l.height, [&](uint32_t y, const uint8_t* src) {
            prefault.Before(y);
            ConvertRow(plan, expander.get(), src, frame.picture.Row(y), l.width);
        });
    }
    return std::move(checked(frame));
}

}  // namespace vellumo::decode
