// PNG through libpng: every colour type and depth, tRNS, interlace. libpng leaves its frames
// by longjmp only; each function that calls libpng sets its own jump point, holds no C++
// object that a jump could skip, and reports failure by its result, after which the caller
// throws.

#include <png.h>

#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <cstring>

#include "platform/ImageDecoderParts.h"
#include "platform/PngHandle.h"

namespace vellumo::decode {

namespace {

/// The libpng read structures, the reading position and the first error message.
struct PngReader : PngReadOwner {
    const ByteSource* source = nullptr;
    uint64_t pos = 0;
    char message[200] = {};
};

[[noreturn]] void OnError(png_structp png, png_const_charp text) {
    auto* reader = static_cast<PngReader*>(png_get_error_ptr(png));
    if (reader != nullptr && reader->message[0] == '\0')
        std::snprintf(reader->message, sizeof reader->message, "%s", text);
    png_longjmp(png, 1);
}

void OnWarning(png_structp, png_const_charp) {}

void OnRead(png_structp png, png_bytep out, size_t len) {
    auto* reader = static_cast<PngReader*>(png_get_io_ptr(png));
    size_t got = 0;
    try {
        got = reader->source->ReadAt(reader->pos, out, len);
    } catch (...) {  // no exception may cross libpng's frames
        got = 0;
    }
    if (got != len) png_error(png, "ファイルが途中で切れています");
    reader->pos += len;
}

struct PngHeader {
    png_uint_32 width = 0;
    png_uint_32 height = 0;
    int depth = 0;
    int colorType = 0;
    bool trns = false;
};

bool ReadHeader(PngReader& r, PngHeader& h) {
    r.png = png_create_read_struct(PNG_LIBPNG_VER_STRING, &r, OnError, OnWarning);
    if (r.png == nullptr) return false;
    r.info = png_create_info_struct(r.png);
    if (r.info == nullptr) return false;
    if (setjmp(png_jmpbuf(r.png))) return false;
    png_set_read_fn(r.png, &r, OnRead);
    // Only the chunks that change pixels are read; text and profiles are skipped unread.
    png_set_keep_unknown_chunks(r.png, PNG_HANDLE_CHUNK_NEVER, nullptr, -1);
    static const png_byte kTrns[] = {'t', 'R', 'N', 'S', '\0'};
    png_set_keep_unknown_chunks(r.png, PNG_HANDLE_CHUNK_AS_DEFAULT, kTrns, 1);
    png_read_info(r.png, r.info);
    h.width = png_get_image_width(r.png, r.info);
    h.height = png_get_image_height(r.png, r.info);
    h.depth = png_get_bit_depth(r.png, r.info);
    h.colorType = png_get_color_type(r.png, r.info);
    h.trns = png_get_valid(r.png, r.info, PNG_INFO_tRNS) != 0;
    return true;
}

/// The imaging component's names: gray with a transparent level becomes a palette image of
/// that depth; 16-bit gray with one, and gray with alpha, become RGBA.
std::string NameOf(const PngHeader& h) {
    const std::string depth = std::to_string(h.depth);
    switch (h.colorType) {
        case PNG_COLOR_TYPE_GRAY:
            if (h.trns) return h.depth == 16 ? "64bppRGBA" : depth + "bppIndexed";
            if (h.depth == 1) return "BlackWhite";
            return depth + "bppGray";
        case PNG_COLOR_TYPE_PALETTE:
            return depth + "bppIndexed";
        case PNG_COLOR_TYPE_RGB:
            if (h.trns) return h.depth == 16 ? "64bppRGBA" : "32bppBGRA";
            return h.depth == 16 ? "48bppRGB" : "24bppBGR";
        default:  // gray with alpha, RGBA
            return h.depth == 16 ? "64bppRGBA" : "32bppBGRA";
    }
}

/// Reads all rows as 32-bit BGRA, the opacity from the file or 255.
bool ReadPicture(PngReader& r, const PngHeader& h, Bitmap& out) {
    if (setjmp(png_jmpbuf(r.png))) return false;
    png_set_expand(r.png);  // palette to RGB, gray below 8 bits to 8, tRNS to alpha
    if (h.depth == 16) png_set_strip_16(r.png);
    if ((h.colorType & PNG_COLOR_MASK_COLOR) == 0) png_set_gray_to_rgb(r.png);
    png_set_bgr(r.png);
    if ((h.colorType & PNG_COLOR_MASK_ALPHA) == 0 && !h.trns)
        png_set_filler(r.png, 0xFF, PNG_FILLER_AFTER);
    const int passes = png_set_interlace_handling(r.png);
    png_read_update_info(r.png, r.info);
    if (png_get_rowbytes(r.png, r.info) != size_t(h.width) * 4) png_error(r.png, "行の長さ");
    for (int pass = 0; pass < passes; ++pass) {
        for (png_uint_32 y = 0; y < h.height; ++y) png_read_row(r.png, out.Row(y), nullptr);
    }
    return true;
}

/// Reads all rows in their own one-bit packing.
bool ReadOneBit(PngReader& r, const PngHeader& h, Bitmap& out) {
    if (setjmp(png_jmpbuf(r.png))) return false;
    const int passes = png_set_interlace_handling(r.png);
    png_read_update_info(r.png, r.info);
    if (png_get_rowbytes(r.png, r.info) != (size_t(h.width) + 7) / 8) png_error(r.png, "行の長さ");
    for (int pass = 0; pass < passes; ++pass) {
        for (png_uint_32 y = 0; y < h.height; ++y) png_read_row(r.png, out.Row(y), nullptr);
    }
    return true;
}

bool ReadPalette(PngReader& r, std::vector<RgbQuad>& palette) {
    if (setjmp(png_jmpbuf(r.png))) return false;
    png_colorp colors = nullptr;
    int count = 0;
    if (png_get_PLTE(r.png, r.info, &colors, &count) == 0) count = 0;
    for (int i = 0; i < count && i < 2; ++i)
        palette[size_t(i)] = RgbQuad{colors[i].blue, colors[i].green, colors[i].red, 0};
    palette.resize(size_t(count < 2 ? count : 2));
    return true;
}

[[noreturn]] void FailWith(const PngReader& r) {
    Fail(std::string("PNG を読み込めません（") + (r.message[0] ? r.message : "不明な誤り") + "）");
}

/// Refuses a file whose data chunks cannot hold the rows its header declares: Deflate makes
/// at most 1032 bytes of one. Only the chunk headers are read, before anything is allocated.
void CheckDataFits(const ByteSource& source, const PngHeader& h) {
    uint64_t held = 0;
    uint8_t head[8];
    for (uint64_t at = 8; at + 12 <= source.Size();) {
        if (source.ReadAt(at, head, 8) != 8) break;
        const uint64_t len =
            uint64_t(head[0]) << 24 | uint64_t(head[1]) << 16 | uint64_t(head[2]) << 8 | head[3];
        if (std::memcmp(head + 4, "IDAT", 4) == 0) held += std::min(len, source.Size() - at - 8);
        if (std::memcmp(head + 4, "IEND", 4) == 0) break;
        at += 12 + len;
    }
    const int channels = h.colorType == PNG_COLOR_TYPE_PALETTE      ? 1
                         : h.colorType == PNG_COLOR_TYPE_GRAY       ? 1
                         : h.colorType == PNG_COLOR_TYPE_GRAY_ALPHA ? 2
                         : h.colorType == PNG_COLOR_TYPE_RGB        ? 3
                                                                    : 4;
    // Each row has its filter byte; interlaced files have more of them, never fewer.
    const uint64_t row = (uint64_t(h.width) * h.depth * channels + 7) / 8 + 1;
    if (row * h.height / 1032 > held) Fail("PNG の画像データがファイルに足りません");
}

}  // namespace

Frame DecodePng(const ByteSource& source, Target target, const DecodeLimits& limits) {
    PngReader reader;
    reader.source = &source;
    PngHeader header;
    if (!ReadHeader(reader, header)) FailWith(reader);
    Frame frame;
    frame.pixelFormatName = NameOf(header);
    if (target == Target::OneBitIndexed && frame.pixelFormatName != "1bppIndexed")
        FailNotOneBitIndexed(frame.pixelFormatName);
    CheckSize(header.width, header.height, limits);
    CheckDataFits(source, header);

    if (KeepsOneBit(target, frame.pixelFormatName)) {
        // A BlackWhite file is one-bit gray: 0 black, 1 white.
        frame.picture = Bitmap(header.width, header.height, PixelFormat::Bit1);
        if (header.colorType == PNG_COLOR_TYPE_GRAY) {
            frame.picture.Palette() = {RgbQuad{0, 0, 0, 0}, RgbQuad{255, 255, 255, 0}};
        } else {
            frame.picture.Palette().resize(2);
            if (!ReadPalette(reader, frame.picture.Palette())) FailWith(reader);
        }
        if (!ReadOneBit(reader, header, frame.picture)) FailWith(reader);
        // The bits past the width come from the file; the bitmap keeps its padding zero.
        const size_t last = (size_t(header.width) - 1) / 8;
        const uint8_t mask = uint8_t(0xFF << ((8 - header.width % 8) % 8));
        for (uint32_t y = 0; y < header.height; ++y) frame.picture.Row(y)[last] &= mask;
        return frame;
    }
    frame.picture = Bitmap(header.width, header.height, PixelFormat::Bit32);
    if (!ReadPicture(reader, header, frame.picture)) FailWith(reader);
    return frame;
}

}  // namespace vellumo::decode
