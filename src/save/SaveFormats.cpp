#include "save/SaveFormats.h"

#include <algorithm>
#include <new>

#include "save/BmpWriter.h"
#include "save/FaxBitmap.h"
#include "save/JpegWriter.h"
#include "save/PngWriter.h"

namespace vellumo {

namespace {

size_t NameStart(const std::string& path) {
    const auto slash = path.rfind('/');
    return slash == std::string::npos ? 0 : slash + 1;
}

/// Position of the extension's dot in `path`, or npos when the file name has none.
size_t ExtensionDot(const std::string& path) {
    const auto dot = path.rfind('.');
    return dot == std::string::npos || dot < NameStart(path) ? std::string::npos : dot;
}

void WriteAs(const Bitmap& picture, const std::string& path, SaveType type,
             const SaveOptions& options, const WriteProgress& progress) {
    switch (type) {
        case SaveType::Tiff:
            if (IsFaxCompression(options.compression))
                Bmp2Tif(MakeFaxBitmap(picture), path, options.compression, options.dpi, progress);
            else
                WriteRgbTiff(picture, path, options.compression, options.dpi, progress);
            break;
        case SaveType::Jpeg:
            WriteJpeg(picture, path, options.jpegQuality, options.jpegGray, progress);
            break;
        case SaveType::Bmp:
            WriteBmp(picture, path, progress);
            break;
        case SaveType::Png:
            WritePng(picture, path, std::nullopt, {}, progress);
            break;
    }
}

}  // namespace

std::string SavePicture(const Bitmap& picture, const std::string& path, SaveType type,
                        const SaveOptions& options, const WriteProgress& progress) {
    const bool errorBox = type == SaveType::Tiff || type == SaveType::Jpeg;
    auto failure = [&](std::string detail) {
        return SaveFailure(errorBox ? NotSavedText(path) : kBmpPngFailedText,
                           errorBox ? FailureDisplay::ErrorBox : FailureDisplay::MessageBox,
                           std::move(detail));
    };
    try {
        WriteAs(picture, path, type, options, progress);
    } catch (const Error& e) {
        throw failure(e.what());
    } catch (const std::bad_alloc&) {
        throw failure("メモリが足りません");
    }
    switch (type) {
        case SaveType::Tiff:
            return "Tiff 保存完了：" + path;
        case SaveType::Jpeg:
            return "Jpeg 保存完了：" + path;
        case SaveType::Bmp:
            return "bmp 保存完了：" + path;
        case SaveType::Png:
            return " 保存完了：" + path;
    }
    return {};
}

std::string LowerExtension(const std::string& path) {
    const size_t dot = ExtensionDot(path);
    if (dot == std::string::npos) return {};
    std::string ext = path.substr(dot);
    for (char& c : ext)
        if (c >= 'A' && c <= 'Z') c = char(c - 'A' + 'a');
    return ext;
}

int InitialSaveFilterIndex(const std::string& viewedPath) {
    const std::string ext = LowerExtension(viewedPath);
    if (ext == ".tif") return 1;
    if (ext == ".jpg") return 2;
    if (ext == ".bmp") return 3;
    if (ext == ".png") return 4;
    return 5;
}

std::string PathWithoutExtension(const std::string& path) {
    return path.substr(0, std::min(ExtensionDot(path), path.size()));
}

SaveProposal ProposeSaveName(const std::string& viewedPath, const std::string& openedPath,
                             bool pdfConverted) {
    SaveProposal p;
    const std::string& source = pdfConverted ? openedPath : viewedPath;
    p.orgFName = PathWithoutExtension(source);
    const std::string& named = pdfConverted ? p.orgFName : viewedPath;
    const size_t start = NameStart(named);
    p.folder = start == 0 ? std::string() : named.substr(0, start == 1 ? 1 : start - 1);
    p.fileName = named.substr(start);
    p.filterIndex = InitialSaveFilterIndex(viewedPath);
    return p;
}

SaveTarget ResolveSaveTarget(const std::string& chosenPath, int filterIndex) {
    static constexpr struct {
        SaveType type;
        const char* extension;
    } kTypes[] = {{SaveType::Tiff, ".tif"},
                  {SaveType::Jpeg, ".jpg"},
                  {SaveType::Bmp, ".bmp"},
                  {SaveType::Png, ".png"}};
    SaveTarget target;
    if (filterIndex >= 1 && filterIndex <= 4) {
        const auto& entry = kTypes[filterIndex - 1];
        target.type = entry.type;
        target.path = PathWithoutExtension(chosenPath) + entry.extension;
        return target;
    }
    target.path = chosenPath;
    const std::string ext = LowerExtension(chosenPath);
    for (const auto& entry : kTypes)
        if (ext == entry.extension) target.type = entry.type;
    return target;
}

std::string UnsupportedExtensionText(const std::string& path) {
    return "保存ファイル名：" + path.substr(NameStart(path)) + "\r\n" + "拡張子「" +
           LowerExtension(path) + "」" + " は、未対応ファイル形式です。  ";
}

}  // namespace vellumo
