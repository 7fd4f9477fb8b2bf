#pragma once
// Byte-exact builders of the image headers the inspection tests feed to the readers. Each
// returns the whole file as bytes; nothing here depends on the code under test.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vellumo::test {

using Bytes = std::vector<uint8_t>;

/// Bytes of an ASCII or UTF-8 text, without a terminator.
Bytes AsBytes(std::string_view text);
/// `count` bytes of value `fill`.
Bytes Filled(size_t count, uint8_t fill = 0);
/// `a` followed by `b`.
Bytes Concat(Bytes a, const Bytes& b);
/// `bytes` cut to its first `size` bytes, or padded with `fill` up to `size`.
Bytes Resized(Bytes bytes, size_t size, uint8_t fill = 0);
/// Writes `value` into `bytes` at `offset` (growing it with zeros when needed).
void PutLe16(Bytes& bytes, size_t offset, uint16_t value);
void PutLe32(Bytes& bytes, size_t offset, uint32_t value);
void PutBe16(Bytes& bytes, size_t offset, uint16_t value);
void PutBe32(Bytes& bytes, size_t offset, uint32_t value);

// ---------------------------------------------------------------------------------------
// TIFF

enum class Endian { Little, Big };

/// TIFF field types used by the tests.
enum TiffType : uint16_t {
    kByte = 1,
    kAscii = 2,
    kShort = 3,
    kLong = 4,
    kRational = 5,
};

/// One directory entry. For SHORT the value sits in the first two bytes of the value field;
/// for LONG (and any raw entry) it fills the four bytes; a RATIONAL entry gets its
/// numerator and denominator placed in the data area after the directory and its value
/// field set to their offset.
struct TiffEntry {
    uint16_t tag = 0;
    uint16_t type = kShort;
    uint32_t count = 1;
    uint32_t value = 0;
    bool rational = false;
    uint32_t numerator = 0;
    uint32_t denominator = 1;
    /// Raw entries: `value` is written as a 32-bit field even for a 1- or 2-byte type.
    bool raw = false;

    static TiffEntry Short(uint16_t tag, uint16_t value);
    static TiffEntry Long(uint16_t tag, uint32_t value);
    static TiffEntry Rational(uint16_t tag, uint32_t numerator, uint32_t denominator);
    /// An entry whose four value bytes hold `value` as a 32-bit number, whatever the type.
    static TiffEntry Raw(uint16_t tag, uint16_t type, uint32_t count, uint32_t value);
};

/// The tags of a drawing TIFF; an empty optional leaves the tag out. The defaults are a
/// conforming B4 landscape drawing (5732 × 4047 pixels, 1 bit, G4, orientation 1, 400 dpi
/// in inches). `stripTags` adds PhotometricInterpretation, StripOffsets, RowsPerStrip and
/// StripByteCounts so that a TIFF library accepts the directory.
struct TiffFields {
    std::optional<uint32_t> width = 5732;
    std::optional<uint32_t> height = 4047;
    std::optional<uint16_t> bitsPerSample = 1;
    std::optional<uint16_t> compression = 4;
    std::optional<uint16_t> orientation = 1;
    std::optional<std::pair<uint32_t, uint32_t>> xResolution =
        std::pair<uint32_t, uint32_t>{400, 1};
    std::optional<std::pair<uint32_t, uint32_t>> yResolution =
        std::pair<uint32_t, uint32_t>{400, 1};
    std::optional<uint16_t> resolutionUnit = 2;
    bool stripTags = true;
};

/// The entries of `fields`, in ascending tag order. Strip data is said to lie at offset 8
/// (inside the header) so that no real data block is needed.
std::vector<TiffEntry> TiffEntries(const TiffFields& fields);

/// A TIFF file: header, then each page's directory followed by its RATIONAL data, laid out
/// in page order; the next-IFD offsets chain the pages and the last one is 0 unless
/// changed.
class TiffBuilder {
  public:
    explicit TiffBuilder(Endian endian = Endian::Little) : endian_(endian) {}

