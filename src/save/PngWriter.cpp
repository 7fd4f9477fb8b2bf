#include "save/PngWriter.h"

#include <libdeflate.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <functional>
#include <vector>

#include "platform/AtomicFile.h"
#include "platform/Error.h"
#include "platform/RowUnpack.h"
#include "save/ParallelDeflate.h"
#include "save/PngRowFilter.h"

namespace vellumo {

namespace {

constexpr double kInchesPerMetre = 0.0254;
constexpr size_t kMaxChunkData = 65535;

enum : uint8_t { kColorPalette = 3, kColorRgb = 2, kColorRgba = 6 };

/// The number of palette entries a 1-, 4- or 8-bit picture needs: its colour table, or more
/// when some pixel's index lies past the table's end.
unsigned PaletteEntries(const Bitmap& picture) {
    const unsigned full = 1u << picture.Bits();
    const unsigned have = static_cast<unsigned>(std::min<size_t>(picture.Palette().size(), full));
    if (have == full) return full;
    unsigned maxIndex = 0;
    for (uint32_t y = 0; y < picture.Height() && maxIndex + 1 < full; ++y) {
        if (picture.Format() == PixelFormat::Bit8) {
            const uint8_t* s = picture.Row(y);
            maxIndex = std::max<unsigned>(maxIndex, *std::max_element(s, s + picture.Width()));
        } else {
            for (uint32_t x = 0; x < picture.Width(); ++x)
                maxIndex = std::max<unsigned>(maxIndex, picture.PixelIndex(x, y));
        }
    }
    return std::max(have, maxIndex + 1);
}

/// The rows of the picture as the file stores them before filtering, and how they are
/// filtered and compressed.
class PngRows {
  public:
    explicit PngRows(const Bitmap& picture) : picture_(picture), rgb_(picture, ChannelOrder::Rgb) {
        switch (picture.Format()) {
            case PixelFormat::Bit32:
                colorType_ = kColorRgba;
                level_ = 7;
                filtering_ = PngFiltering::Sub;
                break;
            case PixelFormat::Bit1:
            case PixelFormat::Bit4:
            case PixelFormat::Bit8:
                colorType_ = kColorPalette;
                bitDepth_ = uint8_t(picture.Bits());
                break;
            default:
                break;
        }
        const unsigned bits = colorType_ == kColorPalette ? bitDepth_
                              : colorType_ == kColorRgba  ? 32u
                                                          : 24u;
        rowBytes_ = (size_t(picture.Width()) * bits + 7) / 8;
        pixelBytes_ = std::max(1u, bits / 8);
    }

    uint8_t ColorType() const { return colorType_; }
    uint8_t BitDepth() const { return bitDepth_; }
    int Level() const { return level_; }
    size_t RowBytes() const { return rowBytes_; }
    size_t FilteredRowBytes() const { return rowBytes_ + 1; }

    /// Appends the filtered rows [y0, y1) to `out`.
    void Filter(uint32_t y0, uint32_t y1, std::vector<uint8_t>& out) const {
        PngRowFilter filter(filtering_, rowBytes_, pixelBytes_);
        std::vector<uint8_t> previous(rowBytes_, 0);
        std::vector<uint8_t> current(rowBytes_);
        if (y0 > 0) Raw(y0 - 1, previous.data());
        size_t at = out.size();
        out.resize(at + size_t(y1 - y0) * FilteredRowBytes());
        for (uint32_t y = y0; y < y1; ++y, at += FilteredRowBytes()) {
            Raw(y, current.data());
            filter.Filter(current.data(), previous.data(), out.data() + at);
            std::swap(previous, current);
        }
    }

  private:
    void Raw(uint32_t y, uint8_t* out) const {
        const uint8_t* s = picture_.Row(y);
        const uint32_t w = picture_.Width();
        switch (colorType_) {
            case kColorRgba:
                // Without alpha the picture is drawn opaque, and so it is written.
                if (picture_.HasAlpha()) {
                    for (uint32_t x = 0; x < w; ++x, s += 4, out += 4)
                        out[0] = s[2], out[1] = s[1], out[2] = s[0], out[3] = s[3];
                } else {
                    for (uint32_t x = 0; x < w; ++x, s += 4, out += 4)
                        out[0] = s[2], out[1] = s[1], out[2] = s[0], out[3] = 255;
                }
                return;
            case kColorPalette: {
                std::memcpy(out, s, rowBytes_);
                // Bits past the last pixel are the bitmap's padding: zero, for a file that
                // does not depend on them.
                const unsigned used = unsigned(size_t(w) * bitDepth_ % 8);
                if (used != 0) out[rowBytes_ - 1] &= uint8_t(0xFF00u >> used);
                return;
            }
            default:
                if (picture_.Format() == PixelFormat::Bit24) {
                    for (uint32_t x = 0; x < w; ++x, s += 3, out += 3)
                        out[0] = s[2], out[1] = s[1], out[2] = s[0];
                } else {
                    rgb_.Unpack(y, out);
                }
                return;
        }
    }

