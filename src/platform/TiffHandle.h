#pragma once
// The one owner of libtiff's handles, for the decoder, the resolution reader and the writers.
// Every file is opened with TIFFOpenExt or TIFFClientOpenExt and options of its own, so no
// message reaches libtiff's global handlers (which print).

#include <tiffio.h>

#include <memory>

namespace vellumo {

struct TiffCloser {
    void operator()(TIFF* tif) const { TIFFClose(tif); }
};
using TiffOwner = std::unique_ptr<TIFF, TiffCloser>;

struct TiffOptionsFree {
    void operator()(TIFFOpenOptions* options) const { TIFFOpenOptionsFree(options); }
};
using TiffOptionsOwner = std::unique_ptr<TIFFOpenOptions, TiffOptionsFree>;

/// Open options whose errors and warnings go to the given handlers only; empty when memory
/// runs out.
inline TiffOptionsOwner TiffOptionsWith(TIFFErrorHandlerExtR onError, void* errorData,
                                        TIFFErrorHandlerExtR onWarning, void* warningData) {
    TiffOptionsOwner options(TIFFOpenOptionsAlloc());
    if (options) {
        TIFFOpenOptionsSetErrorHandlerExtR(options.get(), onError, errorData);
        TIFFOpenOptionsSetWarningHandlerExtR(options.get(), onWarning, warningData);
    }
    return options;
}

}  // namespace vellumo
