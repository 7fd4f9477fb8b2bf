#include "inspect/ImageType.h"

#include <array>
#include <cstring>
#include <optional>

#include "inspect/HeaderReaders.h"
#include "inspect/TiffInfo.h"
#include "platform/Error.h"
#include "platform/FileSource.h"

namespace vellumo {

namespace {

constexpr size_t kProbeBytes = 50;

struct Signature {
    size_t offset;
    std::string_view bytes;
    int32_t type;
};

// Tested in this order; every match overwrites the result, so the last match wins (a "BM"
// file with " EMF" at offset 40 is an EMF).
constexpr std::array<Signature, 12> kSignatures{{
    {0, "BM", kTypeBmp},
    {0, "\xFF\xD8\xFF", kTypeJpeg},
    {0, "GIF", kTypeGif},
    {40, " EMF", kTypeEmf},
    {0, std::string_view("MM\0*", 4), kTypeTiffBig},
    {0, std::string_view("II*\0", 4), kTypeTiffLittle},
    {0, "\x89PNG", kTypePng},
    {0, "\xD7\xCD\xC6\x9A", kTypeWmf},
    {0, "8BPS", kTypePsd},
    {0, "MZ", kTypeExe},
    {0, "PK", kTypeZip},
    {0, "%PDF", kTypePdf},
}};

char AsciiLower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

}  // namespace

int32_t DetectImageType(const unsigned char* bytes, size_t count) {
    int32_t type = kTypeUnknown;
    for (const Signature& sig : kSignatures) {
        if (count >= sig.offset + sig.bytes.size() &&
            std::memcmp(bytes + sig.offset, sig.bytes.data(), sig.bytes.size()) == 0)
            type = sig.type;
    }
    return type;
}

int32_t DetectImageType(const std::string& path) {
    std::optional<FileSource> file = FileSource::Open(path);
    if (!file) return kTypeUnknown;
    unsigned char head[kProbeBytes];
    file->Read(0, head, kProbeBytes);
    return DetectImageType(head, static_cast<size_t>(std::min<uint64_t>(file->Size(), kProbeBytes)));
}

std::string_view TypeNameOf(int32_t typeCode) {
    switch (typeCode) {
        case kTypeBmp: return "BMP";
        case kTypeJpeg: return "JPG";
        case kTypeGif: return "GIF";
        case kTypeEmf: return "emf";
        case kTypeTiffBig:
        case kTypeTiffLittle: return "Tif";
        case kTypePng: return "PNG";
        case kTypeWmf: return "wmf";
        case kTypePsd: return "psd";
        case kTypeExe: return "Exe";
        case kTypeZip: return "Zip";
        case kTypePdf: return "PDF";
        default: return "不明なファイル";
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

bool ExtensionMatches(std::string_view typeName, std::string_view fileName,
                      bool ghostscriptAvailable) {
    std::string ext(FileExtension(fileName));
    for (char& c : ext) c = AsciiLower(c);
    if (typeName == "BMP") return ext == ".bmp";
    if (typeName == "JPG") return ext == ".jpg";
    if (typeName == "wmf") return ext == ".wmf";
    if (typeName == "emf") return ext == ".emf";
    if (typeName == "GIF") return ext == ".gif";
    if (typeName == "PNG") return ext == ".png";
    if (typeName == "psd") return ext == ".psd";
    if (typeName == "Tif") return ext == ".tif" || ext == ".tiff";
    if (typeName == "PDF") return ext == ".pdf" && ghostscriptAvailable;
    return false;
}

std::string ZeroSizeText(const std::string& path) { return path + "\r\n画像サイズがゼロです。"; }

bool ReadImageInfo(const FileSource* file, const std::string& path, bool ghostscriptAvailable,
                   ImageInfo& info) {
    info = ImageInfo{};
    if (file) {
        unsigned char head[kProbeBytes];
        file->Read(0, head, kProbeBytes);
        info.typeCode = DetectImageType(
            head, static_cast<size_t>(std::min<uint64_t>(file->Size(), kProbeBytes)));
    }
    info.typeName = TypeNameOf(info.typeCode);
    info.extensionMatches = ExtensionMatches(info.typeName, FileNameOf(path), ghostscriptAvailable);

    bool read = false;
    switch (info.typeCode) {
        case kTypeBmp: read = ReadBmpSize(*file, info.width, info.height); break;
        case kTypeJpeg: read = ReadJpegSize(*file, info.width, info.height); break;
        case kTypeGif: read = ReadGifSize(*file, info.width, info.height); break;
        case kTypeEmf: read = ReadEmfSize(*file, info.width, info.height); break;
        case kTypeTiffBig:
        case kTypeTiffLittle: read = ReadTiffInfo(*file, info); break;
        case kTypePng: read = ReadPngSize(*file, info.width, info.height); break;
        case kTypeWmf: read = ReadWmfSize(*file, info.width, info.height); break;
        case kTypePsd: read = ReadPsdSize(*file, info.width, info.height); break;
        default: break;
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
