// One zlib stream from pieces compressed on several threads: it inflates to the pieces in
// order, and a failing source or sink ends it with that failure, never a hang.

#include <gtest/gtest.h>
#include <zlib.h>

#include <stdexcept>
#include <string>

#include "save/ParallelDeflate.h"

namespace vellumo {
namespace {

std::vector<uint8_t> Inflate(const std::vector<uint8_t>& stream, size_t expected) {
    std::vector<uint8_t> out(expected + 1);
    uLongf len = uLongf(out.size());
    if (uncompress(out.data(), &len, stream.data(), uLong(stream.size())) != Z_OK) return {};
    out.resize(len);
    return out;
}

TEST(DeflateInPieces, InflatesToThePiecesInOrderOrStopsAtTheFirstFailure) {
    // Piece i: 5000 bytes that repeat bytes of the piece before, so matches cross seams.
    const size_t pieces = 23;
    auto bytesOf = [](size_t i) {
        std::vector<uint8_t> d(5000);
        for (size_t k = 0; k < d.size(); ++k) d[k] = uint8_t((k * 7 + i / 2) % 251);
        return d;
    };
    std::vector<uint8_t> whole;
    for (size_t i = 0; i < pieces; ++i) {
        const std::vector<uint8_t> d = bytesOf(i);
        whole.insert(whole.end(), d.begin(), d.end());
    }
    struct Case {
        const char* name;
        unsigned threads;
        size_t failingPiece;  // the source throws there; SIZE_MAX: never
        size_t failingWrite;  // the sink throws at that call; SIZE_MAX: never
    } cases[] = {
        {"one thread", 1, SIZE_MAX, SIZE_MAX},  {"four threads", 4, SIZE_MAX, SIZE_MAX},
        {"source fails", 3, 17, SIZE_MAX},      {"sink fails", 3, SIZE_MAX, 5},
        {"source fails alone", 1, 0, SIZE_MAX},
    };
    std::vector<uint8_t> reference;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<uint8_t> stream;
        size_t writes = 0;
        auto run = [&] {
            DeflateInPieces(
                pieces,
                [&](size_t i, std::vector<uint8_t>& data, std::vector<uint8_t>& window) {
                    if (i == c.failingPiece) throw std::runtime_error("source");
                    data = bytesOf(i);
                    for (size_t k = i; k-- > 0 && window.size() < kDeflateWindowBytes;) {
                        std::vector<uint8_t> before = bytesOf(k);
                        window.insert(window.begin(), before.begin(), before.end());
                    }
                },
                [&](const uint8_t* b, size_t n) {
                    if (writes++ == c.failingWrite) throw std::runtime_error("sink");
                    stream.insert(stream.end(), b, b + n);
                },
                7, Z_FILTERED, c.threads);
        };
        if (c.failingPiece != SIZE_MAX || c.failingWrite != SIZE_MAX) {
            EXPECT_THROW(run(), std::runtime_error);
            continue;
        }
        run();
        EXPECT_EQ(Inflate(stream, whole.size()), whole);
        EXPECT_EQ(stream[1] >> 6, 3);  // the level class of level 7
        if (reference.empty()) reference = stream;
        EXPECT_EQ(stream, reference);  // the same bytes on any number of threads
    }
}

}  // namespace
}  // namespace vellumo
