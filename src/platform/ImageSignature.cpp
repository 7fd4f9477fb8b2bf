#include "platform/ImageSignature.h"

#include <cstring>
#include <string_view>

namespace vellumo {

namespace {

using namespace std::string_view_literals;

// Whether the bytes at `offset` are `sig`; a file too short to hold them does not match.
bool At(const uint8_t* bytes, size_t count, size_t offset, std::string_view sig) {
    return count >= offset && count - offset >= sig.size() &&
           std::memcmp(bytes + offset, sig.data(), sig.size()) == 0;
}

bool IsDecodable(ImageTypeCode type) {
    switch (type) {
        case kTypeBmp:
        case kTypeJpeg:
        case kTypeGif:
        case kTypeTiffBig:
        case kTypeTiffLittle:
        case kTypePng:
            return true;
        default:
            return false;
    }
}

// What the image libraries require beyond the signature the inspection knows the type by.
bool WholeSignature(ImageTypeCode type, const uint8_t* bytes, size_t count) {
    if (type == kTypeGif) return At(bytes, count, 3, "87a") || At(bytes, count, 3, "89a");
    if (type == kTypePng) return At(bytes, count, 4, "\r\n\x1A\n");
    return true;
}

}  // namespace

const std::array<ImageSignature, 12> kImageSignatures{{
    {[](const uint8_t* b, size_t n) { return At(b, n, 0, "BM"); }, kTypeBmp},
    {[](const uint8_t* b, size_t n) { return At(b, n, 0, "\xFF\xD8\xFF"); }, kTypeJpeg},
    {[](const uint8_t* b, size_t n) { return At(b, n, 0, "GIF"); }, kTypeGif},
    {[](const uint8_t* b, size_t n) { return At(b, n, 40, " EMF"); }, kTypeEmf},
    {[](const uint8_t* b, size_t n) { return At(b, n, 0, "MM\0*"sv); }, kTypeTiffBig},
    {[](const uint8_t* b, size_t n) { return At(b, n, 0, "II*\0"sv); }, kTypeTiffLittle},
    {[](const uint8_t* b, size_t n) { return At(b, n, 0, "\x89PNG"); }, kTypePng},
    {[](const uint8_t* b, size_t n) { return At(b, n, 0, "\xD7\xCD\xC6\x9A"); }, kTypeWmf},
    {[](const uint8_t* b, size_t n) { return At(b, n, 0, "8BPS"); }, kTypePsd},
    {[](const uint8_t* b, size_t n) { return At(b, n, 0, "MZ"); }, kTypeExe},
    {[](const uint8_t* b, size_t n) { return At(b, n, 0, "PK"); }, kTypeZip},
    {[](const uint8_t* b, size_t n) { return At(b, n, 0, "%PDF"); }, kTypePdf},
}};

ImageTypeCode SignatureType(const uint8_t* bytes, size_t count) {
    ImageTypeCode type = kTypeUnknown;
    for (const ImageSignature& signature : kImageSignatures) {
        if (signature.test(bytes, count)) type = signature.type;
    }
    return type;
}

ImageTypeCode DecodableType(const uint8_t* bytes, size_t count) {
    // The decodable signatures all lie at the start and exclude each other.
    for (const ImageSignature& signature : kImageSignatures) {
        if (IsDecodable(signature.type) && signature.test(bytes, count))
            return WholeSignature(signature.type, bytes, count) ? signature.type : kTypeUnknown;
    }
    return kTypeUnknown;
}

}  // namespace vellumo
