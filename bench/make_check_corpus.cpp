// make_check_corpus: writes a folder of small, varied image files for the check benchmark.
//
// Usage: make_check_corpus FOLDER [COUNT] [TIFF-LIST] [TIFF-PERCENT]
//
// About seven in ten files are TIFFs (or TIFF-PERCENT in a hundred) (both byte orders, one to three
// pages, a spread of sizes, compressions, resolutions, units and missing tags), written byte by
// byte; the rest are PNG and JPEG files made with libpng and libjpeg, and BMP files written by
// hand. Every file decodes as a header; the TIFF strips hold filler bytes, not real pictures. The
// names of the TIFF files (one a line, without the folder) go to TIFF-LIST when given. The same
// COUNT always gives the same files.

#include <png.h>

#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <random>
#include <string>
#include <vector>

#include "platform/JpegLib.h"

namespace {

using Bytes = std::vector<uint8_t>;

class Writer {
  public:
    explicit Writer(bool bigEndian) : big_(bigEndian) {}
    void U8(uint8_t v) { b_.push_back(v); }
    void U16(uint16_t v) {
        if (big_) {
            U8(v >> 8), U8(v & 0xff);
        } else {
            U8(v & 0xff), U8(v >> 8);
        }
    }
    void U32(uint32_t v) {
        if (big_) {
            U16(v >> 16), U16(v & 0xffff);
        } else {
            U16(v & 0xffff), U16(v >> 16);
        }
    }
    void Patch32(size_t at, uint32_t v) {
        Writer w(big_);
        w.U32(v);
        std::memcpy(&b_[at], w.b_.data(), 4);
    }
    size_t Size() const { return b_.size(); }
    Bytes& Data() { return b_; }

