// GIF through giflib: the first image only, read record by record (never the whole
// animation), with the transparent colour of its graphic control block and interlaced
// rows put back in order. The frame is the first image's own rectangle, as the imaging
// component gives it.

#include <gif_lib.h>

#include <cstring>
#include <memory>

#include "platform/GifHandle.h"
#include "platform/ImageDecoderParts.h"

namespace vellumo::decode {

namespace {

struct Cursor {
    const ByteSource* source;
    uint64_t pos;
};

int OnRead(GifFileType* gif, GifByteType* out, int len) {
    auto* cursor = static_cast<Cursor*>(gif->UserData);
    if (len <= 0) return 0;
    try {
        const size_t got = cursor->source->ReadAt(cursor->pos, out, size_t(len));
        cursor->pos += got;
        return int(got);
    } catch (...) {  // no exception may cross giflib's frames
        return 0;
    }
}

[[noreturn]] void FailGif(int code) {
    const char* text = GifErrorString(code);
    Fail(std::string("GIF を読み込めません（") + (text ? text : "不明な誤り") + "）");
}

}  // namespace

Frame DecodeGif(const ByteSource& source, Target target, const DecodeLimits& limits) {
    Frame frame;
    frame.pixelFormatName = "8bppIndexed";
    if (target == Target::OneBitIndexed) FailNotOneBitIndexed(frame.pixelFormatName);

    Cursor cursor{&source, 0};
    int error = 0;
    GifOwner gif(DGifOpen(&cursor, OnRead, &error));
    if (!gif) FailGif(error);

    int transparent = -1;
    for (;;) {
        GifRecordType type = UNDEFINED_RECORD_TYPE;
        if (DGifGetRecordType(gif.get(), &type) == GIF_ERROR) FailGif(gif->Error);
        if (type == IMAGE_DESC_RECORD_TYPE) break;
        if (type == TERMINATE_RECORD_TYPE) Fail("GIF に画像がありません");
        if (type != EXTENSION_RECORD_TYPE) continue;
        int code = 0;
        GifByteType* block = nullptr;
        if (DGifGetExtension(gif.get(), &code, &block) == GIF_ERROR) FailGif(gif->Error);
        // Only the control block just before the first image counts.
        if (code == GRAPHICS_EXT_FUNC_CODE && block != nullptr && block[0] >= 4)
            transparent = (block[1] & 1) ? block[4] : -1;
        while (block != nullptr) {
            if (DGifGetExtensionNext(gif.get(), &block) == GIF_ERROR) FailGif(gif->Error);
        }
    }
    if (DGifGetImageDesc(gif.get()) == GIF_ERROR) FailGif(gif->Error);
    const GifImageDesc& desc = gif->Image;
    if (desc.Width <= 0 || desc.Height <= 0) Fail("GIF の画像の大きさが不正です");
    const uint32_t width = uint32_t(desc.Width), height = uint32_t(desc.Height);
    CheckSize(width, height, limits);
    // A code of at least 3 bits stands for at most 4096 pixels.
    if (uint64_t(width) * height / 11000 > source.Size())
        Fail("GIF の画像データがファイルに足りません");

    uint32_t colors[256];
    for (uint32_t& c : colors) c = Bgra(0, 0, 0);
    const ColorMapObject* map = desc.ColorMap != nullptr ? desc.ColorMap : gif->SColorMap;
    if (map != nullptr) {
        for (int i = 0; i < map->ColorCount && i < 256; ++i) {
            const GifColorType& c = map->Colors[i];
            colors[i] = Bgra(c.Red, c.Green, c.Blue);
        }
    }
    if (transparent >= 0) colors[transparent] &= 0x00FFFFFFu;  // its colour stays, opacity 0
    const IndexedExpander expander(8, colors);

    frame.picture = Bitmap(width, height, PixelFormat::Bit32);
    std::vector<GifPixelType> line(width);
    auto readInto = [&](uint32_t y) {
        if (DGifGetLine(gif.get(), line.data(), int(width)) == GIF_ERROR) FailGif(gif->Error);
        expander.Expand(line.data(), frame.picture.Row(y), width);
    };
    if (desc.Interlace) {
        static constexpr uint32_t kStart[] = {0, 4, 2, 1}, kStep[] = {8, 8, 4, 2};
        for (int pass = 0; pass < 4; ++pass) {
            for (uint32_t y = kStart[pass]; y < height; y += kStep[pass]) readInto(y);
        }
    } else {
        for (uint32_t y = 0; y < height; ++y) readInto(y);
    }
    return frame;
}

}  // namespace vellumo::decode
