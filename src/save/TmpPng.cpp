#include "save/TmpPng.h"

#include "save/PngWriter.h"

namespace vellumo {

std::string WriteTmpPng(const Bitmap& cutOut, const std::string& folder) {
    std::string path = folder.empty() ? std::string(".") : folder;
    if (path.back() != '/') path += '/';
    path += "Tmp.png";
    WritePng(cutOut, path, 400.0);
    return path;
}

}  // namespace vellumo
