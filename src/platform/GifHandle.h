#pragma once
// The one owner of giflib's reader, for the decoder and the resolution reader.

#include <gif_lib.h>

#include <memory>

namespace vellumo {

struct GifCloser {
    void operator()(GifFileType* gif) const {
        int error = 0;
        DGifCloseFile(gif, &error);
    }
};
using GifOwner = std::unique_ptr<GifFileType, GifCloser>;

}  // namespace vellumo
