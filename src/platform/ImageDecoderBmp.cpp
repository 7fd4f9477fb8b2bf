// BMP, read by our own code: core (12-byte), info (40), the 52/56/64-byte variants and the
// v4 (108) and v5 (124) headers; 1, 4, 8, 16, 24 and 32 bits; bit fields; RLE8 and RLE4;
// rows stored bottom-up or (negative height) top-down.

#include <bit>
#include <cstring>

#include "platform/BmpRules.h"
#include "platform/ImageDecoderParts.h"

namespace vellumo::decode {

namespace {

constexpr uint32_t kRgb = kBmpRgb, kRle8 = kBmpRle8, kRle4 = kBmpRle4, kBitfields = kBmpBitfields,
                   kAlphaBitfields = kBmpAlphaBitfields;

uint16_t Le16(const uint8_t* p) { return uint16_t(p[0] | (p[1] << 8)); }
uint32_t Le32(const uint8_t* p) {
    return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24);
}

struct BmpHeader {
    uint32_t width = 0;
    uint32_t height = 0;
    bool topDown = false;
    int bits = 0;
    uint32_t compression = kRgb;
    uint32_t masks[4] = {};  // red, green, blue, alpha
    uint32_t pixelOffset = 0;
    uint32_t paletteOffset = 0;
    uint32_t paletteEntries = 0;
    int paletteEntrySize = 4;
};

BmpHeader ReadHeader(const ByteSource& source) {
    uint8_t h[14 + 124 + 16] = {};  // file header, the largest header, masks after a v3 one
    const size_t got = source.ReadAt(0, h, sizeof h);
    if (got < 26) Fail("BMP のヘッダーが途中で切れています");
    BmpHeader b;
    const uint32_t headerSize = Le32(h + 14);
    b.pixelOffset = Le32(h + 10);
    if (!BmpHeaderSizeKnown(headerSize))
        Fail("BMP のヘッダーの大きさが不正です（" + std::to_string(headerSize) + "）");
    if (got < 14 + headerSize) Fail("BMP のヘッダーが途中で切れています");
    if (headerSize == 12) {
        b.width = Le16(h + 18);
        b.height = Le16(h + 20);
        if (Le16(h + 22) != 1) Fail("BMP のプレーン数が不正です");
        b.bits = Le16(h + 24);
        if (b.bits != 1 && b.bits != 4 && b.bits != 8 && b.bits != 24)
            Fail("BMP のビット数が不正です（" + std::to_string(b.bits) + "）");
        b.paletteEntrySize = 3;
        b.paletteOffset = 26;
        b.paletteEntries = b.bits <= 8 ? 1u << b.bits : 0;
    } else {
        const int32_t width = int32_t(Le32(h + 18));
        const int32_t height = int32_t(Le32(h + 22));
        if (width <= 0 || height == 0 || height == INT32_MIN) Fail("BMP の画像の大きさが不正です");
        b.width = uint32_t(width);
        b.topDown = height < 0;
        b.height = uint32_t(height < 0 ? -height : height);
        if (Le16(h + 26) != 1) Fail("BMP のプレーン数が不正です");
        b.bits = Le16(h + 28);
        b.compression = Le32(h + 30);
        const uint32_t used = Le32(h + 46);
        if (b.bits != 1 && b.bits != 4 && b.bits != 8 && b.bits != 16 && b.bits != 24 &&
            b.bits != 32) {
            Fail("BMP のビット数が不正です（" + std::to_string(b.bits) + "）");
        }
        const bool fields = b.compression == kBitfields || b.compression == kAlphaBitfields;
        if (!BmpCompressionDecodes(b.compression, b.bits))
            Fail("BMP の圧縮形式に対応していません（" + std::to_string(b.compression) + "）");
        b.paletteOffset = 14 + headerSize;
        if (fields) {
            // The masks follow the header at offset 54 whatever its size: inside the larger
            // headers, after the 40-byte one.
            const bool alphaField = headerSize >= 56 || b.compression == kAlphaBitfields;
            for (int i = 0; i < (alphaField ? 4 : 3); ++i) b.masks[i] = Le32(h + 54 + 4 * i);
            if (headerSize == 40) b.paletteOffset += b.compression == kAlphaBitfields ? 16 : 12;
        } else if (b.bits == 16) {
            b.masks[0] = 0x7C00, b.masks[1] = 0x03E0, b.masks[2] = 0x001F;
        } else if (b.bits == 32) {
            b.masks[0] = 0xFF0000, b.masks[1] = 0xFF00, b.masks[2] = 0xFF;
        }
        if (b.bits <= 8)
            b.paletteEntries = used == 0 || used > (1u << b.bits) ? 1u << b.bits : used;
    }
    if (b.pixelOffset < 14 + headerSize || b.pixelOffset > source.Size())
        Fail("BMP の画素データの位置が不正です");
    return b;
}

/// One contiguous field of a bit-field pixel, widened to 8 bits by repeating its bits.
struct Field {
    int shift = 0;
    int width = 0;
    uint8_t Extract(uint32_t v) const {
        if (width == 0) return 255;
        const uint32_t f = width >= 32 ? v : (v >> shift) & ((uint32_t(1) << width) - 1);
        if (width >= 8) return uint8_t(f >> (width - 8));
        uint32_t r = 0;
        int n = 0;
        while (n < 8) r = (r << width) | f, n += width;
        return uint8_t(r >> (n - 8));
    }
};

Field FieldOf(uint32_t mask) {
    Field f;
    if (mask == 0) return f;
    f.shift = std::countr_zero(mask);
    f.width = std::popcount(mask);
    const uint32_t field = mask >> f.shift;
    if ((field & (field + 1)) != 0)  // not one run of ones
        Fail("BMP のビットフィールドが不正です");
    return f;
}

std::string NameOf(const BmpHeader& b) {
    const uint32_t* m = b.masks;
    switch (b.bits) {
        case 1:
        case 4:
        case 8:
            // The imaging component decodes run-length pictures to 32-bit pixels.
            if (b.compression == kRle8 || b.compression == kRle4) return "32bppBGR";
            return std::to_string(b.bits) + "bppIndexed";
        case 16:
            if (m[0] == 0x7C00 && m[1] == 0x03E0 && m[2] == 0x001F)
                return m[3] == 0x8000 ? "16bppBGRA55" : "16bppBGR555";
            if (m[0] == 0xF800 && m[1] == 0x07E0 && m[2] == 0x001F && m[3] == 0)
                return "16bppBGR565";
            return m[3] != 0 ? "32bppBGRA" : "32bppBGR";
        case 24:
            return "24bppBGR";
        default:
            return m[3] != 0 ? "32bppBGRA" : "32bppBGR";
    }
}

/// The colour table as BGRA words; indices past its end are black.
void ReadPalette(const ByteSource& source, const BmpHeader& b, uint32_t (&colors)[256]) {
    for (uint32_t& c : colors) c = Bgra(0, 0, 0);
    uint8_t raw[256 * 4] = {};
    const size_t len = size_t(b.paletteEntries) * b.paletteEntrySize;
    source.ReadAt(b.paletteOffset, raw, len);
    for (uint32_t i = 0; i < b.paletteEntries; ++i) {
        const uint8_t* e = raw + i * b.paletteEntrySize;
        colors[i] = Bgra(e[2], e[1], e[0]);
    }
}

/// The picture row that file row `i` (in storage order) fills.
uint32_t TargetRow(const BmpHeader& b, uint32_t i) { return b.topDown ? i : b.height - 1 - i; }

void DecodeRle(const ByteSource& source, const BmpHeader& b, const uint32_t (&colors)[256],
               Bitmap& out) {
    // Pixels the stream skips keep the colour of index 0.
    for (uint32_t y = 0; y < b.height; ++y) {
        uint32_t* row = reinterpret_cast<uint32_t*>(out.Row(y));
        std::fill(row, row + b.width, colors[0]);
    }
    std::vector<uint8_t> scratch;
    const size_t size = size_t(source.Size() - b.pixelOffset);
    const uint8_t* p = source.View(b.pixelOffset, size, scratch);
    const uint8_t* end = p + size;
    const bool four = b.compression == kRle4;
    uint32_t x = 0, y = 0;  // y counts rows in storage order
    auto put = [&](unsigned index) {
        if (x < b.width && y < b.height)
            std::memcpy(out.Row(TargetRow(b, y)) + 4 * size_t(x), &colors[index], 4);
        ++x;
    };
    while (y < b.height) {
        if (end - p < 2) Fail("BMP の圧縮データが途中で切れています");
        const unsigned count = p[0], value = p[1];
        p += 2;
        if (count != 0) {
            for (unsigned i = 0; i < count && x < b.width; ++i)
                put(four ? ((i & 1) ? value & 15 : value >> 4) : value);
            continue;
        }
        if (value == 0) {  // end of line
            x = 0, ++y;
        } else if (value == 1) {  // end of picture
            return;
        } else if (value == 2) {  // move right and up
            if (end - p < 2) Fail("BMP の圧縮データが途中で切れています");
            x += p[0], y += p[1];
            p += 2;
        } else {  // a literal run, padded to 16 bits
            const size_t bytes = four ? (value + 1) / 2 : value;
            const size_t padded = (bytes + 1) & ~size_t(1);
            if (size_t(end - p) < padded) Fail("BMP の圧縮データが途中で切れています");
            for (unsigned i = 0; i < value && x < b.width; ++i)
                put(four ? ((i & 1) ? p[i / 2] & 15 : p[i / 2] >> 4) : p[i]);
            p += padded;
        }
    }
}

/// The last file row may lack its padding; every other row must be whole.
void CheckData(const ByteSource& source, const BmpHeader& b, size_t stride) {
    const size_t rowBytes = (uint64_t(b.width) * b.bits + 7) / 8;
    const uint64_t need = uint64_t(stride) * (b.height - 1) + rowBytes;
    if (source.Size() - b.pixelOffset < need) Fail("BMP の画素データが途中で切れています");
}

}  // namespace

