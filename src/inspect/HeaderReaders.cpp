#include "inspect/HeaderReaders.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <optional>

#include "platform/Error.h"
#include "platform/FileSource.h"

namespace vellumo {

std::string InvalidFileText(const std::string& path, std::string_view kind) {
    std::string text = path;
    text += "    \r\n不正な ";
    text += kind;
    text += " ファイルです";
    return text;
}

void RaiseInvalidFile(const std::string& path, std::string_view kind) {
    throw Error(InvalidFileText(path, kind));
}

uint16_t WmfHeaderChecksum(const unsigned char (&header)[20]) {
    uint16_t sum = 0;
    for (int i = 0; i < 20; i += 2) sum ^= static_cast<uint16_t>(header[i] | (header[i + 1] << 8));
    return sum;
}

namespace {

bool BytesAre(const FileSource& file, uint64_t offset, std::string_view expected) {
    unsigned char b[8];
    file.Read(offset, b, expected.size());
    return std::memcmp(b, expected.data(), expected.size()) == 0;
}

int32_t AsSigned32(uint32_t v) { return static_cast<int32_t>(v); }

}  // namespace

bool ReadBmpSize(const FileSource& file, uint32_t& width, uint32_t& height) {
    if (!BytesAre(file, 0, "BM")) RaiseInvalidFile(file.Path(), "BMP");
    const uint32_t headerSize = file.Le32(14);
    if (headerSize < 12) RaiseInvalidFile(file.Path(), "BMP");
    if (headerSize == 12) {
        width = file.Le16(18);
        height = file.Le16(20);
    } else {
        width = file.Le32(18);
        // Bottom-up and top-down bitmaps give the same height. The magnitude of INT_MIN
        // does not fit a signed value; taken unsigned it is 2^31.
        const int32_t h = AsSigned32(file.Le32(22));
        height = h < 0 ? 0u - static_cast<uint32_t>(h) : static_cast<uint32_t>(h);
    }
    return true;
}

namespace {

// The marker walk only moves forward, so it reads the file through one buffer that moves
// forward too: every byte is read at most once, and the bytes a segment length skips are
// not read at all. Bytes past the end read as zero.
class ForwardReader {
  public:
    explicit ForwardReader(const FileSource& file)
        : file_(file), buffer_(std::make_unique_for_overwrite<unsigned char[]>(kSize)) {}

    uint16_t Be16(uint64_t pos) {
        if (!filled_ || pos < start_ || pos - start_ > kSize - 2) Fill(pos);
        const unsigned char* b = buffer_.get() + (pos - start_);
        return static_cast<uint16_t>((b[0] << 8) | b[1]);
    }

    /// A place at or after `pos` up to which every byte is zero, at most the first nonzero
    /// one: the first nonzero byte of the buffer, or past the buffer the end of a hole of
    /// a sparse file, which is not read at all.
    uint64_t SkipZeros(uint64_t pos) {
        if (!filled_ || pos < start_ || pos - start_ >= kSize) Fill(pos);
        const unsigned char* b = buffer_.get();
        size_t i = static_cast<size_t>(pos - start_);
        while (i < kSize && b[i] == 0) ++i;
        if (i < kSize) return start_ + i;
        return std::max(start_ + kSize, file_.NextData(start_ + kSize));
    }

  private:
    static constexpr size_t kSize = 64 * 1024;

    void Fill(uint64_t pos) {
        start_ = pos;
        file_.Read(pos, buffer_.get(), kSize);
        filled_ = true;
    }

