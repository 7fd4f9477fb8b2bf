#include "inspect/TiffInfo.h"

#include <cstring>
#include <optional>

#include "inspect/ByteOrder.h"
#include "inspect/HeaderReaders.h"
#include "platform/Error.h"
#include "platform/FileSource.h"

namespace vellumo {

namespace {

constexpr uint16_t kShort = 3, kLong = 4, kRational = 5;
constexpr int kMaxPages = 31;

uint16_t Read16(const FileSource& file, uint64_t offset, TiffOrder order) {
    return order == TiffOrder::Little ? file.Le16(offset) : file.Be16(offset);
}

uint32_t Read32(const FileSource& file, uint64_t offset, TiffOrder order) {
    return order == TiffOrder::Little ? file.Le32(offset) : file.Be32(offset);
}

// The eight tags of the drawing rules: where each goes and which flag it clears.
struct TagSlot {
    uint16_t tag;
    uint32_t ImageInfo::*field;
    bool ImageInfo::*missing;  // null for the three required tags
};

constexpr TagSlot kTagSlots[] = {
    {256, &ImageInfo::width, nullptr},
    {257, &ImageInfo::height, nullptr},
    {258, &ImageInfo::bitsPerSample, nullptr},
    {259, &ImageInfo::compression, &ImageInfo::compressionMissing},
    {274, &ImageInfo::orientation, &ImageInfo::orientationMissing},
    {282, &ImageInfo::xResolution, &ImageInfo::xResolutionMissing},
    {283, &ImageInfo::yResolution, &ImageInfo::yResolutionMissing},
    {296, &ImageInfo::resolutionUnit, &ImageInfo::resolutionUnitMissing},
};

const TagSlot* SlotOf(uint16_t tag) {
    for (const TagSlot& slot : kTagSlots)
        if (slot.tag == tag) return &slot;
    return nullptr;
}

constexpr uint16_t kBitsPerSample = 258, kSamplesPerPixel = 277;

// BitsPerSample holds one value a sample: three SHORTs (RGB) do not fit in the entry, whose
// value field then holds their offset. The first value is read there (past the end it
// reads as zero, like every other read).
void ReadFirstValue(uint64_t entryOffset, TiffOrder order, const FileSource& file,
                    uint32_t& value) {
    const uint16_t type = Read16(file, entryOffset + 2, order);
    const uint64_t count = Read32(file, entryOffset + 4, order);
    const uint64_t valueField = entryOffset + 8;
    if (type == kShort && count > 2) {
        value = Read16(file, Read32(file, valueField, order), order);
    } else if (type == kLong && count > 1) {
        value = Read32(file, Read32(file, valueField, order), order);
    } else {
        ReadTagValue(entryOffset, order, file, value);
    }
}

}  // namespace

std::string ZeroDenominatorText(const std::string& path) {
    return path + "\r\n0 による除算です（RATIONAL 値の分母が 0 です）。";
}

void ReadTagValue(uint64_t entryOffset, TiffOrder order, const FileSource& file, uint32_t& value) {
    const uint16_t type = Read16(file, entryOffset + 2, order);
    const uint64_t valueField = entryOffset + 8;
    switch (type) {
        case kShort:
            value = Read16(file, valueField, order);
            break;
        case kLong:
            value = Read32(file, valueField, order);
            break;
        case kRational: {
            const uint64_t at = Read32(file, valueField, order);
            const uint32_t numerator = Read32(file, at, order);
            const uint32_t denominator = Read32(file, at + 4, order);
            if (denominator == 0) throw Error(ZeroDenominatorText(file.Path()));
            value = numerator / denominator;
            break;
        }
        default:
            break;  // not read: the field keeps what it had
    }
}

bool ReadTiffInfo(const FileSource& file, ImageInfo& info) {
    unsigned char header[8];
    file.Read(0, header, sizeof header);
    TiffOrder order;
    if (std::memcmp(header, "II*\0", 4) == 0) {
        order = TiffOrder::Little;
    } else if (std::memcmp(header, "MM\0*", 4) == 0) {
        order = TiffOrder::Big;
    } else {
        RaiseInvalidFile(file.Path(), "TIF");
    }

    const uint64_t firstIfd = Read32(file, 4, order);
    const uint16_t entryCount = Read16(file, firstIfd, order);

    info.compressionMissing = info.orientationMissing = true;
    info.xResolutionMissing = info.yResolutionMissing = info.resolutionUnitMissing = true;
    int counter = 8;

    // Read the entries as one block: at most 65535 × 12 bytes, and only those that lie
    // wholly inside the file (an entry cut off by the end is not read).
    const uint64_t entriesStart = firstIfd + 2;
    uint64_t whole = 0;
    if (entriesStart < file.Size()) whole = (file.Size() - entriesStart) / 12;
    const uint64_t readable = std::min<uint64_t>(entryCount, whole);
    // SamplesPerPixel is looked for wherever it stands, also after the eighth tag; the
    // eight tags themselves are read until the counter reaches 0.
    bool samplesSeen = false;
    for (uint64_t i = 0; i < readable && (counter > 0 || !samplesSeen); ++i) {
        const uint64_t entry = entriesStart + 12 * i;
        const uint16_t tag = Read16(file, entry, order);
        if (tag == kSamplesPerPixel && !samplesSeen) {
            samplesSeen = true;
            // SHORT or LONG only: no other field type may end the check with an error here.
            const uint16_t type = Read16(file, entry + 2, order);
            if (type == kShort || type == kLong) {
                ReadTagValue(entry, order, file, info.samplesPerPixel);
            }
            continue;
        }
        const TagSlot* slot = counter > 0 ? SlotOf(tag) : nullptr;
        if (!slot) continue;
        if (slot->missing) info.*(slot->missing) = false;
        if (tag == kBitsPerSample) {
            ReadFirstValue(entry, order, file, info.*(slot->field));
        } else {
            ReadTagValue(entry, order, file, info.*(slot->field));
        }
        --counter;
    }

    // Pages: the next-IFD offsets of the chain, whatever step the entries stopped at.
    int pages = 1;
    uint64_t next = Read32(file, entriesStart + 12ull * entryCount, order);
    while (next != 0) {
        ++pages;
        if (pages > kMaxPages - 1) break;  // stops once past 30: a longer or looping chain is 31
        const uint16_t count = Read16(file, next, order);
        next = Read32(file, next + 2 + 12ull * count, order);
    }
    info.pageCount = pages;

    const int stillMissing = info.compressionMissing + info.orientationMissing +
                             info.xResolutionMissing + info.yResolutionMissing +
                             info.resolutionUnitMissing;
    return counter == stillMissing;
}

bool ReadTiffInfo(const std::string& path, ImageInfo& info) {
    std::optional<FileSource> file = FileSource::Open(path);
    if (!file) RaiseInvalidFile(path, "TIF");
    return ReadTiffInfo(*file, info);
}

}  // namespace vellumo
