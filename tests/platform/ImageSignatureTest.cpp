#include <gtest/gtest.h>

#include <string>
#include <string_view>

#include "platform/ImageSignature.h"

namespace vellumo {
namespace {

using namespace std::string_view_literals;

// The inspection knows a type by a short signature and lets the last match win; the decoder
// and the resolution reader want the whole signature at the start.
TEST(ImageSignature, InspectionAndDecoderReadTheSameTable) {
    const std::string emfAt40 = "BM" + std::string(38, '\0') + " EMF";
    const struct {
        std::string_view bytes;
        ImageTypeCode inspected;
        ImageTypeCode decodable;
    } rows[] = {
        {"BM", kTypeBmp, kTypeBmp},
        {emfAt40, kTypeEmf, kTypeBmp},
        {"\xFF\xD8\xFF\xE0", kTypeJpeg, kTypeJpeg},
        {"\xFF\xD8", kTypeUnknown, kTypeUnknown},
        {"GIF89a", kTypeGif, kTypeGif},
        {"GIF87a", kTypeGif, kTypeGif},
        {"GIF90a", kTypeGif, kTypeUnknown},
        {"GIF", kTypeGif, kTypeUnknown},
        {"\x89PNG\r\n\x1A\n", kTypePng, kTypePng},
        {"\x89PNG\r\n", kTypePng, kTypeUnknown},
        {"II*\0"sv, kTypeTiffLittle, kTypeTiffLittle},
        {"MM\0*"sv, kTypeTiffBig, kTypeTiffBig},
        {"II*"sv, kTypeUnknown, kTypeUnknown},
        {"\xD7\xCD\xC6\x9A", kTypeWmf, kTypeUnknown},
        {"8BPS", kTypePsd, kTypeUnknown},
        {"MZ", kTypeExe, kTypeUnknown},
        {"PK\x03\x04", kTypeZip, kTypeUnknown},
        {"%PDF-1.4", kTypePdf, kTypeUnknown},
        {"", kTypeUnknown, kTypeUnknown},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(testing::PrintToString(std::string(r.bytes)));
        const auto* bytes = reinterpret_cast<const uint8_t*>(r.bytes.data());
        EXPECT_EQ(SignatureType(bytes, r.bytes.size()), r.inspected);
        EXPECT_EQ(DecodableType(bytes, r.bytes.size()), r.decodable);
    }
}

}  // namespace
}  // namespace vellumo