    const Bitmap& picture_;
    const RowUnpacker rgb_;
    uint8_t colorType_ = kColorRgb;
    uint8_t bitDepth_ = 8;
    int level_ = 5;
    PngFiltering filtering_ = PngFiltering::Adaptive;
    size_t rowBytes_ = 0;
    unsigned pixelBytes_ = 3;
};

void Put32(std::vector<uint8_t>& out, uint32_t v) {
    const uint8_t b[4] = {uint8_t(v >> 24), uint8_t(v >> 16), uint8_t(v >> 8), uint8_t(v)};
    out.insert(out.end(), b, b + 4);
}

/// Writes whole chunks: length, type, data, CRC.
class ChunkWriter {
  public:
    explicit ChunkWriter(AtomicFile& file) : file_(file) {}

    void Chunk(const char (&type)[5], const uint8_t* data, size_t len) {
        std::vector<uint8_t> head;
        Put32(head, uint32_t(len));
        head.insert(head.end(), type, type + 4);
        uint32_t crc = libdeflate_crc32(0, type, 4);
        if (len != 0) crc = libdeflate_crc32(crc, data, len);
        std::vector<uint8_t> tail;
        Put32(tail, crc);
        file_.Write(head.data(), head.size());
        if (len != 0) file_.Write(data, len);
        file_.Write(tail.data(), tail.size());
    }

  private:
    AtomicFile& file_;
};

/// Cuts the compressed stream into IDAT chunks of kMaxChunkData bytes, the last shorter.
class DataChunks {
  public:
    explicit DataChunks(ChunkWriter& chunks) : chunks_(chunks) { pending_.reserve(kMaxChunkData); }

    void Add(const uint8_t* bytes, size_t len) {
        while (len != 0) {
            const size_t n = std::min(len, kMaxChunkData - pending_.size());
            pending_.insert(pending_.end(), bytes, bytes + n);
            bytes += n;
            len -= n;
            if (pending_.size() == kMaxChunkData) Flush();
        }
    }
    void Finish() {
        if (!pending_.empty()) Flush();
    }

  private:
    void Flush() {
        chunks_.Chunk("IDAT", pending_.data(), pending_.size());
        pending_.clear();
    }
    ChunkWriter& chunks_;
    std::vector<uint8_t> pending_;
};

void WriteHeaderChunks(ChunkWriter& chunks, const Bitmap& picture, const PngRows& rows,
                       std::optional<double> dpi) {
    std::vector<uint8_t> ihdr;
    Put32(ihdr, picture.Width());
    Put32(ihdr, picture.Height());
    // Bit depth, colour type, Deflate, adaptive filtering method, no interlacing.
    const uint8_t rest[5] = {rows.BitDepth(), rows.ColorType(), 0, 0, 0};
    ihdr.insert(ihdr.end(), rest, rest + 5);
    chunks.Chunk("IHDR", ihdr.data(), ihdr.size());
    if (rows.ColorType() == kColorPalette) {
        std::vector<uint8_t> plte;
        const unsigned entries = PaletteEntries(picture);
        for (unsigned i = 0; i < entries; ++i) {
            const RgbQuad c = PaletteColor(picture.Palette(), i);
            plte.insert(plte.end(), {c.r, c.g, c.b});
        }
        chunks.Chunk("PLTE", plte.data(), plte.size());
    }
    if (dpi) {
        const auto ppm = static_cast<uint32_t>(std::lround(*dpi / kInchesPerMetre));
        std::vector<uint8_t> phys;
        Put32(phys, ppm);
        Put32(phys, ppm);
        phys.push_back(1);  // the unit is the metre
        chunks.Chunk("pHYs", phys.data(), phys.size());
    }
}

}  // namespace

void WritePng(const Bitmap& picture, const std::string& path, std::optional<double> dpi,
              const PngStreamOptions& stream, const WriteProgress& progress) {
    if (picture.Empty()) throw Error("画像が空です");
    if (dpi && !(std::isfinite(*dpi) && *dpi > 0.0 && *dpi / kInchesPerMetre < 2147483647.0))
        throw Error("解像度が不正です");
    const PngRows rows(picture);
    AtomicFile file(path);
    static const uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    file.Write(kSignature, sizeof kSignature);
    ChunkWriter chunks(file);
    WriteHeaderChunks(chunks, picture, rows, dpi);

    const uint32_t height = picture.Height();
    const size_t rowsPerPiece =
        std::clamp<size_t>(stream.pieceBytes / rows.FilteredRowBytes(), 1, height);
    const size_t pieces = (height + rowsPerPiece - 1) / rowsPerPiece;
    const DeflatePieceSource source = [&](size_t piece, std::vector<uint8_t>& data) {
        const uint32_t y0 = uint32_t(piece * rowsPerPiece);
        const uint32_t y1 = uint32_t(std::min<size_t>(height, y0 + rowsPerPiece));
        rows.Filter(y0, y1, data);
    };
    DataChunks idat(chunks);
    std::function<void(size_t)> piecesDone;
    if (progress) piecesDone = [&](size_t done) { progress(double(done) / double(pieces)); };
    DeflateInPieces(
        pieces, source, [&](const uint8_t* bytes, size_t len) { idat.Add(bytes, len); },
        rows.Level(), stream.threads, piecesDone);
    idat.Finish();
    chunks.Chunk("IEND", nullptr, 0);
    file.Commit();
}

}  // namespace vellumo
