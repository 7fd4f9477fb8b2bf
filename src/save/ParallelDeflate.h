#pragma once
// One zlib stream made on all cores, as pigz makes it: the data comes in pieces, each piece
// is compressed on its own with the 32 KiB that precede it as its dictionary (so matches
// still reach back across the seams), every piece but the last ends with a full flush, and
// the Adler-32 sums of the pieces are combined into the stream's. The bytes written depend
// on the pieces only, never on the number of threads.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

namespace vellumo {

/// How far back a match may reach: the dictionary a piece is compressed with.
inline constexpr size_t kDeflateWindowBytes = 32768;

/// Fills `data` with the bytes of piece `piece`, and `window` with the bytes of the whole
/// data that come right before it, at most the last kDeflateWindowBytes of them (nothing
/// for piece 0). Called on several threads at once, each with vectors of its own; what it
/// throws ends the stream and reaches the caller of DeflateInPieces.
using DeflatePieceSource =
    std::function<void(size_t piece, std::vector<uint8_t>& data, std::vector<uint8_t>& window)>;
/// Takes the stream's bytes in order, on the thread that called DeflateInPieces.
using DeflateSink = std::function<void(const uint8_t* bytes, size_t len)>;

/// Hands `sink` one zlib stream (RFC 1950: header, Deflate data, Adler-32) of the `pieces`
/// pieces of `source` in order, compressed at zlib `level` with `strategy`. `threads` 0:
/// one per core; 1, or a single piece: everything on the calling thread. At most two
/// pieces per thread are held at a time, compressed or not. `piecesDone`, when given, is told
/// on the calling thread how many pieces have reached `sink`, after each one. Throws what
/// `source` or `sink` throws (every thread has stopped by then), std::bad_alloc, or Error
/// when zlib fails.
void DeflateInPieces(size_t pieces, const DeflatePieceSource& source, const DeflateSink& sink,
                     int level, int strategy, unsigned threads = 0,
                     const std::function<void(size_t piecesDone)>& piecesDone = {});

}  // namespace vellumo
