// One zlib stream from pieces compressed on several threads: it inflates to the pieces in
// order with the right Adler-32, and a failing source or sink ends it with that failure,
// never a hang.

#include <gtest/gtest.h>
#include <zlib.h>

#include <stdexcept>
#include <string>

#include "save/ParallelDeflate.h"

namespace vellumo {
namespace {

/// The zlib stream inflated, its Adler-32 checked; empty when it is not one whole stream.
std::vector<uint8_t> Inflate(const std::vector<uint8_t>& stream, size_t expected) {
    std::vector<uint8_t> out(expected + 1);
    uLongf len = uLongf(out.size());
    if (uncompress(out.data(), &len, stream.data(), uLong(stream.size())) != Z_OK) return {};
    out.resize(len);
    return out;
}

/// Pieces of every kind a seam must survive: empty and tiny ones, text that repeats the
/// piece before, and random bytes, which libdeflate keeps in stored blocks (so a stored
/// block ends those pieces, on a byte boundary already).
std::vector<uint8_t> BytesOf(size_t i) {
    static const size_t sizes[] = {5000, 0, 1, 2, 70000, 3, 200000, 5000, 0, 40000, 7};
    std::vector<uint8_t> d(sizes[i % std::size(sizes)]);
    uint32_t seed = uint32_t(i) * 2654435761u + 1;
    for (size_t k = 0; k < d.size(); ++k) {
        seed = seed * 1103515245u + 12345u;
        d[k] = i % 3 == 0 ? uint8_t(seed >> 24) : uint8_t((k * 7 + i / 2) % 251);
    }
    return d;
}

TEST(DeflateInPieces, InflatesToThePiecesInOrderOrStopsAtTheFirstFailure) {
    const size_t pieces = 23;
    struct Case {
        const char* name;
        size_t pieces;
        unsigned threads;
        int level;
        size_t failingPiece;  // the source throws there; SIZE_MAX: never
        size_t failingWrite;  // the sink throws at that call; SIZE_MAX: never
    } cases[] = {
        {"one thread", pieces, 1, 7, SIZE_MAX, SIZE_MAX},
        {"four threads", pieces, 4, 7, SIZE_MAX, SIZE_MAX},
        {"level 5", pieces, 2, 5, SIZE_MAX, SIZE_MAX},
        {"one piece", 1, 2, 7, SIZE_MAX, SIZE_MAX},
        {"no piece", 0, 2, 7, SIZE_MAX, SIZE_MAX},
        {"source fails", pieces, 3, 7, 17, SIZE_MAX},
        {"sink fails", pieces, 3, 7, SIZE_MAX, 5},
        {"source fails alone", pieces, 1, 7, 0, SIZE_MAX},
    };
    std::vector<uint8_t> reference;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<uint8_t> stream;
        size_t writes = 0;
        auto run = [&] {
            DeflateInPieces(
                c.pieces,
                [&](size_t i, std::vector<uint8_t>& data) {
                    if (i == c.failingPiece) throw std::runtime_error("source");
                    data = BytesOf(i);
                },
                [&](const uint8_t* b, size_t n) {
                    if (writes++ == c.failingWrite) throw std::runtime_error("sink");
                    stream.insert(stream.end(), b, b + n);
                },
                c.level, c.threads);
        };
        if (c.failingPiece != SIZE_MAX || c.failingWrite != SIZE_MAX) {
            EXPECT_THROW(run(), std::runtime_error);
            continue;
        }
        run();
        std::vector<uint8_t> expected;
        for (size_t i = 0; i < c.pieces; ++i) {
            const std::vector<uint8_t> d = BytesOf(i);
            expected.insert(expected.end(), d.begin(), d.end());
        }
        EXPECT_EQ(Inflate(stream, expected.size()), expected);
        EXPECT_EQ(stream[1] >> 6, c.level == 7 ? 3 : 1);  // the level class
        if (c.pieces != pieces || c.level != 7) continue;
        if (reference.empty()) reference = stream;
        EXPECT_EQ(stream, reference);  // the same bytes on any number of threads
    }
}

}  // namespace
}  // namespace vellumo