Frame DecodeBmp(const ByteSource& source, Target target, const DecodeLimits& limits) {
    const BmpHeader b = ReadHeader(source);
    Frame frame;
    frame.pixelFormatName = NameOf(b);
    if (target == Target::OneBitIndexed && frame.pixelFormatName != "1bppIndexed")
        FailNotOneBitIndexed(frame.pixelFormatName);
    CheckSize(b.width, b.height, limits);
    const size_t stride = StrideFor(b.width, b.bits);
    uint32_t colors[256];
    ReadPalette(source, b, colors);

    if (b.compression == kRle8 || b.compression == kRle4) {
        frame.picture = Bitmap(b.width, b.height, PixelFormat::Bit32);
        DecodeRle(source, b, colors, frame.picture);
        return frame;
    }
    CheckData(source, b, stride);
    const size_t rowBytes = (uint64_t(b.width) * b.bits + 7) / 8;
    std::vector<uint8_t> scratch;
    auto fileRow = [&](uint32_t i) {
        const uint64_t at = b.pixelOffset + uint64_t(stride) * i;
        return source.View(at, rowBytes, scratch);
    };

    if (KeepsOneBit(target, frame.pixelFormatName)) {
        frame.picture = Bitmap(b.width, b.height, PixelFormat::Bit1);
        for (uint32_t i = 0; i < b.paletteEntries && i < 2; ++i) {
            const uint32_t c = colors[i];
            frame.picture.Palette().push_back(
                RgbQuad{uint8_t(c), uint8_t(c >> 8), uint8_t(c >> 16), 0});
        }
        const uint8_t lastMask = uint8_t(0xFF << ((8 - b.width % 8) % 8));
        for (uint32_t i = 0; i < b.height; ++i) {
            uint8_t* d = frame.picture.Row(TargetRow(b, i));
            std::memcpy(d, fileRow(i), rowBytes);
            d[rowBytes - 1] &= lastMask;  // padding bits stay zero
        }
        return frame;
    }

    frame.picture = Bitmap(b.width, b.height, PixelFormat::Bit32);
    if (b.bits <= 8) {
        const IndexedExpander expander(b.bits, colors);
        for (uint32_t i = 0; i < b.height; ++i)
            expander.Expand(fileRow(i), frame.picture.Row(TargetRow(b, i)), b.width);
        return frame;
    }
    if (b.bits == 24) {
        for (uint32_t i = 0; i < b.height; ++i) {
            const uint8_t* s = fileRow(i);
            uint8_t* d = frame.picture.Row(TargetRow(b, i));
            for (uint32_t x = 0; x < b.width; ++x, s += 3, d += 4)
                d[0] = s[0], d[1] = s[1], d[2] = s[2], d[3] = 255;
        }
        return frame;
    }
    const Field r = FieldOf(b.masks[0]), g = FieldOf(b.masks[1]), bl = FieldOf(b.masks[2]),
                a = FieldOf(b.masks[3]);
    const bool plain32 =
        b.bits == 32 && b.masks[0] == 0xFF0000 && b.masks[1] == 0xFF00 && b.masks[2] == 0xFF;
    for (uint32_t i = 0; i < b.height; ++i) {
        const uint8_t* s = fileRow(i);
        uint8_t* d = frame.picture.Row(TargetRow(b, i));
        if (plain32 && b.masks[3] == 0xFF000000) {
            std::memcpy(d, s, size_t(b.width) * 4);
        } else if (plain32 && b.masks[3] == 0) {
            for (uint32_t x = 0; x < b.width; ++x, s += 4, d += 4)
                d[0] = s[0], d[1] = s[1], d[2] = s[2], d[3] = 255;
        } else {
            for (uint32_t x = 0; x < b.width; ++x, d += 4) {
                const uint32_t v = b.bits == 16 ? Le16(s + 2 * size_t(x)) : Le32(s + 4 * size_t(x));
                d[0] = bl.Extract(v), d[1] = g.Extract(v), d[2] = r.Extract(v), d[3] = a.Extract(v);
            }
        }
    }
    return frame;
}

}  // namespace vellumo::decode
