#include "inspect/ImageType.h"

#include <algorithm>
#include <optional>

#include "inspect/HeaderReaders.h"
#include "inspect/TiffInfo.h"
#include "platform/Error.h"
#include "platform/FileSource.h"

namespace vellumo {

namespace {

char AsciiLower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

}  // namespace

ImageTypeCode DetectImageType(const unsigned char* bytes, size_t count) {
    return SignatureType(bytes, count);
}

ImageTypeCode DetectImageType(const FileSource& file) {
    unsigned char head[kSignatureProbeBytes];
    file.Read(0, head, sizeof head);
    return SignatureType(head, static_cast<size_t>(std::min<uint64_t>(file.Size(), sizeof head)));
}

ImageTypeCode DetectImageType(const std::string& path) {
    std::optional<FileSource> file = FileSource::Open(path);
    return file ? DetectImageType(*file) : kTypeUnknown;
}

std::string_view TypeNameOf(int32_t typeCode) {
    switch (typeCode) {
        case kTypeNone:
            return "";
        case kTypeBmp:
            return "BMP";
        case kTypeJpeg:
            return "JPG";
        case kTypeGif:
            return "GIF";
        case kTypeEmf:
            return "emf";
        case kTypeTiffBig:
        case kTypeTiffLittle:
            return "Tif";
        case kTypePng:
            return "PNG";
        case kTypeWmf:
            return "wmf";
        case kTypePsd:
            return "psd";
        case kTypeExe:
            return "Exe";
        case kTypeZip:
            return "Zip";
        case kTypePdf:
            return "PDF";
        default:
            return "不明なファイル";
    }
}

std::string_view FileNameOf(std::string_view path) {
    const size_t slash = path.rfind('/');
    return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

std::string_view FolderOf(std::string_view path) {
    const size_t slash = path.rfind('/');
    return slash == std::string_view::npos ? std::string_view() : path.substr(0, slash + 1);
}

std::string_view FileExtension(std::string_view fileName) {
    const std::string_view name = FileNameOf(fileName);
    const size_t dot = name.rfind('.');
    return dot == std::string_view::npos ? std::string_view() : name.substr(dot);
}

bool ExtensionMatches(ImageTypeCode type, std::string_view fileName, bool ghostscriptAvailable) {
    std::string ext(FileExtension(fileName));
    for (char& c : ext) c = AsciiLower(c);
    switch (type) {
        case kTypeBmp:
            return ext == ".bmp";
        case kTypeJpeg:
            return ext == ".jpg";
        case kTypeWmf:
            return ext == ".wmf";
        case kTypeEmf:
            return ext == ".emf";
        case kTypeGif:
            return ext == ".gif";
        case kTypePng:
            return ext == ".png";
        case kTypePsd:
            return ext == ".psd";
        case kTypeTiffBig:
        case kTypeTiffLittle:
            return ext == ".tif" || ext == ".tiff";
        case kTypePdf:
            return ext == ".pdf" && ghostscriptAvailable;
        default:
            return false;
    }
}

std::string ZeroSizeText(const std::string& path) { return path + "\r\n画像サイズがゼロです。"; }

bool ReadImageInfo(const FileSource* file, const std::string& path, bool ghostscriptAvailable,
                   ImageInfo& info) {
    info = ImageInfo{};
    info.typeCode = file ? DetectImageType(*file) : kTypeUnknown;
    info.typeName = TypeNameOf(info.typeCode);
    info.extensionMatches = ExtensionMatches(info.typeCode, FileNameOf(path), ghostscriptAvailable);

    bool read = false;
    switch (info.typeCode) {
        case kTypeBmp:
            read = ReadBmpSize(*file, info.width, info.height);
            break;
        case kTypeJpeg:
            read = ReadJpegSize(*file, info.width, info.height);
            break;
        case kTypeGif:
            read = ReadGifSize(*file, info.width, info.height);
            break;
        case kTypeEmf:
            read = ReadEmfSize(*file, info.width, info.height);
            break;
        case kTypeTiffBig:
        case kTypeTiffLittle:
            read = ReadTiffInfo(*file, info);
            break;
        case kTypePng:
            read = ReadPngSize(*file, info.width, info.height);
            break;
        case kTypeWmf:
            read = ReadWmfSize(*file, info.width, info.height);
            break;
        case kTypePsd:
            read = ReadPsdSize(*file, info.width, info.height);
            break;
        default:
            break;
    }
    info.headerRead = read;
    if (read && (info.width == 0 || info.height == 0)) throw Error(ZeroSizeText(path));
    return read;
}

bool ReadImageInfo(const std::string& path, bool ghostscriptAvailable, ImageInfo& info) {
    std::optional<FileSource> file = FileSource::Open(path);
    return ReadImageInfo(file ? &*file : nullptr, path, ghostscriptAvailable, info);
}

}  // namespace vellumo
