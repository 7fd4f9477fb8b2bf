// The TIFF resolution read from the first directory's own entries against libtiff's: where
// the directory's reading gives a value, it must be exactly what libtiff gives. Arbitrary
// bytes go through a temporary file, as the report reads them.

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/FileSource.h"
#include "platform/ResolutionReader.h"

namespace {

std::string FilePath() {
    static std::string path = [] {
        const char* base = std::getenv("TMPDIR");
        std::string templ = std::string(base && *base ? base : "/tmp") + "/vellumo-fuzz-XXXXXX";
        if (!::mkdtemp(templ.data())) std::abort();
        return templ + "/t.tif";
    }();
    return path;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string path = FilePath();
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) std::abort();
    std::fwrite(data, 1, size, f);
    std::fclose(f);
    const auto file = vellumo::FileSource::Open(path);
    if (!file) return 0;
    const auto own = vellumo::ReadTiffResolutionFromDirectory(*file);
    if (!own) return 0;
    const vellumo::FileResolution lib = vellumo::ReadTiffResolutionWithLibtiff(*file);
    if (own->decoded != lib.decoded || own->dpiX != lib.dpiX || own->dpiY != lib.dpiY) {
        std::fprintf(stderr, "directory %g x %g (%d), libtiff %g x %g (%d)\n", own->dpiX, own->dpiY,
                     own->decoded, lib.dpiX, lib.dpiY, lib.decoded);
        __builtin_trap();
    }
    return 0;
}
