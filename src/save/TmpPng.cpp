#include "save/TmpPng.h"

#include "platform/FileInfo.h"
#include "save/PngWriter.h"

namespace vellumo {

std::string WriteTmpPng(const Bitmap& cutOut, const std::string& folder,
                        const WriteProgress& progress) {
    const std::string path = FileInFolder(folder, "Tmp.png");
    WritePng(cutOut, path, 400.0, {}, progress);
    return path;
}

}  // namespace vellumo
