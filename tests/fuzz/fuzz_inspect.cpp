// Feeds arbitrary bytes, through a temporary file, to every reader that looks at a file the
// user hands us. The first byte picks the file name (its extension changes the report).

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "check/CheckFile.h"
#include "check/ReportView.h"
#include "inspect/ByteOrder.h"
#include "inspect/HeaderReaders.h"
#include "inspect/ImageType.h"
#include "inspect/TiffInfo.h"
#include "platform/Error.h"
#include "platform/ResolutionReader.h"

namespace {

const char* const kNames[] = {
    "tatemono1.tif", "a.TIF", "a.tiff", "a.png", "a.jpg", "a.jpeg", "a.bmp", "a.gif",
    "a.wmf",         "a.emf", "a.psd",  "a.pdf", "a.zip", "a.exe",  "noext", "zumen.txt",
};

std::string Folder() {
    static std::string folder = [] {
        const char* base = std::getenv("TMPDIR");
        std::string templ = std::string(base && *base ? base : "/tmp") + "/vellumo-fuzz-XXXXXX";
        if (!::mkdtemp(templ.data())) std::abort();
        return templ;
    }();
    return folder;
}

template <typename F>
void Quietly(F&& f) {
    try {
        f();
    } catch (const vellumo::Error&) {
        // A clear error is a correct answer to a bad file.
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    const std::string path = Folder() + "/" + kNames[data[0] % (sizeof kNames / sizeof *kNames)];
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) std::abort();
    if (size > 1) std::fwrite(data + 1, 1, size - 1, f);
    std::fclose(f);

    using namespace vellumo;
    Quietly([&] { DetectImageType(path); });
    Quietly([&] { TiffByteOrder(path); });
    uint32_t w = 0, h = 0;
    Quietly([&] { ReadBmpSize(path, w, h); });
    Quietly([&] { ReadJpegSize(path, w, h); });
    Quietly([&] { ReadWmfSize(path, w, h); });
    Quietly([&] { ReadEmfSize(path, w, h); });
    Quietly([&] { ReadGifSize(path, w, h); });
    Quietly([&] { ReadPngSize(path, w, h); });
    Quietly([&] { ReadPsdSize(path, w, h); });
    Quietly([&] {
        ImageInfo info;
        ReadTiffInfo(path, info);
    });
    for (bool gs : {false, true}) {
        Quietly([&] {
            ImageInfo info;
            ReadImageInfo(path, gs, info);
        });
    }
    for (bool drawing : {true, false}) {
        Quietly([&] {
            CheckOptions options;
            options.drawingCheck = drawing;
            options.showPath = true;
            CollectingReportView view(true);
            CheckFile(path, options, view);
        });
    }
    ReadFileResolution(path);
    return 0;
}
