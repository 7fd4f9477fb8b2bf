#pragma once
// The one owner of libjpeg's compressor and decompressor, for the decoder, the resolution
// reader and the writer. libjpeg reports errors through error_exit, which must leave its C
// frames by longjmp to `errors.jump`, set after every C++ object of the function is built.

#include <csetjmp>
#include <cstdio>

#include "platform/JpegLib.h"

namespace vellumo {

/// The error manager with the jump point and the first message kept for the caller.
struct JpegErrors : jpeg_error_mgr {
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX] = {};
};

/// Owns one libjpeg object; destroying one that was never created (or half created) is
/// harmless, as libjpeg frees only what its memory manager holds.
template <typename Struct, void (*Destroy)(Struct*)>
struct JpegOwner {
    Struct info{};
    JpegErrors errors{};

    JpegOwner() = default;
    JpegOwner(const JpegOwner&) = delete;
    JpegOwner& operator=(const JpegOwner&) = delete;
    ~JpegOwner() { Destroy(&info); }
};

using JpegReadOwner = JpegOwner<jpeg_decompress_struct, jpeg_destroy_decompress>;
using JpegWriteOwner = JpegOwner<jpeg_compress_struct, jpeg_destroy_compress>;

}  // namespace vellumo
