#include "SaveTestSupport.h"

#include <png.h>
#include <zlib.h>

#include <algorithm>
#include <csetjmp>
#include <cstddef>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "platform/JpegLib.h"

namespace vellumo::test {

Bitmap Pattern(PixelFormat format, uint32_t width, uint32_t height, uint32_t seed) {
    Bitmap b(width, height, format);
    uint32_t state = seed * 2654435761u + 1;
    auto next = [&] {
        state ^= state << 13, state ^= state >> 17, state ^= state << 5;
        return state;
    };
    const int bits = b.Bits();
    if (bits <= 8) {
        const unsigned entries = 1u << bits;
        if (bits == 1) {
            b.Palette() = {RgbQuad{0, 0, 0, 0}, RgbQuad{255, 255, 255, 0}};
        } else {
            for (unsigned i = 0; i < entries; ++i)
                b.Palette().push_back(
                    RgbQuad{uint8_t(i * 7), uint8_t(255 - i), uint8_t(i * 13 + 5), 0});
        }
        for (uint32_t y = 0; y < height; ++y)
            for (uint32_t x = 0; x < width; ++x) b.SetPixelIndex(x, y, uint8_t(next() % entries));
    } else {
        const size_t used = (size_t(width) * bits + 7) / 8;
        for (uint32_t y = 0; y < height; ++y) {
            uint8_t* row = b.Row(y);
            for (size_t i = 0; i < used; ++i) row[i] = uint8_t(next() >> 7);
        }
    }
    return b;
}

std::vector<std::string> FolderEntries(const std::string& folder) {
    std::vector<std::string> names;
    std::error_code ec;
    for (const auto& e : std::filesystem::directory_iterator(folder, ec))
        names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

std::string RunCommand(const std::string& command, int* status) {
    std::string out;
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) {
        if (status) *status = -1;
        return out;
    }
    char buffer[4096];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) out.append(buffer, n);
    const int rc = pclose(pipe);
    if (status) *status = rc;
    return out;
}

std::string ShellQuoted(const std::string& text) {
    std::string q = "'";
    for (char c : text) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return q + "'";
}

// ---------------------------------------------------------------------------------------
// PNG

namespace {

uint32_t Be32(const uint8_t* p) { return uint32_t(p[0]) << 24 | p[1] << 16 | p[2] << 8 | p[3]; }

[[noreturn]] void PngFail(png_structp png, png_const_charp) { png_longjmp(png, 1); }
void PngQuiet(png_structp, png_const_charp) {}

struct PngReader {
    png_structp png = nullptr;
    png_infop info = nullptr;
    ~PngReader() { png_destroy_read_struct(&png, info ? &info : nullptr, nullptr); }
};

bool ReadWithLibpng(FILE* file, PngFile& out, PngReader& r) {
    r.png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, PngFail, PngQuiet);
    r.info = png_create_info_struct(r.png);
    if (setjmp(png_jmpbuf(r.png))) return false;
    png_init_io(r.png, file);
    png_read_info(r.png, r.info);
    out.width = png_get_image_width(r.png, r.info);
    out.height = png_get_image_height(r.png, r.info);
    out.colorType = png_get_color_type(r.png, r.info);
    out.bitDepth = png_get_bit_depth(r.png, r.info);
    out.interlace = png_get_interlace_type(r.png, r.info);
    png_colorp palette = nullptr;
    int entries = 0;
    if (png_get_PLTE(r.png, r.info, &palette, &entries))
        for (int i = 0; i < entries; ++i)
            out.palette.push_back(RgbQuad{palette[i].blue, palette[i].green, palette[i].red, 0});
    png_uint_32 px = 0, py = 0;
    int unit = 0;
    if (png_get_pHYs(r.png, r.info, &px, &py, &unit) && unit == PNG_RESOLUTION_METER)
        out.physPerMetre = std::make_pair(uint32_t(px), uint32_t(py));
    const size_t rowBytes = png_get_rowbytes(r.png, r.info);
    out.rows.assign(out.height, std::vector<uint8_t>(rowBytes));
    for (auto& row : out.rows) png_read_row(r.png, row.data(), nullptr);
    png_read_end(r.png, nullptr);
    return true;
}

}  // namespace

