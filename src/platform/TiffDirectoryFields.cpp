#include "platform/TiffDirectoryFields.h"

#include <cstring>
#include <vector>

#include "platform/FileSource.h"

namespace vellumo {

namespace {

constexpr uint16_t kShort = 3, kLong = 4, kRational = 5;

// Tags libtiff reads with care (a fault in them can refuse the file); each is checked below.
enum : uint16_t {
    kImageWidth = 256,
    kImageLength = 257,
    kBitsPerSample = 258,
    kCompression = 259,
    kPhotometric = 262,
    kStripOffsets = 273,
    kSamplesPerPixel = 277,
    kRowsPerStrip = 278,
    kStripByteCounts = 279,
    kXResolution = 282,
    kYResolution = 283,
    kPlanarConfig = 284,
    kResolutionUnit = 296,
};

constexpr uint16_t kAscii = 2;

// Tags libtiff only stores, each in its own type and count: a fault in their values is
// passed over (the tag is dropped), never a reason to refuse the file, and none of them
// changes the resolution. Any other tag, or one of these in another type, is left to
// libtiff (some, like MinSampleValue, refuse the file when their type is wrong).
bool Harmless(uint16_t tag, uint16_t type, uint32_t count) {
    struct Form {
        uint16_t tag, type;
        uint32_t count;  // 0: any count from 1
    };
    static constexpr Form kForms[] = {
        {254, kLong, 1},     // NewSubfileType
        {255, kShort, 1},    // SubfileType
        {263, kShort, 1},    // Threshholding
        {266, kShort, 1},    // FillOrder
        {269, kAscii, 0},    // DocumentName
        {270, kAscii, 0},    // ImageDescription
        {271, kAscii, 0},    // Make
        {272, kAscii, 0},    // Model
        {274, kShort, 1},    // Orientation
        {285, kAscii, 0},    // PageName
        {292, kLong, 1},     // T4Options
        {293, kLong, 1},     // T6Options
        {297, kShort, 2},    // PageNumber
        {305, kAscii, 0},    // Software
        {306, kAscii, 0},    // DateTime
        {315, kAscii, 0},    // Artist
        {316, kAscii, 0},    // HostComputer
        {33432, kAscii, 0},  // Copyright
    };
    for (const Form& f : kForms) {
        if (f.tag == tag) return f.type == type && (f.count == 0 ? count >= 1 : count == f.count);
    }
    return false;
}

struct Entry {
    uint16_t tag = 0;
    uint16_t type = 0;
    uint32_t count = 0;
    const unsigned char* value = nullptr;  // the 4-byte value field
};

class Directory {
  public:
    bool Read(const FileSource& file) {
        unsigned char header[8];
        file.Read(0, header, sizeof header);
        if (std::memcmp(header, "II*\0", 4) == 0)
            big_ = false;
        else if (std::memcmp(header, "MM\0*", 4) == 0)
            big_ = true;
        else
            return false;
        const uint64_t size = file.Size();
        const uint64_t ifd = U32(header + 4);
        if (ifd < 8 || size < 2 || ifd > size - 2) return false;
        unsigned char countBytes[2];
        file.Read(ifd, countBytes, 2);
        const uint32_t count = U16(countBytes);
        // The whole directory and its next-directory offset lie inside the file.
        if (count == 0 || count > 512 || size - ifd - 2 < 12ull * count + 4) return false;
        bytes_.resize(12u * count);
        file.Read(ifd + 2, bytes_.data(), bytes_.size());
        entries_.reserve(count);
        for (uint32_t i = 0; i < count; ++i) {
            const unsigned char* e = bytes_.data() + 12u * i;
            Entry entry{U16(e), U16(e + 2), U32(e + 4), e + 8};
            // Ascending, no tag twice: libtiff would sort and drop, and warn.
            if (!entries_.empty() && entry.tag <= entries_.back().tag) return false;
            entries_.push_back(entry);
        }
        size_ = size;
        return true;
    }

    const Entry* Find(uint16_t tag) const {
        for (const Entry& e : entries_)
            if (e.tag == tag) return &e;
        return nullptr;
    }
    const std::vector<Entry>& Entries() const { return entries_; }

    uint16_t U16(const unsigned char* b) const {
        return static_cast<uint16_t>(big_ ? (b[0] << 8) | b[1] : (b[1] << 8) | b[0]);
    }
    uint32_t U32(const unsigned char* b) const {
        const uint32_t b0 = b[0], b1 = b[1], b2 = b[2], b3 = b[3];
        return big_ ? (b0 << 24) | (b1 << 16) | (b2 << 8) | b3
                    : (b3 << 24) | (b2 << 16) | (b1 << 8) | b0;
    }

    /// A single SHORT or LONG (as the required tags are written), or nothing.
    std::optional<uint32_t> Whole(const Entry* e) const {
        if (e == nullptr || e->count != 1) return std::nullopt;
        if (e->type == kShort) return U16(e->value);
        if (e->type == kLong) return U32(e->value);
        return std::nullopt;
    }
    /// A single SHORT, or nothing.
    std::optional<uint16_t> Short(const Entry* e) const {
        if (e == nullptr || e->type != kShort || e->count != 1) return std::nullopt;
        return U16(e->value);
    }

    uint64_t Size() const { return size_; }

