#include "save/DeflatePiece.h"

#include <libdeflate.h>

#include <algorithm>
#include <climits>
#include <new>

#include "platform/Error.h"

namespace vellumo {

namespace {

const char kCannotCompress[] = "データを圧縮できません";

/// The inflater's output between block ends; only its length matters.
constexpr size_t kScratchBytes = size_t(1) << 18;

}  // namespace

PieceDeflater::PieceDeflater(int level) {
    if (level < 0 || level > 12) throw Error("圧縮レベルが不正です");
    compressor_ = libdeflate_alloc_compressor(level);
    if (compressor_ == nullptr) throw std::bad_alloc();
}

PieceDeflater::~PieceDeflater() {
    if (inflaterReady_) inflateEnd(&inflater_);
    libdeflate_free_compressor(compressor_);
}

void PieceDeflater::Compress(const uint8_t* data, size_t size, bool last,
                             std::vector<uint8_t>& out) {
    // Room for the data and for the joinable ending (at most 5 bytes more).
    out.resize(libdeflate_deflate_compress_bound(compressor_, size) + 8);
    const size_t n = libdeflate_deflate_compress(compressor_, data, size, out.data(), out.size());
    if (n == 0) throw Error(kCannotCompress);
    out.resize(n);
    if (!last) MakeJoinable(out, size);
}

void PieceDeflater::MakeJoinable(std::vector<uint8_t>& out, size_t size) {
    if (!inflaterReady_) {
        if (inflateInit2(&inflater_, -15) != Z_OK) throw std::bad_alloc();
        inflaterReady_ = true;
        scratch_.resize(kScratchBytes);
    } else if (inflateReset(&inflater_) != Z_OK) {
        throw Error(kCannotCompress);
    }
    // With Z_BLOCK inflate stops after each block; data_type then holds 128, 64 when that
    // block was the final one, and in its low 3 bits the count of bits taken but not used.
    // So each block's first bit is known as the blocks go by, and where the data ends.
    size_t finalHeaderBit = 0;
    unsigned unusedBits = 0;
    size_t inDone = 0;
    size_t outDone = 0;
    for (int rc = Z_OK; rc != Z_STREAM_END;) {
        const size_t inStep = std::min<size_t>(out.size() - inDone, UINT_MAX);
        inflater_.next_in = out.data() + inDone;
        inflater_.avail_in = uInt(inStep);
        inflater_.next_out = scratch_.data();
        inflater_.avail_out = uInt(scratch_.size());
        rc = inflate(&inflater_, Z_BLOCK);
        // Z_BUF_ERROR: the data ended inside a block.
        if (rc != Z_OK && rc != Z_STREAM_END) throw Error(kCannotCompress);
        inDone += inStep - inflater_.avail_in;
        outDone += scratch_.size() - inflater_.avail_out;
        const int state = inflater_.data_type;
        if (rc == Z_OK && (state & 128) != 0) {
            if ((state & 64) == 0)
                finalHeaderBit = inDone * 8 - unsigned(state & 7);
            else
                unusedBits = unsigned(state & 7);
        }
    }
    // Anything else would mean the bits were misread: never write such a stream.
    const size_t byte = finalHeaderBit / 8;
    const uint8_t finalMark = uint8_t(1u << (finalHeaderBit % 8));
    if (outDone != size || inDone != out.size() || byte >= out.size() ||
        (out[byte] & finalMark) == 0)
        throw Error(kCannotCompress);
    out[byte] &= uint8_t(~finalMark);
    // The empty stored block: three zero header bits where the data ends, then up to the
    // byte boundary, then LEN 0 and its complement.
    if (unusedBits != 0) out.back() &= uint8_t(0xFFu >> unusedBits);
    if (unusedBits < 3) out.push_back(0);
    out.insert(out.end(), {0x00, 0x00, 0xFF, 0xFF});
}

}  // namespace vellumo
