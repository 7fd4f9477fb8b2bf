#pragma once
// One piece of a Deflate stream that others follow: libdeflate compresses it whole, and
// every piece but the last is then made joinable. Its final block loses the final mark,
// and an empty stored block ends it on a byte boundary, so the next piece's data can
// simply follow (the same ending zlib's full flush gives).

#include <zlib.h>

#include <cstddef>
#include <cstdint>
#include <vector>

struct libdeflate_compressor;

namespace vellumo {

class PieceDeflater {
  public:
    /// `level`: libdeflate's compression level, 0 (stored only) to 12; Error otherwise.
    explicit PieceDeflater(int level);
    PieceDeflater(const PieceDeflater&) = delete;
    PieceDeflater& operator=(const PieceDeflater&) = delete;
    ~PieceDeflater();

    /// Replaces `out` with the raw Deflate data of `data`: ending the stream when `last`,
    /// else joinable as above. Throws Error when the data cannot be compressed or the
    /// piece's blocks are not what they should be, std::bad_alloc when memory runs out.
    void Compress(const uint8_t* data, size_t size, bool last, std::vector<uint8_t>& out);

  private:
    /// Finds the final block of `out` by inflating it block by block and makes the piece
    /// joinable; `size` is what it must inflate to.
    void MakeJoinable(std::vector<uint8_t>& out, size_t size);

    libdeflate_compressor* compressor_ = nullptr;
    z_stream inflater_{};
    bool inflaterReady_ = false;
    std::vector<uint8_t> scratch_;  // inflated bytes, only counted
};

}  // namespace vellumo