    /// Adds a page (directory) and returns its index.
    size_t AddPage(std::vector<TiffEntry> entries);
    /// The header's first-IFD offset, in place of the first page's real place.
    TiffBuilder& FirstIfdOffset(uint32_t offset);
    /// Page `page`'s next-IFD offset, as a raw number.
    TiffBuilder& NextIfdOffset(size_t page, uint32_t offset);
    /// Page `page`'s next-IFD offset pointing back at page `target`'s directory.
    TiffBuilder& LoopTo(size_t page, size_t target);
    /// The entry count written for page `page`, in place of the number of its entries.
    TiffBuilder& DeclaredEntryCount(size_t page, uint16_t count);
    /// Pads the file with `fill` bytes up to `size` (a smaller size is ignored).
    TiffBuilder& PadTo(size_t size, uint8_t fill = 0);
    /// Cuts the file to its first `size` bytes.
    TiffBuilder& CutAt(size_t size);

    /// File offset of page `page`'s directory in the built file.
    uint32_t IfdOffset(size_t page) const;
    Bytes Build() const;

  private:
    struct Page {
        std::vector<TiffEntry> entries;
        std::optional<uint32_t> next;
        std::optional<size_t> loopTo;
        std::optional<uint16_t> declaredCount;
    };
    size_t PageBytes(const Page& page) const;

    Endian endian_;
    std::vector<Page> pages_;
    std::optional<uint32_t> firstIfd_;
    std::optional<size_t> padTo_;
    uint8_t padFill_ = 0;
    std::optional<size_t> cutAt_;
};

/// A one-page drawing TIFF of `fields`, padded to `size` bytes when `size` is larger.
Bytes DrawingTiff(const TiffFields& fields = {}, Endian endian = Endian::Little, size_t size = 0);
/// A TIFF of `pages` identical drawing pages.
Bytes MultiPageTiff(size_t pages, Endian endian = Endian::Little);

// ---------------------------------------------------------------------------------------
// Other formats

/// "BM" file header and a 12-byte core header (16-bit width and height).
Bytes BmpCore(uint16_t width, uint16_t height);
/// "BM" file header and an info header of `headerSize` bytes (40, 108, 124) with signed
/// 32-bit width and height.
Bytes BmpInfo(int32_t width, int32_t height, uint32_t headerSize = 40);
/// "BM" file header whose header-size field is `headerSize`, followed by `tail` zero bytes.
Bytes BmpWithHeaderSize(uint32_t headerSize, size_t tail);

/// A JPEG marker stream built segment by segment.
class JpegBuilder {
  public:
    JpegBuilder& Soi();
    /// A marker followed by a length (payload + 2) and the payload.
    JpegBuilder& Segment(uint16_t marker, const Bytes& payload);
    /// A segment of `payloadSize` zero bytes.
    JpegBuilder& Segment(uint16_t marker, size_t payloadSize);
    /// A frame header (SOFn) of one component: precision 8, height, width.
    JpegBuilder& Frame(uint16_t marker, uint16_t width, uint16_t height);
    /// A marker with the length field given as is and no payload.
    JpegBuilder& MarkerWithLength(uint16_t marker, uint16_t length);
    JpegBuilder& Marker(uint16_t marker);
    JpegBuilder& Raw(const Bytes& bytes);
    Bytes Build() const { return bytes_; }

  private:
    Bytes bytes_;
};

/// "GIF" + version + logical screen width and height, plus `tail` zero bytes.
Bytes Gif(std::string_view version, uint16_t width, uint16_t height, size_t tail = 3);
/// PNG signature and IHDR chunk (with its CRC); `chunkType` replaces "IHDR" when given.
Bytes PngIhdr(uint32_t width, uint32_t height, std::string_view chunkType = "IHDR");
/// A PSD header: "8BPS", version, reserved, 1 channel, height, width, depth 8, mode 1.
Bytes Psd(uint16_t version, uint32_t width, uint32_t height);
/// A placeable metafile header (22 bytes) with bounding box (0, 0, right, bottom) and the
/// right checksum, or that checksum XOR 1 when `correctChecksum` is false; followed by an
/// 18-byte metafile header.
Bytes PlaceableWmf(int16_t right, int16_t bottom, bool correctChecksum = true);
/// An EMF header record (88 bytes): record type, bounds (0, 0, right, bottom), " EMF".
Bytes EmfHeader(int32_t right, int32_t bottom, uint32_t recordType = 1);

/// CRC-32 as PNG uses it.
uint32_t Crc32(const uint8_t* data, size_t size);

}  // namespace vellumo::test
