// JPEG through libjpeg(-turbo): gray, colour (written straight as BGRA rows) and CMYK/YCCK
// (Adobe files store the inks inverted). libjpeg leaves its frames by longjmp only; each
// function that calls libjpeg sets its own jump point, holds no C++ object that a jump
// could skip, and reports failure by its result, after which the caller throws.

#include <jerror.h>

#include <algorithm>
#include <climits>
#include <csetjmp>
#include <cstddef>
#include <cstdio>
#include <cstring>

#include "platform/ImageDecoderParts.h"
#include "platform/JpegHandle.h"
#include "platform/JpegLib.h"

namespace vellumo::decode {

namespace {

/// Progressive files with more scans than this are refused: each scan walks the whole
/// coefficient buffer, so a small hostile file could keep the decoder busy for minutes.
constexpr int kMaxScans = 1000;
constexpr size_t kChunk = 64 * 1024;

/// The decompressor with the reading position over the file's bytes.
struct JpegReader : JpegReadOwner {
    jpeg_source_mgr sourceManager{};
    jpeg_progress_mgr progress{};
    const ByteSource* source = nullptr;
    uint64_t pos = 0;
    std::vector<uint8_t> buffer;
};

JpegReader& ReaderOf(j_decompress_ptr info) { return *static_cast<JpegReader*>(info->client_data); }

[[noreturn]] void OnErrorExit(j_common_ptr info) {
    auto* errors = static_cast<JpegErrors*>(info->err);
    if (errors->message[0] == '\0') (*info->err->format_message)(info, errors->message);
    std::longjmp(errors->jump, 1);
}

void OnMessage(j_common_ptr) {}  // warnings are not printed

/// Data that ends before the picture does is refused, as a file cut short is: libjpeg would
/// go on to make every missing block grey, however many the header declares.
void OnEmit(j_common_ptr info, int level) {
    if (level < 0 && info->err->msg_code == JWRN_HIT_MARKER) {
        std::snprintf(static_cast<JpegErrors*>(info->err)->message, JMSG_LENGTH_MAX,
                      "画像データが途中で切れています");
        (*info->err->error_exit)(info);
    }
}

void InitSource(j_decompress_ptr) {}

boolean FillInput(j_decompress_ptr info) {
    JpegReader& r = ReaderOf(info);
    size_t got = 0;
    if (r.source->Memory().empty()) {
        try {
            got = r.source->ReadAt(r.pos, r.buffer.data(), r.buffer.size());
        } catch (...) {  // no exception may cross libjpeg's frames
            got = 0;
        }
    }
    if (got == 0) {
        // A file cut short is refused, not shown half grey.
        std::snprintf(r.errors.message, sizeof r.errors.message, "ファイルが途中で切れています");
        (*info->err->error_exit)(reinterpret_cast<j_common_ptr>(info));
    }
    r.pos += got;
    info->src->next_input_byte = r.buffer.data();
    info->src->bytes_in_buffer = got;
    return TRUE;
}

void SkipInput(j_decompress_ptr info, long count) {
    if (count <= 0) return;
    jpeg_source_mgr* src = info->src;
    while (size_t(count) > src->bytes_in_buffer) {
        count -= long(src->bytes_in_buffer);
        FillInput(info);
    }
    src->next_input_byte += count;
    src->bytes_in_buffer -= size_t(count);
}

void TermSource(j_decompress_ptr) {}

void OnProgress(j_common_ptr info) {
    auto* d = reinterpret_cast<j_decompress_ptr>(info);
    if (d->input_scan_number > kMaxScans) {
        std::snprintf(static_cast<JpegErrors*>(info->err)->message, JMSG_LENGTH_MAX,
                      "スキャンが多すぎます");
        (*info->err->error_exit)(info);
    }
}

bool ReadHeader(JpegReader& r, uint64_t memoryLimit) {
    r.info.err = jpeg_std_error(&r.errors);
    r.errors.error_exit = OnErrorExit;
    r.errors.output_message = OnMessage;
    r.errors.emit_message = OnEmit;
    if (setjmp(r.errors.jump)) return false;
    jpeg_create_decompress(&r.info);
    r.info.client_data = &r;
    r.info.mem->max_memory_to_use = long(memoryLimit);
    r.sourceManager.init_source = InitSource;
    r.sourceManager.fill_input_buffer = FillInput;
    r.sourceManager.skip_input_data = SkipInput;
    r.sourceManager.resync_to_restart = jpeg_resync_to_restart;
    r.sourceManager.term_source = TermSource;
    const std::span<const uint8_t> memory = r.source->Memory();
    if (!memory.empty()) {  // the whole file is the one buffer
        r.sourceManager.next_input_byte = memory.data();
        r.sourceManager.bytes_in_buffer = memory.size();
    }
    r.info.src = &r.sourceManager;
    r.progress.progress_monitor = OnProgress;
    r.info.progress = &r.progress;
    jpeg_read_header(&r.info, TRUE);
    return true;
}

bool ReadRows(JpegReader& r, Bitmap& out, uint8_t* scratch, bool cmyk) {
    if (setjmp(r.errors.jump)) return false;
    r.info.out_color_space = cmyk ? JCS_CMYK : JCS_EXT_BGRA;
    jpeg_start_decompress(&r.info);
    if (r.info.output_width != out.Width() || r.info.output_height != out.Height())
        (*r.info.err->error_exit)(reinterpret_cast<j_common_ptr>(&r.info));
    SampleLayout inks;
    inks.kind = SampleLayout::Cmyk;
    inks.samples = 4;
    inks.invert = r.info.saw_Adobe_marker;
    while (r.info.output_scanline < r.info.output_height) {
        const JDIMENSION y = r.info.output_scanline;
        JSAMPROW row = cmyk ? scratch : out.Row(y);
        if (jpeg_read_scanlines(&r.info, &row, 1) != 1)
            (*r.info.err->error_exit)(reinterpret_cast<j_common_ptr>(&r.info));
        if (cmyk) ConvertSamples(inks, scratch, out.Row(y), out.Width());
    }
    return true;
}

[[noreturn]] void FailWith(const JpegReader& r) {
    Fail(std::string("JPEG を読み込めません（") +
         (r.errors.message[0] ? r.errors.message : "不明な誤り") + "）");
}

}  // namespace

Frame DecodeJpeg(const ByteSource& source, Target target, const DecodeLimits& limits) {
    JpegReader reader;
    reader.source = &source;
    if (source.Memory().empty()) reader.buffer.resize(kChunk);
    // libjpeg's own buffers stay within a few times the picture, and never beyond 256 MB: a
    // progressive file keeps every coefficient, and a few bytes of it (runs of empty
    // blocks) can declare billions. That still takes progressive pictures of 40 million
    // pixels and more; baseline ones need no such buffers.
    const uint64_t memoryLimit =
        std::clamp<uint64_t>(limits.maxPixels * 8, uint64_t(64) << 20, uint64_t(256) << 20);
    if (!ReadHeader(reader, std::min<uint64_t>(memoryLimit, uint64_t(LONG_MAX)))) FailWith(reader);
    Frame frame;
    const J_COLOR_SPACE space = reader.info.jpeg_color_space;
    const bool cmyk = space == JCS_CMYK || space == JCS_YCCK;
    frame.pixelFormatName = space == JCS_GRAYSCALE ? "8bppGray" : cmyk ? "32bppCMYK" : "24bppBGR";
    if (target == Target::OneBitIndexed) FailNotOneBitIndexed(frame.pixelFormatName);
    CheckSize(reader.info.image_width, reader.info.image_height, limits);
    frame.picture = Bitmap(reader.info.image_width, reader.info.image_height, PixelFormat::Bit32);
    std::vector<uint8_t> scratch(cmyk ? size_t(reader.info.image_width) * 4 : 0);
    if (!ReadRows(reader, frame.picture, scratch.data(), cmyk)) FailWith(reader);
    return frame;
}

}  // namespace vellumo::decode
