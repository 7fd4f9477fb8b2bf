#include "save/PngWriter.h"

#include <png.h>

#include <algorithm>
#include <cmath>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <vector>

#include "platform/AtomicFile.h"
#include "platform/Error.h"
#include "save/RgbRows.h"

namespace vellumo {

namespace {

constexpr double kInchesPerMetre = 0.0254;

/// Owns the libpng write structures and keeps the message of the error that ended them.
struct PngWriteOwner {
    png_structp png = nullptr;
    png_infop info = nullptr;
    char message[256] = {};
    PngWriteOwner() = default;
    PngWriteOwner(const PngWriteOwner&) = delete;
    PngWriteOwner& operator=(const PngWriteOwner&) = delete;
    ~PngWriteOwner() {
        if (png != nullptr) png_destroy_write_struct(&png, info != nullptr ? &info : nullptr);
    }
};

// libpng's frames are C: an error leaves them by longjmp only. The message is copied into
// a fixed buffer, since nothing here may allocate or throw.
[[noreturn]] void PngError(png_structp png, png_const_charp message) {
    auto* owner = static_cast<PngWriteOwner*>(png_get_error_ptr(png));
    std::snprintf(owner->message, sizeof owner->message, "%s", message ? message : "");
    png_longjmp(png, 1);
}
void PngWarning(png_structp, png_const_charp) {}

/// Everything the encoding needs, prepared before libpng starts so that no C++ object is
/// created between setjmp and the end of the encoding.
struct PngPlan {
    int colorType = PNG_COLOR_TYPE_RGB;
    int bitDepth = 8;
    int level = 5;
    int filters = PNG_ALL_FILTERS;
    bool bgr = false;         // rows are in blue, green, red order: libpng swaps them
    bool rgbRows = false;     // rows come through the RGB row reader (15 and 16 bits)
    bool opaqueAlpha = false; // 32 bits without alpha: the fourth byte is written as 255
    std::vector<png_color> palette;
    std::vector<uint8_t> row;  // scratch row for the two cases above
    std::optional<double> dpi;
};

/// The number of palette entries a 1-, 4- or 8-bit picture needs: its colour table, or more
/// when some pixel's index lies past the table's end.
unsigned PaletteEntries(const Bitmap& picture) {
    const unsigned full = 1u << picture.Bits();
    const unsigned have = static_cast<unsigned>(std::min<size_t>(picture.Palette().size(), full));
    if (have == full) return full;
    unsigned maxIndex = 0;
    for (uint32_t y = 0; y < picture.Height() && maxIndex + 1 < full; ++y) {
        if (picture.Format() == PixelFormat::Bit8) {
            const uint8_t* s = picture.Row(y);
            maxIndex = std::max<unsigned>(maxIndex, *std::max_element(s, s + picture.Width()));
        } else {
            for (uint32_t x = 0; x < picture.Width(); ++x)
                maxIndex = std::max<unsigned>(maxIndex, picture.PixelIndex(x, y));
        }
    }
    return std::max(have, maxIndex + 1);
}

PngPlan MakePlan(const Bitmap& picture, std::optional<double> dpi) {
    PngPlan plan;
    plan.dpi = dpi;
    switch (picture.Format()) {
    case PixelFormat::Bit32:
        plan.colorType = PNG_COLOR_TYPE_RGB_ALPHA;
        plan.level = 7;
        plan.filters = PNG_FILTER_SUB;
        plan.bgr = true;
        plan.opaqueAlpha = !picture.HasAlpha();
        if (plan.opaqueAlpha) plan.row.resize(size_t(picture.Width()) * 4);
        break;
    case PixelFormat::Bit1:
    case PixelFormat::Bit4:
    case PixelFormat::Bit8: {
        plan.colorType = PNG_COLOR_TYPE_PALETTE;
        plan.bitDepth = picture.Bits();
        const unsigned entries = PaletteEntries(picture);
        for (unsigned i = 0; i < entries; ++i) {
            const RgbQuad c = PaletteColor(picture.Palette(), i);
            plan.palette.push_back(png_color{c.r, c.g, c.b});
        }
        break;
    }
    case PixelFormat::Bit24: plan.bgr = true; break;
    default:
        plan.rgbRows = true;
        plan.row.resize(size_t(picture.Width()) * 3);
        break;
    }
    return plan;
}

/// Encodes the picture into `stream`; false after a libpng error, with its message kept in
/// `owner`.
bool EncodePng(PngWriteOwner& owner, std::FILE* stream, const Bitmap& picture, PngPlan& plan,
               const RgbRowReader& rgb) {
    owner.png = png_create_write_struct(PNG_LIBPNG_VER_STRING, &owner, PngError, PngWarning);
    if (owner.png == nullptr) return false;
    owner.info = png_create_info_struct(owner.png);
    if (owner.info == nullptr) return false;
    // Every C++ object of this encoding lives above this line.
    if (setjmp(png_jmpbuf(owner.png))) return false;

    png_structp png = owner.png;
    png_infop info = owner.info;
    png_init_io(png, stream);
    // The output buffer is the size of one data chunk: no chunk exceeds 65535 bytes.
    png_set_compression_buffer_size(png, 65535);
    png_set_compression_level(png, plan.level);
    png_set_filter(png, PNG_FILTER_TYPE_BASE, plan.filters);
    png_set_IHDR(png, info, picture.Width(), picture.Height(), plan.bitDepth, plan.colorType,
                 PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_BASE, PNG_FILTER_TYPE_BASE);
    if (!plan.palette.empty())
        png_set_PLTE(png, info, plan.palette.data(), static_cast<int>(plan.palette.size()));
    if (plan.dpi) {
        const auto ppm = static_cast<png_uint_32>(std::lround(*plan.dpi / kInchesPerMetre));
        png_set_pHYs(png, info, ppm, ppm, PNG_RESOLUTION_METER);
    }
    png_write_info(png, info);
    if (plan.bgr) png_set_bgr(png);

    for (uint32_t y = 0; y < picture.Height(); ++y) {
        const uint8_t* source = picture.Row(y);
        if (plan.opaqueAlpha) {
            std::memcpy(plan.row.data(), source, plan.row.size());
            for (size_t i = 3; i < plan.row.size(); i += 4) plan.row[i] = 255;
            source = plan.row.data();
        } else if (plan.rgbRows) {
            rgb.Read(y, plan.row.data());
            source = plan.row.data();
        }
        png_write_row(png, source);
    }
    png_write_end(png, info);
    return true;
}

}  // namespace

void WritePng(const Bitmap& picture, const std::string& path, std::optional<double> dpi) {
    if (picture.Empty()) throw Error("画像が空です");
    if (dpi && !(std::isfinite(*dpi) && *dpi > 0.0 && *dpi / kInchesPerMetre < 2147483647.0))
        throw Error("解像度が不正です");
    PngPlan plan = MakePlan(picture, dpi);
    const RgbRowReader rgb(picture);
    AtomicFile file(path);
    std::FILE* stream = file.Stream();
    PngWriteOwner owner;
    if (!EncodePng(owner, stream, picture, plan, rgb))
        throw Error(owner.message[0] ? owner.message : "PNG の書き込みに失敗しました");
    file.Commit();
}

}  // namespace vellumo
