#include "save/JpegWriter.h"

#include <csetjmp>
#include <cstddef>
#include <cstdio>
#include <vector>

#include "platform/AtomicFile.h"
#include "platform/Error.h"
#include "platform/JpegHandle.h"
#include "platform/JpegLib.h"
#include "platform/RowUnpack.h"

namespace vellumo {

namespace {

// libjpeg's frames are C: an error leaves them by longjmp only, with its text kept.
[[noreturn]] void JpegErrorExit(j_common_ptr info) {
    auto* errors = static_cast<JpegErrors*>(info->err);
    errors->format_message(info, errors->message);
    std::longjmp(errors->jump, 1);
}
void JpegSilent(j_common_ptr) {}

/// Encodes into `stream`; false after a libjpeg error, with its message in the owner.
bool EncodeJpeg(JpegWriteOwner& owner, std::FILE* stream, const Bitmap& picture, int quality,
                bool gray, const RowUnpacker& rgb, std::vector<uint8_t>& row,
                const WriteProgress& progress) {
    owner.info.err = jpeg_std_error(&owner.errors);
    owner.errors.error_exit = JpegErrorExit;
    owner.errors.output_message = JpegSilent;
    // Every C++ object of this encoding lives above this line.
    if (setjmp(owner.errors.jump)) return false;

    jpeg_compress_struct& info = owner.info;
    jpeg_create_compress(&info);
    jpeg_stdio_dest(&info, stream);
    info.image_width = picture.Width();
    info.image_height = picture.Height();
    info.input_components = 3;
    info.in_color_space = JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, quality, TRUE);
    if (gray) jpeg_set_colorspace(&info, JCS_GRAYSCALE);
    jpeg_start_compress(&info, TRUE);
    JSAMPROW rows[1] = {row.data()};
    while (info.next_scanline < info.image_height) {
        rgb.Unpack(info.next_scanline, row.data());
        jpeg_write_scanlines(&info, rows, 1);
        if (progress && info.next_scanline % 64 == 0)
            progress(double(info.next_scanline) / info.image_height);
    }
    jpeg_finish_compress(&info);
    return true;
}

}  // namespace

void WriteJpeg(const Bitmap& picture, const std::string& path, int quality, bool gray,
               const WriteProgress& progress) {
    if (picture.Empty()) throw Error("画像が空です");
    if (quality < 1 || quality > 100) throw Error("JPEG の品質が不正です");
    // JPEG holds at most 65500 pixels a side; libjpeg refuses more with its own message.
    const RowUnpacker rgb(picture, ChannelOrder::Rgb);
    std::vector<uint8_t> row(size_t(picture.Width()) * 3);
    AtomicFile file(path);
    std::FILE* stream = file.Stream();
    JpegWriteOwner owner;
    if (!EncodeJpeg(owner, stream, picture, quality, gray, rgb, row, progress))
        throw Error(owner.errors.message[0] ? owner.errors.message
                                            : "JPEG の書き込みに失敗しました");
    file.Commit();
}

}  // namespace vellumo
