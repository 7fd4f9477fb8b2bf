#include "DecoderTestFiles.h"

#include <gif_lib.h>
#include <png.h>
#include <tiffio.h>

#include <cstddef>
#include <cstdio>
#include <cstring>
#include <stdexcept>

#include "platform/JpegLib.h"
#include "support/TempDir.h"

namespace vellumo::test {

::testing::AssertionResult SamePixels(const Bitmap& picture,
                                      const std::function<uint32_t(uint32_t, uint32_t)>& expected) {
    if (picture.Format() != PixelFormat::Bit32)
        return ::testing::AssertionFailure() << "the picture is not 32-bit";
    for (uint32_t y = 0; y < picture.Height(); ++y) {
        const uint8_t* row = picture.Row(y);
        for (uint32_t x = 0; x < picture.Width(); ++x) {
            uint32_t got;
            std::memcpy(&got, row + 4 * size_t(x), 4);
            const uint32_t want = expected(x, y);
            if (got != want) {
                char text[160];
                std::snprintf(text, sizeof text,
                              "pixel (%u, %u) is ARGB %08X, expected %08X (picture %u x %u)", x, y,
                              got, want, picture.Width(), picture.Height());
                return ::testing::AssertionFailure() << text;
            }
        }
    }
    return ::testing::AssertionSuccess();
}

std::vector<uint8_t> PatternRows(uint32_t rowBytes, uint32_t rows, uint32_t seed) {
    std::vector<uint8_t> out(size_t(rowBytes) * rows);
    uint32_t v = seed * 2654435761u;
    for (size_t i = 0; i < out.size(); ++i) {
        v = v * 1664525u + 1013904223u;
        out[i] = uint8_t(v >> 24);
    }
    return out;
}

FileBytes TiffFile(const TiffSpec& s, const std::vector<uint8_t>& rows) {
    TempDir dir;
    const std::string path = dir.File("t.tif");
    TIFF* tif = TIFFOpen(path.c_str(), "w");
    if (!tif) throw std::runtime_error("TIFFOpen");
    TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, s.width);
    TIFFSetField(tif, TIFFTAG_IMAGELENGTH, s.height);
    TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, s.bits);
    TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, s.samples);
    TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, s.photometric);
    TIFFSetField(tif, TIFFTAG_COMPRESSION, s.compression);
    TIFFSetField(tif, TIFFTAG_PLANARCONFIG,
                 s.separate ? PLANARCONFIG_SEPARATE : PLANARCONFIG_CONTIG);
    if (!s.extraSamples.empty())
        TIFFSetField(tif, TIFFTAG_EXTRASAMPLES, uint16_t(s.extraSamples.size()),
                     s.extraSamples.data());
    if (!s.colorMap.empty()) {
        const size_t n = size_t(1) << s.bits;
        std::vector<uint16_t> map = s.colorMap;
        TIFFSetField(tif, TIFFTAG_COLORMAP, map.data(), map.data() + n, map.data() + 2 * n);
    }
    if (s.compression == COMPRESSION_JPEG) {
        TIFFSetField(tif, TIFFTAG_JPEGQUALITY, int(s.jpegQuality ? s.jpegQuality : 100));
        if (s.photometric == PHOTOMETRIC_YCBCR)
            TIFFSetField(tif, TIFFTAG_JPEGCOLORMODE, JPEGCOLORMODE_RGB);
    }
    const size_t planes = s.separate ? s.samples : 1;
    const size_t rowBytes = (size_t(s.width) * s.bits * (s.separate ? 1 : s.samples) + 7) / 8;
    if (s.tileSize != 0) {
        TIFFSetField(tif, TIFFTAG_TILEWIDTH, s.tileSize);
        TIFFSetField(tif, TIFFTAG_TILELENGTH, s.tileSize);
        const size_t tileRow = (size_t(s.tileSize) * s.bits * s.samples + 7) / 8;
        std::vector<uint8_t> tile(tileRow * s.tileSize);
        for (uint32_t ty = 0; ty < s.height; ty += s.tileSize) {
            for (uint32_t tx = 0; tx < s.width; tx += s.tileSize) {
                std::fill(tile.begin(), tile.end(), 0);
                const size_t bitX =
                    size_t(tx) * s.bits * s.samples;  // whole bytes: tiles are 16k wide
                for (uint32_t i = 0; i < s.tileSize && ty + i < s.height; ++i) {
                    const size_t len = std::min(tileRow, rowBytes - bitX / 8);
                    std::memcpy(tile.data() + i * tileRow,
                                rows.data() + (ty + i) * rowBytes + bitX / 8, len);
                }
                if (TIFFWriteTile(tif, tile.data(), tx, ty, 0, 0) < 0)
                    throw std::runtime_error("tile");
            }
        }
    } else {
        TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP,
                     s.rowsPerStrip ? s.rowsPerStrip : TIFFDefaultStripSize(tif, 0));
        std::vector<uint8_t> line(rowBytes);
        for (size_t p = 0; p < planes; ++p) {
            for (uint32_t y = 0; y < s.height; ++y) {
                std::memcpy(line.data(), rows.data() + (size_t(y) * planes + p) * rowBytes,
                            rowBytes);
                if (TIFFWriteScanline(tif, line.data(), y, uint16_t(p)) < 0)
                    throw std::runtime_error("scanline");
            }
        }
    }
    TIFFClose(tif);
    return ReadAll(path);
}