  private:
    bool big_;
    Bytes b_;
};

struct Tag {
    uint16_t id;
    uint16_t type;  // 2 ASCII, 3 SHORT, 4 LONG, 5 RATIONAL
    uint32_t count;
    std::vector<uint32_t> values;  // SHORT/LONG values, or numerator/denominator pairs
    std::string text;              // ASCII
};

struct Page {
    uint32_t width, height, bits, compression;
    int orientation;      // -1: no tag
    uint32_t xNum, xDen;  // xNum 0 with xDen 0: no tag
    uint32_t yNum, yDen;
    int unit;  // -1: no tag
    uint32_t stripBytes;
    bool software;
};

uint32_t ValueBytes(const Tag& t) {
    switch (t.type) {
        case 2:
            return t.count;
        case 3:
            return 2 * t.count;
        case 4:
            return 4 * t.count;
        default:
            return 8 * t.count;
    }
}

// A TIFF file: header, then for each page its strip, its out-of-line values and its IFD.
Bytes MakeTiff(bool big, const std::vector<Page>& pages, std::mt19937& rng) {
    Writer w(big);
    if (big) {
        w.U8('M'), w.U8('M');
    } else {
        w.U8('I'), w.U8('I');
    }
    w.U16(42);
    size_t linkAt = w.Size();
    w.U32(0);
    for (const Page& p : pages) {
        const uint32_t stripAt = w.Size();
        for (uint32_t i = 0; i < p.stripBytes; ++i) w.U8(static_cast<uint8_t>(rng()));
        if (w.Size() % 2) w.U8(0);

        std::vector<Tag> tags;
        auto shortTag = [&](uint16_t id, uint32_t v) { tags.push_back({id, 3, 1, {v}, {}}); };
        auto longTag = [&](uint16_t id, uint32_t v) { tags.push_back({id, 4, 1, {v}, {}}); };
        auto sizeTag = [&](uint16_t id, uint32_t v) {
            v > 65535 ? longTag(id, v) : shortTag(id, v);
        };
        sizeTag(256, p.width);
        sizeTag(257, p.height);
        shortTag(258, p.bits);
        shortTag(259, p.compression);
        shortTag(262, p.bits == 1 ? 0 : 1);
        longTag(273, stripAt);
        if (p.orientation >= 0) shortTag(274, static_cast<uint32_t>(p.orientation));
        shortTag(277, 1);
        longTag(278, p.height);
        longTag(279, p.stripBytes);
        if (p.xDen != 0) tags.push_back({282, 5, 1, {p.xNum, p.xDen}, {}});
        if (p.yDen != 0) tags.push_back({283, 5, 1, {p.yNum, p.yDen}, {}});
        if (p.unit >= 0) shortTag(296, static_cast<uint32_t>(p.unit));
        if (p.software) {
            std::string s = "bench corpus writer 1.0";
            tags.push_back({305, 2, static_cast<uint32_t>(s.size() + 1), {}, s});
        }

        // Values of more than four bytes go before the IFD.
        std::vector<uint32_t> offsets(tags.size(), 0);
        for (size_t i = 0; i < tags.size(); ++i) {
            const Tag& t = tags[i];
            if (ValueBytes(t) <= 4) continue;
            offsets[i] = w.Size();
            if (t.type == 2) {
                for (char c : t.text) w.U8(static_cast<uint8_t>(c));
                w.U8(0);
            } else {
                for (uint32_t v : t.values) w.U32(v);
            }
            if (w.Size() % 2) w.U8(0);
        }
        const uint32_t ifdAt = w.Size();
        w.Patch32(linkAt, ifdAt);
        w.U16(static_cast<uint16_t>(tags.size()));
        for (size_t i = 0; i < tags.size(); ++i) {
            const Tag& t = tags[i];
            w.U16(t.id), w.U16(t.type), w.U32(t.count);
            if (ValueBytes(t) > 4) {
                w.U32(offsets[i]);
            } else if (t.type == 3) {
                w.U16(static_cast<uint16_t>(t.values[0])), w.U16(0);
            } else if (t.type == 4) {
                w.U32(t.values[0]);
            } else {
                uint8_t buf[4] = {};
                std::memcpy(buf, t.text.c_str(), std::min<size_t>(4, t.text.size() + 1));
                for (uint8_t c : buf) w.U8(c);
            }
        }
        linkAt = w.Size();
        w.U32(0);
    }
    return std::move(w.Data());
}

Page RandomPage(std::mt19937& rng) {
    auto pick = [&](auto... values) {
        const uint32_t all[] = {static_cast<uint32_t>(values)...};
        return all[rng() % sizeof...(values)];
    };
    Page p{};
    switch (rng() % 4) {
        case 0:
            p.width = 5732, p.height = 4047;
            break;  // B4 landscape, 400 dpi
        case 1:
            p.width = 4047, p.height = 5732;
            break;  // B4 portrait
        case 2:
            p.width = 4677, p.height = 3307;
            break;  // A4 landscape
        default:
            p.width = 100 + rng() % 8000, p.height = 100 + rng() % 8000;
            break;
    }
    p.bits = pick(1, 1, 1, 8);
    p.compression = p.bits == 1 ? pick(4, 4, 4, 3, 1, 5, 32773) : pick(1, 5, 32946);
    const uint32_t o = rng() % 12;
    p.orientation = o < 8 ? 1 : (o < 10 ? static_cast<int>(1 + rng() % 8) : -1);
    switch (rng() % 6) {
        case 0:
            p.xNum = 300, p.xDen = 1;
            break;
        case 1:
            p.xNum = 15748, p.xDen = 100;
            break;  // 157.48 per cm
        case 2:
            p.xNum = 4001, p.xDen = 10;
            break;  // truncates to 400
        case 3:
            p.xNum = 0, p.xDen = 0;
            break;  // no tag
        default:
            p.xNum = 400, p.xDen = 1;
            break;
    }
    p.yNum = p.xNum, p.yDen = p.xDen;
    if (rng() % 10 == 0) p.yNum = 0, p.yDen = rng() % 2;  // no YResolution, or y = 0
    // Inch mostly, some centimetre and none, one in ten without the tag. (A tag value of 0
    // is left out: libtiff rejects it, and identify then gives up on the rest of its list.)
    p.unit = static_cast<int>(pick(2, 2, 2, 2, 3, 1));
    if (rng() % 10 == 0) p.unit = -1;
    // Mostly a few KB on either side of the 5 KB limit; now and then past 300 KB.
    const uint32_t band = rng() % 1000;
    if (band < 400) {
        p.stripBytes = 64 + rng() % 5000;
    } else if (band < 970) {
        p.stripBytes = 5200 + rng() % 7000;
    } else if (band < 997) {
        p.stripBytes = 20000 + rng() % 80000;
    } else {
        p.stripBytes = 300000 + rng() % 10000;
    }
    p.software = rng() % 2 == 0;
    return p;
}

bool WriteFile(const std::string& path, const Bytes& data) {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    const bool ok = std::fwrite(data.data(), 1, data.size(), f) == data.size();
    return std::fclose(f) == 0 && ok;
}

bool WritePng(const std::string& path, uint32_t w, uint32_t h, bool gray, std::mt19937& rng) {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!info || setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        std::fclose(f);
        return false;
    }
    png_init_io(png, f);
    const int channels = gray ? 1 : 3;
    png_set_IHDR(png, info, w, h, 8, gray ? PNG_COLOR_TYPE_GRAY : PNG_COLOR_TYPE_RGB,
                 PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    if (rng() % 2) png_set_pHYs(png, info, 3780 + rng() % 12000, 3780, PNG_RESOLUTION_METER);
    png_write_info(png, info);
    std::vector<png_byte> row(w * channels);
    for (uint32_t y = 0; y < h; ++y) {
        for (uint32_t x = 0; x < row.size(); ++x)
            row[x] = static_cast<png_byte>((x * 7 + y * 3) ^ (y >> 2));
        png_write_row(png, row.data());
    }
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return std::fclose(f) == 0;
}

unsigned PickDensity(std::mt19937& rng) {
    static const unsigned values[] = {72, 96, 150, 300, 400};
    return values[rng() % 5];
}

bool WriteJpeg(const std::string& path, uint32_t w, uint32_t h, bool gray, std::mt19937& rng) {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    jpeg_compress_struct c;
    jpeg_error_mgr err;
    c.err = jpeg_std_error(&err);
    jpeg_create_compress(&c);
    jpeg_stdio_dest(&c, f);
    c.image_width = w;
    c.image_height = h;
    c.input_components = gray ? 1 : 3;
    c.in_color_space = gray ? JCS_GRAYSCALE : JCS_RGB;
    jpeg_set_defaults(&c);
    jpeg_set_quality(&c, 75, TRUE);
    c.density_unit = 1;
    c.X_density = c.Y_density = static_cast<UINT16>(PickDensity(rng));
    jpeg_start_compress(&c, TRUE);
    std::vector<JSAMPLE> row(w * c.input_components);
    while (c.next_scanline < h) {
        for (size_t x = 0; x < row.size(); ++x) row[x] = static_cast<JSAMPLE>(x + c.next_scanline);
        JSAMPROW r = row.data();
        jpeg_write_scanlines(&c, &r, 1);
    }
    jpeg_finish_compress(&c);
    jpeg_destroy_compress(&c);
    return std::fclose(f) == 0;
}

Bytes MakeBmp(uint32_t w, uint32_t h) {
    const uint32_t stride = (w * 3 + 3) & ~3u;
    const uint32_t dataSize = stride * h;
    Writer b(false);
    b.U8('B'), b.U8('M');
    b.U32(54 + dataSize), b.U32(0), b.U32(54);
    b.U32(40), b.U32(w), b.U32(h), b.U16(1), b.U16(24), b.U32(0), b.U32(dataSize);
    b.U32(3780), b.U32(3780), b.U32(0), b.U32(0);
    for (uint32_t i = 0; i < dataSize; ++i) b.U8(static_cast<uint8_t>(i * 31));
    return std::move(b.Data());
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2 || argc > 5) {
        std::cerr << "usage: make_check_corpus FOLDER [COUNT] [TIFF-LIST] [TIFF-PERCENT]\n";
        return 2;
    }
    long tiffPercent = 70;
    if (argc == 5) {
        char* end = nullptr;
        tiffPercent = std::strtol(argv[4], &end, 10);
        if (*end || tiffPercent < 0 || tiffPercent > 100) {
            std::cerr << "make_check_corpus: TIFF-PERCENT must be a whole number from 0 to 100\n";
            return 2;
        }
    }
    const std::string folder = argv[1];
    long count = 10000;
    if (argc >= 3) {
        char* end = nullptr;
        errno = 0;
        count = std::strtol(argv[2], &end, 10);
        if (errno || *end || count < 1 || count > 10000000) {
            std::cerr << "make_check_corpus: COUNT must be a whole number from 1 to 10000000\n";
            return 2;
        }
    }
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);
    if (ec) {
        std::cerr << "make_check_corpus: " << folder << ": " << ec.message() << "\n";
        return 1;
    }
    std::ofstream list;
    if (argc >= 4 && *argv[3]) {
        list.open(argv[3]);
        if (!list) {
            std::cerr << "make_check_corpus: cannot write " << argv[3] << "\n";
            return 1;
        }
    }
    static const char* const kinds[] = {"tatemono", "sokuryouzu", "tiekiken", "zumen", "Tatemono"};
    std::mt19937 rng(20210226);
    for (long i = 0; i < count; ++i) {
        uint32_t kind = rng() % 10;
        // Another share of TIFFs draws again; the default keeps the files it always made.
        if (tiffPercent != 70) kind = rng() % 100 < uint32_t(tiffPercent) ? 0 : 7 + rng() % 3;
        char number[16];
        std::snprintf(number, sizeof number, "%05ld", i);
        std::string name;
        bool ok = false;
        if (kind < 7) {
            // TIFF: mostly drawing names; a few with other names or extensions.
            const uint32_t n = rng() % 20;
            name = std::string(kinds[n < 16 ? n % 3 : 3 + n % 2]) + number +
                   (n == 19   ? ".TIF"
                    : n == 18 ? ".tiff"
                              : ".tif");
            std::vector<Page> pages;
            const uint32_t pageCount = rng() % 10 < 8 ? 1 : 2 + rng() % 2;
            for (uint32_t p = 0; p < pageCount; ++p) pages.push_back(RandomPage(rng));
            ok = WriteFile(folder + "/" + name, MakeTiff(rng() % 3 == 0, pages, rng));
            if (ok && list.is_open()) list << name << '\n';
        } else if (kind == 7) {
            name = std::string("plan") + number + ".png";
            ok = WritePng(folder + "/" + name, 8 + rng() % 120, 8 + rng() % 90, rng() % 2, rng);
        } else if (kind == 8) {
            name = std::string("photo") + number + (rng() % 4 ? ".jpg" : ".jpeg");
            ok = WriteJpeg(folder + "/" + name, 8 + rng() % 120, 8 + rng() % 90, rng() % 2, rng);
        } else {
            name = std::string("scan") + number + ".bmp";
            ok = WriteFile(folder + "/" + name, MakeBmp(4 + rng() % 60, 4 + rng() % 60));
        }
        if (!ok) {
            std::cerr << "make_check_corpus: cannot write " << folder << "/" << name << "\n";
            return 1;
        }
    }
    return 0;
}