  private:
    bool big_ = false;
    uint64_t size_ = 0;
    std::vector<unsigned char> bytes_;
    std::vector<Entry> entries_;
};

/// A RATIONAL as libtiff stores it: the quotient in double precision made a float, 0 for a
/// zero denominator. Nothing when the entry is not one RATIONAL.
std::optional<float> Rational(const FileSource& file, const Directory& dir, const Entry* e) {
    if (e->type != kRational || e->count != 1) return std::nullopt;
    const uint64_t at = dir.U32(e->value);
    if (at > dir.Size() || dir.Size() - at < 8) return std::nullopt;
    unsigned char b[8];
    file.Read(at, b, sizeof b);
    const uint32_t numerator = dir.U32(b), denominator = dir.U32(b + 4);
    if (denominator == 0) return 0.0f;
    return static_cast<float>(static_cast<double>(numerator) / denominator);
}

bool PlainStripImage(const FileSource& file, const Directory& dir) {
    for (const Entry& e : dir.Entries()) {
        switch (e.tag) {
            case kImageWidth:
            case kImageLength:
            case kBitsPerSample:
            case kCompression:
            case kPhotometric:
            case kStripOffsets:
            case kSamplesPerPixel:
            case kRowsPerStrip:
            case kStripByteCounts:
            case kXResolution:
            case kYResolution:
            case kPlanarConfig:
            case kResolutionUnit:
                break;
            default:
                if (!Harmless(e.tag, e.type, e.count)) return false;
        }
    }
    const auto width = dir.Whole(dir.Find(kImageWidth));
    const auto length = dir.Whole(dir.Find(kImageLength));
    if (!width || !length || *width == 0 || *length == 0) return false;

    const Entry* samplesEntry = dir.Find(kSamplesPerPixel);
    uint32_t samples = 1;
    if (samplesEntry) {
        const auto s = dir.Short(samplesEntry);
        if (!s || *s < 1 || *s > 4) return false;
        samples = *s;
    }
    // BitsPerSample: one value, or one a sample, all the same, placed in the entry or
    // elsewhere in the file.
    const Entry* bits = dir.Find(kBitsPerSample);
    if (bits == nullptr || bits->type != kShort) return false;
    uint16_t depth = 0;
    if (bits->count == 1) {
        depth = dir.U16(bits->value);
    } else {
        if (bits->count != samples) return false;
        std::vector<unsigned char> values(2u * samples);
        if (samples <= 2) {
            std::memcpy(values.data(), bits->value, values.size());
        } else {
            const uint64_t at = dir.U32(bits->value);
            if (at > dir.Size() || dir.Size() - at < values.size()) return false;
            file.Read(at, values.data(), values.size());
        }
        depth = dir.U16(values.data());
        for (uint32_t i = 1; i < samples; ++i)
            if (dir.U16(values.data() + 2 * i) != depth) return false;
    }
    if (depth != 1 && depth != 2 && depth != 4 && depth != 8 && depth != 16) return false;

    if (const Entry* c = dir.Find(kCompression)) {
        const auto v = dir.Short(c);
        // None, CCITT RLE, G3, G4, LZW, PackBits and the two Deflate codes; JPEG and the
        // rest have codecs that look further at open.
        if (!v || !(*v == 1 || *v == 2 || *v == 3 || *v == 4 || *v == 5 || *v == 8 || *v == 32773 ||
                    *v == 32946))
            return false;
    }
    if (const Entry* p = dir.Find(kPhotometric)) {
        const auto v = dir.Short(p);
        if (!v || *v > 2) return false;  // a palette needs its colour map
    }
    if (const Entry* p = dir.Find(kPlanarConfig)) {
        const auto v = dir.Short(p);
        if (!v || *v != 1) return false;
    }

    // The strips: as many offsets and byte counts as the rows per strip give.
    uint64_t strips = 1;
    if (const Entry* r = dir.Find(kRowsPerStrip)) {
        const auto rows = dir.Whole(r);
        if (!rows || *rows == 0) return false;
        if (*rows != 0xFFFFFFFFu) {
            // libtiff counts in 32 bits and finds no strip at all where the sum overflows.
            if (*length >= 0xFFFFFFFFu - (*rows - 1)) return false;
            strips = (*length + *rows - 1) / *rows;
        }
    }
    if (strips > 1000000) return false;
    for (uint16_t tag : {kStripOffsets, kStripByteCounts}) {
        const Entry* e = dir.Find(tag);
        if (e == nullptr || (e->type != kShort && e->type != kLong) || e->count != strips)
            return false;
    }
    return true;
}

}  // namespace

std::optional<TiffResolutionFields> TiffResolutionFieldsFromDirectory(const FileSource& file) {
    Directory dir;
    if (!dir.Read(file) || !PlainStripImage(file, dir)) return std::nullopt;
    TiffResolutionFields fields;
    // libtiff keeps both resolutions as one field: with either tag, both are there, the
    // missing one 0.
    const Entry* x = dir.Find(kXResolution);
    const Entry* y = dir.Find(kYResolution);
    fields.hasX = fields.hasY = x != nullptr || y != nullptr;
    if (x) {
        const auto v = Rational(file, dir, x);
        if (!v) return std::nullopt;
        fields.x = *v;
    }
    if (y) {
        const auto v = Rational(file, dir, y);
        if (!v) return std::nullopt;
        fields.y = *v;
    }
    if (const Entry* u = dir.Find(kResolutionUnit)) {
        const auto v = dir.Short(u);
        if (!v || *v < 1 || *v > 3) return std::nullopt;
        fields.unit = *v;
    }
    return fields;
}

}  // namespace vellumo