namespace {

void PngWrite(png_structp png, png_bytep data, size_t len) {
    auto* out = static_cast<FileBytes*>(png_get_io_ptr(png));
    out->insert(out->end(), data, data + len);
}
void PngFlush(png_structp) {}

}  // namespace

FileBytes PngFile(const PngSpec& s, const std::vector<uint8_t>& rows) {
    FileBytes out;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        throw std::runtime_error("png write");
    }
    png_set_write_fn(png, &out, PngWrite, PngFlush);
    png_set_IHDR(png, info, s.width, s.height, s.depth, s.colorType,
                 s.interlace ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    std::vector<png_color> palette;
    for (size_t i = 0; i + 2 < s.palette.size(); i += 3)
        palette.push_back(png_color{s.palette[i], s.palette[i + 1], s.palette[i + 2]});
    if (!palette.empty()) png_set_PLTE(png, info, palette.data(), int(palette.size()));
    png_color_16 value{};
    if (!s.trns.empty()) {
        if (s.colorType == PNG_COLOR_TYPE_PALETTE) {
            png_set_tRNS(png, info, s.trns.data(), int(s.trns.size()), nullptr);
        } else {
            auto word = [&](size_t i) { return uint16_t((s.trns[i] << 8) | s.trns[i + 1]); };
            if (s.colorType == PNG_COLOR_TYPE_GRAY)
                value.gray = word(0);
            else
                value.red = word(0), value.green = word(2), value.blue = word(4);
            png_set_tRNS(png, info, nullptr, 0, &value);
        }
    }
    png_write_info(png, info);
    const size_t rowBytes = png_get_rowbytes(png, info);
    const int passes = png_set_interlace_handling(png);
    for (int pass = 0; pass < passes; ++pass) {
        for (uint32_t y = 0; y < s.height; ++y)
            png_write_row(png, const_cast<png_bytep>(rows.data() + y * rowBytes));
    }
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    return out;
}

FileBytes JpegFile(uint32_t width, uint32_t height, int components,
                   const std::vector<uint8_t>& pixels, int quality, bool progressive) {
    jpeg_compress_struct c{};
    jpeg_error_mgr err{};
    c.err = jpeg_std_error(&err);
    jpeg_create_compress(&c);
    unsigned char* mem = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&c, &mem, &size);
    c.image_width = width;
    c.image_height = height;
    c.input_components = components;
    c.in_color_space = components == 1 ? JCS_GRAYSCALE : components == 3 ? JCS_RGB : JCS_CMYK;
    jpeg_set_defaults(&c);
    jpeg_set_quality(&c, quality, TRUE);
    if (components == 3)
        c.comp_info[0].h_samp_factor = c.comp_info[0].v_samp_factor = 1;  // no chroma blur
    if (progressive) jpeg_simple_progression(&c);
    jpeg_start_compress(&c, TRUE);
    while (c.next_scanline < height) {
        JSAMPROW row =
            const_cast<JSAMPROW>(pixels.data() + size_t(c.next_scanline) * width * components);
        jpeg_write_scanlines(&c, &row, 1);
    }
    jpeg_finish_compress(&c);
    FileBytes out(mem, mem + size);
    jpeg_destroy_compress(&c);
    std::free(mem);
    return out;
}