    const FileSource& file_;
    std::unique_ptr<unsigned char[]> buffer_;
    uint64_t start_ = 0;
    bool filled_ = false;
};

}  // namespace

bool ReadJpegSize(const FileSource& file, uint32_t& width, uint32_t& height) {
    if (file.Be16(0) != 0xFFD8) RaiseInvalidFile(file.Path(), "JPG");
    const uint64_t size = file.Size();
    // The walk ends invalid once it reaches the file's last byte or beyond.
    auto atEnd = [size](uint64_t pos) { return size == 0 || pos >= size - 1; };
    ForwardReader reader(file);
    uint64_t pos = 2;
    for (;;) {
        if (atEnd(pos)) RaiseInvalidFile(file.Path(), "JPG");
        const uint16_t marker = reader.Be16(pos);
        pos += 2;
        if (marker >= 0xFFC0 && marker <= 0xFFCF && marker != 0xFFC4 && marker != 0xFFC8 &&
            marker != 0xFFCC) {
            // Frame header: length and sample precision, then height and width.
            height = file.Be16(pos + 3);
            width = file.Be16(pos + 5);
            return true;
        }
        if (marker == 0xFFD9 || atEnd(pos)) RaiseInvalidFile(file.Path(), "JPG");
        // Every other marker is taken to carry a length; a length below 2 still moves the
        // walk forward past the marker, so it always ends.
        const uint16_t length = reader.Be16(pos);
        if (marker == 0 && length == 0) {
            // Zeros (a hole in a sparse file): the walk steps two bytes at a time while the
            // four bytes at its place are zero. It goes in one step to the first place
            // whose four bytes reach the next nonzero byte (or the buffer's end).
            const uint64_t here = pos - 2;
            const uint64_t reach = reader.SkipZeros(pos + 2) - 3;  // at least here + 1
            pos = here + 2 * std::max<uint64_t>(1, (reach - here + 1) / 2);
            continue;
        }
        pos += length;
    }
}

bool ReadWmfSize(const FileSource& file, uint32_t& width, uint32_t& height) {
    unsigned char header[22];
    file.Read(0, header, sizeof header);
    const uint32_t key =
        static_cast<uint32_t>(header[0]) | (static_cast<uint32_t>(header[1]) << 8) |
        (static_cast<uint32_t>(header[2]) << 16) | (static_cast<uint32_t>(header[3]) << 24);
    unsigned char first20[20];
    std::memcpy(first20, header, 20);
    const uint16_t stored = static_cast<uint16_t>(header[20] | (header[21] << 8));
    if (key != 0x9AC6CDD7u || WmfHeaderChecksum(first20) != stored)
        RaiseInvalidFile(file.Path(), "WMF");
    width = static_cast<uint32_t>(static_cast<int32_t>(static_cast<int16_t>(file.Le16(10))));
    height = static_cast<uint32_t>(static_cast<int32_t>(static_cast<int16_t>(file.Le16(12))));
    return true;
}

bool ReadEmfSize(const FileSource& file, uint32_t& width, uint32_t& height) {
    if (file.Le32(0) != 1 || !BytesAre(file, 40, " EMF")) RaiseInvalidFile(file.Path(), "EMF");
    // Bounds right/bottom plus one, in wrap-around arithmetic like the 32-bit original.
    width = file.Le32(16) + 1u;
    height = file.Le32(20) + 1u;
    return true;
}

bool ReadGifSize(const FileSource& file, uint32_t& width, uint32_t& height) {
    if (!BytesAre(file, 0, "GIF") || !(BytesAre(file, 3, "87a") || BytesAre(file, 3, "89a")))
        RaiseInvalidFile(file.Path(), "GIF");
    width = file.Le16(6);
    height = file.Le16(8);
    return true;
}

bool ReadPngSize(const FileSource& file, uint32_t& width, uint32_t& height) {
    if (file.U8(0) != 0x89 || !BytesAre(file, 1, "PNG\r\n") || !BytesAre(file, 6, "\x1a\n"))
        RaiseInvalidFile(file.Path(), "PNG");
    if (!BytesAre(file, 12, "IHDR")) RaiseInvalidFile(file.Path(), "PNG");
    width = file.Be32(16);
    height = file.Be32(20);
    return true;
}

bool ReadPsdSize(const FileSource& file, uint32_t& width, uint32_t& height) {
    if (!BytesAre(file, 0, "8BPS") || file.Be16(4) != 1) RaiseInvalidFile(file.Path(), "PSD");
    width = file.Be32(18);
    height = file.Be32(14);
    return true;
}

namespace {

template <bool (*Reader)(const FileSource&, uint32_t&, uint32_t&)>
bool ByPath(const std::string& path, uint32_t& width, uint32_t& height, std::string_view kind) {
    std::optional<FileSource> file = FileSource::Open(path);
    if (!file) RaiseInvalidFile(path, kind);  // reads as an empty file, which no test passes
    return Reader(*file, width, height);
}

}  // namespace

bool ReadBmpSize(const std::string& p, uint32_t& w, uint32_t& h) {
    return ByPath<ReadBmpSize>(p, w, h, "BMP");
}
bool ReadJpegSize(const std::string& p, uint32_t& w, uint32_t& h) {
    return ByPath<ReadJpegSize>(p, w, h, "JPG");
}
bool ReadWmfSize(const std::string& p, uint32_t& w, uint32_t& h) {
    return ByPath<ReadWmfSize>(p, w, h, "WMF");
}
bool ReadEmfSize(const std::string& p, uint32_t& w, uint32_t& h) {
    return ByPath<ReadEmfSize>(p, w, h, "EMF");
}
bool ReadGifSize(const std::string& p, uint32_t& w, uint32_t& h) {
    return ByPath<ReadGifSize>(p, w, h, "GIF");
}
bool ReadPngSize(const std::string& p, uint32_t& w, uint32_t& h) {
    return ByPath<ReadPngSize>(p, w, h, "PNG");
}
bool ReadPsdSize(const std::string& p, uint32_t& w, uint32_t& h) {
    return ByPath<ReadPsdSize>(p, w, h, "PSD");
}

}  // namespace vellumo
