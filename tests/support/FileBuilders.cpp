#include "support/FileBuilders.h"

#include <stdexcept>

namespace vellumo::test {

Bytes AsBytes(std::string_view text) { return Bytes(text.begin(), text.end()); }

Bytes Filled(size_t count, uint8_t fill) { return Bytes(count, fill); }

Bytes Concat(Bytes a, const Bytes& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

Bytes Resized(Bytes bytes, size_t size, uint8_t fill) {
    bytes.resize(size, fill);
    return bytes;
}

namespace {

void Grow(Bytes& bytes, size_t end) {
    if (bytes.size() < end) bytes.resize(end, 0);
}

}  // namespace

void PutLe16(Bytes& bytes, size_t offset, uint16_t value) {
    Grow(bytes, offset + 2);
    bytes[offset] = static_cast<uint8_t>(value);
    bytes[offset + 1] = static_cast<uint8_t>(value >> 8);
}

void PutLe32(Bytes& bytes, size_t offset, uint32_t value) {
    Grow(bytes, offset + 4);
    for (int i = 0; i < 4; ++i) bytes[offset + i] = static_cast<uint8_t>(value >> (8 * i));
}

void PutBe16(Bytes& bytes, size_t offset, uint16_t value) {
    Grow(bytes, offset + 2);
    bytes[offset] = static_cast<uint8_t>(value >> 8);
    bytes[offset + 1] = static_cast<uint8_t>(value);
}

void PutBe32(Bytes& bytes, size_t offset, uint32_t value) {
    Grow(bytes, offset + 4);
    for (int i = 0; i < 4; ++i) bytes[offset + i] = static_cast<uint8_t>(value >> (24 - 8 * i));
}

// ---------------------------------------------------------------------------------------
// TIFF

TiffEntry TiffEntry::Short(uint16_t tag, uint16_t value) {
    TiffEntry e;
    e.tag = tag;
    e.type = kShort;
    e.value = value;
    return e;
}

TiffEntry TiffEntry::Long(uint16_t tag, uint32_t value) {
    TiffEntry e;
    e.tag = tag;
    e.type = kLong;
    e.value = value;
    return e;
}

TiffEntry TiffEntry::Rational(uint16_t tag, uint32_t numerator, uint32_t denominator) {
    TiffEntry e;
    e.tag = tag;
    e.type = kRational;
    e.rational = true;
    e.numerator = numerator;
    e.denominator = denominator;
    return e;
}

TiffEntry TiffEntry::Raw(uint16_t tag, uint16_t type, uint32_t count, uint32_t value) {
    TiffEntry e;
    e.tag = tag;
    e.type = type;
    e.count = count;
    e.value = value;
    e.raw = true;
    return e;
}

std::vector<TiffEntry> TiffEntries(const TiffFields& f) {
    std::vector<TiffEntry> entries;
    if (f.width) entries.push_back(TiffEntry::Long(256, *f.width));
    if (f.height) entries.push_back(TiffEntry::Long(257, *f.height));
    if (f.bitsPerSample) entries.push_back(TiffEntry::Short(258, *f.bitsPerSample));
    if (f.compression) entries.push_back(TiffEntry::Short(259, *f.compression));
    if (f.stripTags) {
        entries.push_back(TiffEntry::Short(262, 0));
        entries.push_back(TiffEntry::Long(273, 8));
    }
    if (f.orientation) entries.push_back(TiffEntry::Short(274, *f.orientation));
    if (f.stripTags) {
        entries.push_back(TiffEntry::Long(278, f.height ? *f.height : 1));
        entries.push_back(TiffEntry::Long(279, 1));
    }
    if (f.xResolution)
        entries.push_back(TiffEntry::Rational(282, f.xResolution->first, f.xResolution->second));
    if (f.yResolution)
        entries.push_back(TiffEntry::Rational(283, f.yResolution->first, f.yResolution->second));
    if (f.resolutionUnit) entries.push_back(TiffEntry::Short(296, *f.resolutionUnit));
    return entries;
}

size_t TiffBuilder::AddPage(std::vector<TiffEntry> entries) {
    pages_.push_back(Page{std::move(entries), {}, {}, {}});
    return pages_.size() - 1;
}

TiffBuilder& TiffBuilder::FirstIfdOffset(uint32_t offset) {
    firstIfd_ = offset;
    return *this;
}

TiffBuilder& TiffBuilder::NextIfdOffset(size_t page, uint32_t offset) {
    pages_.at(page).next = offset;
    pages_.at(page).loopTo.reset();
    return *this;
}

TiffBuilder& TiffBuilder::LoopTo(size_t page, size_t target) {
    pages_.at(page).loopTo = target;
    pages_.at(page).next.reset();
    return *this;
}

TiffBuilder& TiffBuilder::DeclaredEntryCount(size_t page, uint16_t count) {
    pages_.at(page).declaredCount = count;
    return *this;
}

TiffBuilder& TiffBuilder::PadTo(size_t size, uint8_t fill) {
    padTo_ = size;
    padFill_ = fill;
    return *this;
}

TiffBuilder& TiffBuilder::CutAt(size_t size) {
    cutAt_ = size;
    return *this;
}

size_t TiffBuilder::PageBytes(const Page& page) const {
    size_t n = 2 + 12 * page.entries.size() + 4;
    for (const TiffEntry& e : page.entries)
        if (e.rational) n += 8;
    return n;
}

uint32_t TiffBuilder::IfdOffset(size_t page) const {
    size_t offset = 8;
    for (size_t i = 0; i < page; ++i) offset += PageBytes(pages_.at(i));
    return static_cast<uint32_t>(offset);
}

Bytes TiffBuilder::Build() const {
    const bool le = endian_ == Endian::Little;
    Bytes out;
    auto put16 = [&](size_t at, uint16_t v) { le ? PutLe16(out, at, v) : PutBe16(out, at, v); };
    auto put32 = [&](size_t at, uint32_t v) { le ? PutLe32(out, at, v) : PutBe32(out, at, v); };

    out = le ? Bytes{0x49, 0x49} : Bytes{0x4D, 0x4D};
    put16(2, 42);
    put32(4, firstIfd_ ? *firstIfd_ : (pages_.empty() ? 0 : 8));

    for (size_t p = 0; p < pages_.size(); ++p) {
        const Page& page = pages_[p];
        const size_t ifd = IfdOffset(p);
        const uint16_t count =
            page.declaredCount ? *page.declaredCount : static_cast<uint16_t>(page.entries.size());
        put16(ifd, count);
        size_t data = ifd + 2 + 12 * page.entries.size() + 4;
        for (size_t i = 0; i < page.entries.size(); ++i) {
            const TiffEntry& e = page.entries[i];
            const size_t at = ifd + 2 + 12 * i;
            put16(at, e.tag);
            put16(at + 2, e.type);
            put32(at + 4, e.count);
            if (e.rational) {
                put32(at + 8, static_cast<uint32_t>(data));
                put32(data, e.numerator);
                put32(data + 4, e.denominator);
                data += 8;
            } else if (e.raw || e.type == kLong) {
                put32(at + 8, e.value);
            } else if (e.type == kShort) {
                put16(at + 8, static_cast<uint16_t>(e.value));
                put16(at + 10, 0);
            } else {
                put32(at + 8, e.value);
            }
        }
        uint32_t next = 0;
        if (page.next) {
            next = *page.next;
        } else if (page.loopTo) {
            next = IfdOffset(*page.loopTo);
        } else if (p + 1 < pages_.size()) {
            next = IfdOffset(p + 1);
        }
        put32(ifd + 2 + 12 * page.entries.size(), next);
        Grow(out, data);
    }
    if (padTo_ && out.size() < *padTo_) out.resize(*padTo_, padFill_);
    if (cutAt_ && out.size() > *cutAt_) out.resize(*cutAt_);
    return out;
}

Bytes DrawingTiff(const TiffFields& fields, Endian endian, size_t size) {
    TiffBuilder b(endian);
    b.AddPage(TiffEntries(fields));
    if (size) b.PadTo(size);
    return b.Build();
}

Bytes MultiPageTiff(size_t pages, Endian endian) {
    TiffBuilder b(endian);
    for (size_t i = 0; i < pages; ++i) b.AddPage(TiffEntries({}));
    return b.Build();
}

// ---------------------------------------------------------------------------------------
// Other formats

namespace {

Bytes BmpFileHeader(uint32_t headerSize) {
    Bytes b = {'B', 'M'};
    PutLe32(b, 2, 14 + headerSize);  // file size (not looked at)
    PutLe32(b, 6, 0);
    PutLe32(b, 10, 14 + headerSize);  // pixel data offset
    PutLe32(b, 14, headerSize);
    return b;
}

}  // namespace

Bytes BmpCore(uint16_t width, uint16_t height) {
    Bytes b = BmpFileHeader(12);
    PutLe16(b, 18, width);
    PutLe16(b, 20, height);
    PutLe16(b, 22, 1);   // planes
    PutLe16(b, 24, 24);  // bits per pixel
    return b;
}

Bytes BmpInfo(int32_t width, int32_t height, uint32_t headerSize) {
    Bytes b = BmpFileHeader(headerSize);
    PutLe32(b, 18, static_cast<uint32_t>(width));
    PutLe32(b, 22, static_cast<uint32_t>(height));
    PutLe16(b, 26, 1);
    PutLe16(b, 28, 24);
    PutLe32(b, 38, 3780);  // 96 dpi in pixels per metre
    PutLe32(b, 42, 3780);
    Grow(b, 14 + headerSize);
    return b;
}

Bytes BmpWithHeaderSize(uint32_t headerSize, size_t tail) {
    Bytes b = BmpFileHeader(headerSize);
    b.resize(18 + tail, 0);
    return b;
}

JpegBuilder& JpegBuilder::Soi() { return Marker(0xFFD8); }

JpegBuilder& JpegBuilder::Marker(uint16_t marker) {
    bytes_.push_back(static_cast<uint8_t>(marker >> 8));
    bytes_.push_back(static_cast<uint8_t>(marker));
    return *this;
}

JpegBuilder& JpegBuilder::MarkerWithLength(uint16_t marker, uint16_t length) {
    Marker(marker);
    return Marker(length);
}

JpegBuilder& JpegBuilder::Segment(uint16_t marker, const Bytes& payload) {
    if (payload.size() + 2 > 0xFFFF) throw std::invalid_argument("JPEG segment too long");
    MarkerWithLength(marker, static_cast<uint16_t>(payload.size() + 2));
    bytes_.insert(bytes_.end(), payload.begin(), payload.end());
    return *this;
}

JpegBuilder& JpegBuilder::Segment(uint16_t marker, size_t payloadSize) {
    return Segment(marker, Bytes(payloadSize, 0));
}

JpegBuilder& JpegBuilder::Frame(uint16_t marker, uint16_t width, uint16_t height) {
    Bytes payload = {8};
    PutBe16(payload, 1, height);
    PutBe16(payload, 3, width);
    payload.push_back(1);     // components
    payload.push_back(1);     // component id
    payload.push_back(0x11);  // sampling
    payload.push_back(0);     // quantisation table
    return Segment(marker, payload);
}

JpegBuilder& JpegBuilder::Raw(const Bytes& bytes) {
    bytes_.insert(bytes_.end(), bytes.begin(), bytes.end());
    return *this;
}

Bytes Gif(std::string_view version, uint16_t width, uint16_t height, size_t tail) {
    Bytes b = AsBytes("GIF");
    Bytes v = AsBytes(version);
    b.insert(b.end(), v.begin(), v.end());
    b.resize(6, 0);
    PutLe16(b, 6, width);
    PutLe16(b, 8, height);
    b.resize(10 + tail, 0);
    return b;
}

uint32_t Crc32(const uint8_t* data, size_t size) {
    uint32_t crc = 0xFFFFFFFFu;
    for (size_t i = 0; i < size; ++i) {
        crc ^= data[i];
        for (int k = 0; k < 8; ++k) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return crc ^ 0xFFFFFFFFu;
}

Bytes PngIhdr(uint32_t width, uint32_t height, std::string_view chunkType) {
    Bytes b = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    PutBe32(b, 8, 13);
    Bytes type = AsBytes(chunkType);
    type.resize(4, 0);
    b.insert(b.end(), type.begin(), type.end());
    PutBe32(b, 16, width);
    PutBe32(b, 20, height);
    b.push_back(8);  // bit depth
    b.push_back(0);  // gray
    b.push_back(0);
    b.push_back(0);
    b.push_back(0);
    PutBe32(b, 29, Crc32(b.data() + 12, 17));
    return b;
}

Bytes Psd(uint16_t version, uint32_t width, uint32_t height) {
    Bytes b = AsBytes("8BPS");
    PutBe16(b, 4, version);
    PutBe16(b, 12, 1);  // channels (bytes 6-11 reserved)
    PutBe32(b, 14, height);
    PutBe32(b, 18, width);
    PutBe16(b, 22, 8);
    PutBe16(b, 24, 1);
    return b;
}

Bytes PlaceableWmf(int16_t right, int16_t bottom, bool correctChecksum) {
    Bytes b;
    PutLe32(b, 0, 0x9AC6CDD7u);
    PutLe16(b, 4, 0);  // handle
    PutLe16(b, 6, 0);  // left
    PutLe16(b, 8, 0);  // top
    PutLe16(b, 10, static_cast<uint16_t>(right));
    PutLe16(b, 12, static_cast<uint16_t>(bottom));
    PutLe16(b, 14, 1440);  // units per inch
    PutLe32(b, 16, 0);
    uint16_t sum = 0;
    for (size_t i = 0; i < 20; i += 2) sum ^= static_cast<uint16_t>(b[i] | (b[i + 1] << 8));
    PutLe16(b, 20, correctChecksum ? sum : static_cast<uint16_t>(sum ^ 1));
    // The metafile header that follows a placeable header.
    PutLe16(b, 22, 1);  // type: memory
    PutLe16(b, 24, 9);  // header size in words
    PutLe16(b, 26, 0x0300);
    PutLe32(b, 28, 12);
    PutLe16(b, 32, 0);
    PutLe32(b, 34, 3);
    PutLe16(b, 38, 0);
    return b;
}

Bytes EmfHeader(int32_t right, int32_t bottom, uint32_t recordType) {
    Bytes b;
    PutLe32(b, 0, recordType);
    PutLe32(b, 4, 88);
    PutLe32(b, 8, 0);
    PutLe32(b, 12, 0);
    PutLe32(b, 16, static_cast<uint32_t>(right));
    PutLe32(b, 20, static_cast<uint32_t>(bottom));
    PutLe32(b, 32, 1000);  // frame in 0.01 mm
    PutLe32(b, 36, 1000);
    const Bytes sig = AsBytes(" EMF");
    b.resize(40, 0);
    b.insert(b.end(), sig.begin(), sig.end());
    PutLe32(b, 44, 0x10000);  // version
    PutLe32(b, 48, 88);       // bytes
    PutLe32(b, 52, 1);        // records
    PutLe16(b, 56, 1);        // handles
    b.resize(88, 0);
    return b;
}

}  // namespace vellumo::test
