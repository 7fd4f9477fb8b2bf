#include "save/TmpPng.h"

#include "platform/FileInfo.h"
#include "save/PngWriter.h"

namespace vellumo {

std::string WriteTmpPng(const Bitmap& cutOut, const std::string& folder) {
    const std::string path = FileInFolder(folder, "Tmp.png");
    WritePng(cutOut, path, 400.0);
    return path;
}

}  // namespace vellumo