PngFile ReadPngFile(const std::string& path) {
    PngFile out;
    FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) return out;
    {
        PngReader reader;
        out.ok = ReadWithLibpng(file, out, reader);
    }
    std::fclose(file);
    if (!out.ok) return out;

    // The chunk layout and the image data, from the bytes themselves.
    const std::vector<uint8_t> bytes = ReadAll(path);
    std::vector<uint8_t> idat;
    for (size_t at = 8; at + 12 <= bytes.size();) {
        const uint32_t len = Be32(&bytes[at]);
        const std::string type(reinterpret_cast<const char*>(&bytes[at + 4]), 4);
        out.chunks.emplace_back(type, len);
        if (type == "IDAT" && at + 8 + len <= bytes.size())
            idat.insert(idat.end(), bytes.begin() + at + 8, bytes.begin() + at + 8 + len);
        at += 12 + size_t(len);
    }
    if (idat.size() >= 2) out.zlibFlags = idat[1];
    const size_t rowBytes = out.rows.empty() ? 0 : out.rows[0].size();
    std::vector<uint8_t> raw((rowBytes + 1) * out.height);
    uLongf rawSize = raw.size();
    if (uncompress(raw.data(), &rawSize, idat.data(), idat.size()) != Z_OK) out.ok = false;
    for (uint32_t y = 0; y < out.height && out.ok; ++y)
        out.filters.push_back(raw[y * (rowBytes + 1)]);
    return out;
}

// ---------------------------------------------------------------------------------------
// JPEG

namespace {

struct JpegErrors : jpeg_error_mgr {
    std::jmp_buf jump;
};
[[noreturn]] void JpegFail(j_common_ptr info) {
    std::longjmp(static_cast<JpegErrors*>(info->err)->jump, 1);
}
void JpegQuiet(j_common_ptr) {}

struct JpegReader {
    jpeg_decompress_struct info{};
    JpegErrors errors{};
    ~JpegReader() { jpeg_destroy_decompress(&info); }
};

bool ReadWithLibjpeg(FILE* file, JpegFile& out, JpegReader& r) {
    r.info.err = jpeg_std_error(&r.errors);
    r.errors.error_exit = JpegFail;
    r.errors.output_message = JpegQuiet;
    if (setjmp(r.errors.jump)) return false;
    jpeg_create_decompress(&r.info);
    jpeg_stdio_src(&r.info, file);
    jpeg_read_header(&r.info, TRUE);
    out.width = r.info.image_width;
    out.height = r.info.image_height;
    out.components = r.info.num_components;
    out.jfif = r.info.saw_JFIF_marker;
    out.densityUnit = r.info.density_unit;
    out.xDensity = r.info.X_density;
    out.yDensity = r.info.Y_density;
    out.progressive = r.info.progressive_mode;
    if (r.info.quant_tbl_ptrs[0])
        out.lumaTable.assign(r.info.quant_tbl_ptrs[0]->quantval,
                             r.info.quant_tbl_ptrs[0]->quantval + 64);
    jpeg_start_decompress(&r.info);
    const size_t rowBytes = size_t(out.width) * r.info.output_components;
    out.pixels.resize(rowBytes * out.height);
    while (r.info.output_scanline < r.info.output_height) {
        JSAMPROW row = out.pixels.data() + r.info.output_scanline * rowBytes;
        jpeg_read_scanlines(&r.info, &row, 1);
    }
    jpeg_finish_decompress(&r.info);
    return true;
}

}  // namespace

JpegFile ReadJpegFile(const std::string& path) {
    JpegFile out;
    FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) return out;
    {
        JpegReader reader;
        out.ok = ReadWithLibjpeg(file, out, reader);
    }
    std::fclose(file);
    return out;
}

testing::AssertionResult SameColours(const Bitmap& a, const Bitmap& b) {
    if (a.Width() != b.Width() || a.Height() != b.Height())
        return testing::AssertionFailure() << "sizes differ: " << a.Width() << "x" << a.Height()
                                           << " against " << b.Width() << "x" << b.Height();
    for (uint32_t y = 0; y < a.Height(); ++y)
        for (uint32_t x = 0; x < a.Width(); ++x) {
            RgbQuad ca = a.PixelColor(x, y), cb = b.PixelColor(x, y);
            ca.reserved = cb.reserved = 0;
            if (!(ca == cb))
                return testing::AssertionFailure()
                       << "pixel (" << x << ", " << y << ") is " << int(ca.r) << "," << int(ca.g)
                       << "," << int(ca.b) << " against " << int(cb.r) << "," << int(cb.g) << ","
                       << int(cb.b);
        }
    return testing::AssertionSuccess();
}

}  // namespace vellumo::test
