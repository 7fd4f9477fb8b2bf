#include "platform/ImageDecoder.h"

#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <new>
#include <optional>

#include "platform/FileSource.h"
#include "platform/ImageDecoderParts.h"

namespace vellumo {

namespace decode {

size_t ByteSource::ReadAt(uint64_t offset, void* out, size_t len) const {
    if (offset >= size_) return 0;
    const size_t n = size_t(std::min<uint64_t>(len, size_ - offset));
    if (!memory_.empty() || fd_ < 0) {
        if (n != 0) std::memcpy(out, memory_.data() + offset, n);
        return n;
    }
    size_t got = 0;
    while (got < n) {
        const ssize_t r =
            ::pread(fd_, static_cast<uint8_t*>(out) + got, n - got, off_t(offset + got));
        if (r < 0) {
            if (errno == EINTR) continue;
            Fail("ファイルを読み込めません（" + std::string(std::strerror(errno)) + "）");
        }
        if (r == 0) break;  // the file shrank since it was opened
        got += size_t(r);
    }
    return got;
}

const uint8_t* ByteSource::View(uint64_t offset, size_t len, std::vector<uint8_t>& scratch) const {
    if (offset > size_ || size_ - offset < len) Fail("ファイルが途中で切れています");
    if (!memory_.empty()) return memory_.data() + offset;
    if (scratch.size() < len) scratch.resize(len);
    if (ReadAt(offset, scratch.data(), len) != len) Fail("ファイルが途中で切れています");
    return scratch.data();
}

void RowPrefault::Advance(uint32_t y) {
    constexpr size_t kStep = 1 << 20;
    const size_t stride = picture_.Stride();
    const uint32_t rows = uint32_t(std::max<size_t>(1, kStep / stride));
    until_ = uint32_t(std::min<uint64_t>(uint64_t(y) + rows, picture_.Height()));
#ifdef MADV_POPULATE_WRITE
    const long page = ::sysconf(_SC_PAGESIZE);
    if (page <= 0) return;
    // Only whole pages inside the rows are touched.
    const uintptr_t begin = reinterpret_cast<uintptr_t>(picture_.Row(y));
    const uintptr_t end = begin + size_t(until_ - y) * stride;
    const uintptr_t first = (begin + uintptr_t(page) - 1) & ~uintptr_t(page - 1);
    const uintptr_t last = end & ~uintptr_t(page - 1);
    if (last > first) ::madvise(reinterpret_cast<void*>(first), last - first, MADV_POPULATE_WRITE);
#endif
}

void Fail(std::string reason) { throw Failure{std::move(reason)}; }

void CheckSize(uint64_t width, uint64_t height, const DecodeLimits& limits) {
    if (width == 0 || height == 0) Fail("画像の大きさが 0 です");
    if (width > limits.maxSide || height > limits.maxSide || width * height > limits.maxPixels) {
        Fail("画像が大きすぎます（" + std::to_string(width) + " × " + std::to_string(height) +
             "）");
    }
}

void FailNotOneBitIndexed(const std::string& pixelFormatName) {
    Fail("1bppIndexed の画像ではありません（" + pixelFormatName + "）");
}

IndexedExpander::IndexedExpander(int bits, const uint32_t (&colors)[256]) : bits_(bits) {
    std::memcpy(colors_, colors, sizeof colors_);
    if (bits >= 8) return;
    const int perByte = 8 / bits;
    const unsigned mask = (1u << bits) - 1;
    byteTable_.resize(size_t(256) * perByte);
    for (unsigned b = 0; b < 256; ++b) {
        for (int i = 0; i < perByte; ++i) {
            const unsigned index = (b >> (8 - bits * (i + 1))) & mask;
            byteTable_[b * perByte + i] = colors_[index];
        }
    }
}

void IndexedExpander::Expand(const uint8_t* src, uint8_t* dst, uint32_t count) const {
    if (bits_ >= 8) {
        for (uint32_t x = 0; x < count; ++x) std::memcpy(dst + 4 * x, &colors_[src[x]], 4);
        return;
    }
    const uint32_t perByte = 8 / uint32_t(bits_);
    const uint32_t whole = count / perByte;
    const uint32_t* table = byteTable_.data();
    const size_t chunk = size_t(perByte) * 4;
    for (uint32_t i = 0; i < whole; ++i) {
        std::memcpy(dst, table + size_t(src[i]) * perByte, chunk);
        dst += chunk;
    }
    const uint32_t rest = count - whole * perByte;
    if (rest != 0) std::memcpy(dst, table + size_t(src[whole]) * perByte, size_t(rest) * 4);
}

namespace {

inline unsigned Mul255(unsigned a, unsigned b) {  // a × b / 255, rounded
    const unsigned t = a * b + 128;
    return (t + (t >> 8)) >> 8;
}

template <typename T>
void ConvertTyped(const SampleLayout& l, const T* s, uint8_t* d, uint32_t count) {
    constexpr int kShift = sizeof(T) == 2 ? 8 : 0;
    const int n = l.samples;
    for (uint32_t x = 0; x < count; ++x, s += n, d += 4) {
        unsigned a = l.alpha >= 0 ? unsigned(s[l.alpha] >> kShift) : 255u;
        unsigned r, g, b;
        switch (l.kind) {
            case SampleLayout::Gray:
                r = g = b = l.invert ? 255u - unsigned(s[0] >> kShift) : unsigned(s[0] >> kShift);
                break;
            case SampleLayout::Cmyk: {
                unsigned c = s[0] >> kShift, m = s[1] >> kShift, y = s[2] >> kShift,
                         k = s[3] >> kShift;
                if (!l.invert) c = 255 - c, m = 255 - m, y = 255 - y, k = 255 - k;
                r = Mul255(c, k), g = Mul255(m, k), b = Mul255(y, k);
                break;
            }
            default:
                r = s[0] >> kShift, g = s[1] >> kShift, b = s[2] >> kShift;
                break;
        }
        if (l.premultiplied) {
            if (a == 0) {
                r = g = b = 0;
            } else if (a != 255) {
                r = std::min(255u, (r * 255 + a / 2) / a);
                g = std::min(255u, (g * 255 + a / 2) / a);
                b = std::min(255u, (b * 255 + a / 2) / a);
            }
        }
        d[0] = uint8_t(b), d[1] = uint8_t(g), d[2] = uint8_t(r), d[3] = uint8_t(a);
    }
}

}  // namespace

void ConvertSamples(const SampleLayout& layout, const uint8_t* src, uint8_t* dst, uint32_t count) {
    if (layout.wide) {
        // Rows of 16-bit samples start at even offsets of buffers from the allocator.
        ConvertTyped(layout, reinterpret_cast<const uint16_t*>(src), dst, count);
        return;
    }
    if (layout.kind == SampleLayout::Rgb && layout.samples == 3) {  // the common scan
        for (uint32_t x = 0; x < count; ++x, src += 3, dst += 4) {
            dst[0] = src[2], dst[1] = src[1], dst[2] = src[0], dst[3] = 255;
        }
        return;
    }
    ConvertTyped(layout, src, dst, count);
}

}  // namespace decode

namespace {

using decode::ByteSource;
using decode::Target;

ImageTypeCode Probe(const ByteSource& source) {
    uint8_t head[8] = {};
    return DecodableType(head, source.ReadAt(0, head, sizeof head));
}

decode::Frame DecodeFrame(const ByteSource& source, ImageTypeCode container, Target target,
                          const DecodeLimits& limits) {
    switch (container) {
        case kTypeBmp:
            return decode::DecodeBmp(source, target, limits);
        case kTypePng:
            return decode::DecodePng(source, target, limits);
        case kTypeJpeg:
            return decode::DecodeJpeg(source, target, limits);
        case kTypeGif:
            return decode::DecodeGif(source, target, limits);
        case kTypeTiffBig:
        case kTypeTiffLittle:
            return decode::DecodeTiff(source, target, limits);
        default:
            break;
    }
    decode::Fail("対応していない画像形式です");
}

/// Runs `work` and turns every failure on the way into the decode error of `name`.
template <typename Work>
auto Guarded(const std::string& name, Work&& work) {
    std::string reason;
    try {
        return work();
    } catch (const decode::Failure& failure) {
        reason = failure.reason;
    } catch (const DecodeError&) {
        throw;
    } catch (const Error& error) {  // a file error, or a size refused by Bitmap
        reason = error.what();
    } catch (const std::bad_alloc&) {
        reason = "メモリが足りません";
    }
    throw DecodeError(DecodeErrorText(name), reason);
}

/// Opens the file at `path` and runs `work` over its bytes.
template <typename Work>
auto WithFile(const std::string& path, Work&& work) {
    return Guarded(path, [&] {
        std::optional<FileSource> file = FileSource::Open(path);
        if (!file) decode::Fail("ファイルがありません");
        const ByteSource source(file->Descriptor(), file->Size());
        return work(source);
    });
}

DecodedImage Decode(const ByteSource& source, Target target, const DecodeLimits& limits) {
    DecodedImage image;
    image.container = Probe(source);
    image.imageTypeName = ImageTypeNameOf(image.container);
    decode::Frame frame = DecodeFrame(source, image.container, target, limits);
    image.pixelFormatName = std::move(frame.pixelFormatName);
    image.picture = std::move(frame.picture);
    image.picture.SetHasAlpha(image.picture.Format() == PixelFormat::Bit32);
    return image;
}

Bitmap LoadOneBit(const ByteSource& source, const DecodeLimits& limits) {
    const ImageTypeCode container = Probe(source);
    if (container == kTypeJpeg || container == kTypeGif) {
        // These never hold a one-bit palette image (a GIF is always 8bppIndexed).
        decode::FailNotOneBitIndexed(container == kTypeGif ? "8bppIndexed" : "Jpeg");
    }
    decode::Frame frame = DecodeFrame(source, container, Target::OneBitIndexed, limits);
    return std::move(frame.picture);
}

}  // namespace

const char* ImageTypeNameOf(ImageTypeCode container) {
    switch (container) {
        case kTypeBmp:
            return "Bitmap";
        case kTypePng:
            return "Png";
        case kTypeJpeg:
            return "Jpeg";
        case kTypeGif:
            return "Gif";
        case kTypeTiffBig:
        case kTypeTiffLittle:
            return "Tiff";
        default:
            break;
    }
    return "不明";
}

std::string DecodeErrorText(const std::string& path) {
    const size_t slash = path.find_last_of('/');
    const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    return "【 " + name + " 】" + "  は表示できません。　 " + "\r\n\r\n" +
           "　画像データを確認してください。" + "\r\n\r\n";
}

DecodedImage DecodeImage(const std::string& path, const DecodeLimits& limits) {
    return WithFile(
        path, [&](const ByteSource& source) { return Decode(source, Target::Picture32, limits); });
}

DecodedImage DecodeImage(std::span<const uint8_t> bytes, const std::string& name,
                         const DecodeLimits& limits) {
    return Guarded(name, [&] { return Decode(ByteSource(bytes), Target::Picture32, limits); });
}

DecodedImage DecodeTwoColourAsOneBit(const std::string& path, const DecodeLimits& limits) {
    return WithFile(path, [&](const ByteSource& source) {
        return Decode(source, Target::OneBitWhereTwoColour, limits);
    });
}

DecodedImage DecodeTwoColourAsOneBit(std::span<const uint8_t> bytes, const std::string& name,
                                     const DecodeLimits& limits) {
    return Guarded(name,
                   [&] { return Decode(ByteSource(bytes), Target::OneBitWhereTwoColour, limits); });
}

Bitmap LoadOneBitIndexed(const std::string& path, const DecodeLimits& limits) {
    return WithFile(path, [&](const ByteSource& source) { return LoadOneBit(source, limits); });
}

Bitmap LoadOneBitIndexed(std::span<const uint8_t> bytes, const std::string& name,
                         const DecodeLimits& limits) {
    return Guarded(name, [&] { return LoadOneBit(ByteSource(bytes), limits); });
}

}  // namespace vellumo