namespace {

int GifWrite(GifFileType* gif, const GifByteType* data, int len) {
    auto* out = static_cast<FileBytes*>(gif->UserData);
    out->insert(out->end(), data, data + len);
    return len;
}

}  // namespace

FileBytes GifFile(uint32_t width, uint32_t height, const std::vector<uint8_t>& indices,
                  const std::vector<uint8_t>& colorMap, int transparent, bool interlace) {
    FileBytes out;
    int error = 0;
    GifFileType* gif = EGifOpen(&out, GifWrite, &error);
    if (!gif) throw std::runtime_error("EGifOpen");
    std::vector<GifColorType> colors(256);
    for (size_t i = 0; i < 256 && 3 * i + 2 < colorMap.size(); ++i)
        colors[i] = GifColorType{colorMap[3 * i], colorMap[3 * i + 1], colorMap[3 * i + 2]};
    ColorMapObject* map = GifMakeMapObject(256, colors.data());
    EGifSetGifVersion(gif, true);
    EGifPutScreenDesc(gif, int(width), int(height), 8, 0, map);
    if (transparent >= 0) {
        const GifByteType control[4] = {1, 0, 0, GifByteType(transparent)};
        EGifPutExtension(gif, GRAPHICS_EXT_FUNC_CODE, 4, control);
    }
    EGifPutImageDesc(gif, 0, 0, int(width), int(height), interlace, nullptr);
    std::vector<GifPixelType> line(width);
    auto put = [&](uint32_t y) {
        std::memcpy(line.data(), indices.data() + size_t(y) * width, width);
        EGifPutLine(gif, line.data(), int(width));
    };
    if (interlace) {
        static constexpr uint32_t kStart[] = {0, 4, 2, 1}, kStep[] = {8, 8, 4, 2};
        for (int pass = 0; pass < 4; ++pass)
            for (uint32_t y = kStart[pass]; y < height; y += kStep[pass]) put(y);
    } else {
        for (uint32_t y = 0; y < height; ++y) put(y);
    }
    EGifCloseFile(gif, &error);
    GifFreeMapObject(map);
    return out;
}

namespace {

void Le16(FileBytes& b, size_t at, uint32_t v) {
    if (b.size() < at + 2) b.resize(at + 2);
    b[at] = uint8_t(v), b[at + 1] = uint8_t(v >> 8);
}
void Le32(FileBytes& b, size_t at, uint32_t v) {
    Le16(b, at, v & 0xFFFF);
    Le16(b, at + 2, v >> 16);
}

}  // namespace

FileBytes BmpFile(const BmpSpec& s, const std::vector<uint8_t>& data) {
    FileBytes b(14 + s.headerSize, 0);
    b[0] = 'B', b[1] = 'M';
    Le32(b, 14, s.headerSize);
    if (s.headerSize == 12) {
        Le16(b, 18, uint32_t(s.width));
        Le16(b, 20, uint32_t(s.height));
        Le16(b, 22, 1);
        Le16(b, 24, s.bits);
    } else {
        Le32(b, 18, uint32_t(s.width));
        Le32(b, 22, uint32_t(s.height));
        Le16(b, 26, 1);
        Le16(b, 28, s.bits);
        Le32(b, 30, s.compression);
        Le32(b, 38, 3780);  // 96 dpi
        Le32(b, 42, 3780);
        Le32(b, 46, s.colorsUsed);
        for (size_t i = 0; i < s.masks.size(); ++i) {
            const size_t at = 54 + 4 * i;
            if (at + 4 > b.size()) b.resize(at + 4);
            Le32(b, at, s.masks[i]);
        }
    }
    for (size_t i = 0; i + 2 < s.palette.size(); i += 3) {
        b.push_back(s.palette[i]);
        b.push_back(s.palette[i + 1]);
        b.push_back(s.palette[i + 2]);
        if (s.headerSize != 12) b.push_back(0);
    }
    Le32(b, 10, uint32_t(b.size()));
    b.insert(b.end(), data.begin(), data.end());
    Le32(b, 2, uint32_t(b.size()));
    return b;
}

}  // namespace vellumo::test
