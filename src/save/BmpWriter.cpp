#include "save/BmpWriter.h"

#include "platform/AtomicFile.h"
#include "platform/Error.h"

namespace vellumo {

namespace {

constexpr uint32_t kFileHeaderSize = 14;
constexpr uint32_t kInfoHeaderSize = 40;
constexpr uint32_t kBiRgb = 0;
constexpr uint32_t kBiBitfields = 3;

void Put16(std::vector<uint8_t>& out, uint32_t v) {
    out.push_back(uint8_t(v)), out.push_back(uint8_t(v >> 8));
}
void Put32(std::vector<uint8_t>& out, uint32_t v) {
    for (int i = 0; i < 4; ++i) out.push_back(uint8_t(v >> (8 * i)));
}

}  // namespace

std::vector<uint8_t> BmpHeaders(const Bitmap& picture) {
    const int bits = picture.Bits();
    const bool indexed = bits <= 8;
    const bool bitfields = picture.Format() == PixelFormat::Bit16;
    const uint32_t tableBytes = indexed ? (4u << bits) : bitfields ? 12u : 0u;
    const uint32_t offBits = kFileHeaderSize + kInfoHeaderSize + tableBytes;
    const uint64_t imageBytes = uint64_t(picture.Stride()) * picture.Height();

    std::vector<uint8_t> out;
    out.reserve(offBits);
    out.push_back('B'), out.push_back('M');
    Put32(out, uint32_t(offBits + imageBytes));
    Put32(out, 0);  // two reserved words
    Put32(out, offBits);

    Put32(out, kInfoHeaderSize);
    Put32(out, picture.Width());
    Put32(out, picture.Height());
    Put16(out, 1);  // planes
    Put16(out, uint32_t(bits));
    Put32(out, bitfields ? kBiBitfields : kBiRgb);
    Put32(out, uint32_t(imageBytes));
    Put32(out, 0);  // pixels per metre, both ways: none stated
    Put32(out, 0);
    Put32(out, 0);  // colours used: the full table
    Put32(out, 0);  // colours important: all

    if (indexed) {
        for (unsigned i = 0; i < (1u << bits); ++i) {
            const RgbQuad c = PaletteColor(picture.Palette(), i);
            out.push_back(c.b), out.push_back(c.g), out.push_back(c.r), out.push_back(0);
        }
    } else if (bitfields) {
        Put32(out, 0xF800), Put32(out, 0x07E0), Put32(out, 0x001F);
    }
    return out;
}

void WriteBmp(const Bitmap& picture, const std::string& path, const WriteProgress& progress) {
    if (picture.Empty()) throw Error("画像が空です");
    const std::vector<uint8_t> headers = BmpHeaders(picture);
    AtomicFile file(path);
    file.Write(headers.data(), headers.size());
    const uint32_t height = picture.Height();
    for (uint32_t y = height; y-- > 0;) {
        file.Write(picture.Row(y), picture.Stride());
        if (progress && y % 256 == 0) progress(double(height - y) / height);
    }
    file.Commit();
}

}  // namespace vellumo
