// A TIFF's resolution read from its own first directory must be exactly libtiff's, on every
// TIFF the tests have: the example drawings, the fuzz seeds, files libtiff writes in every
// compression, unit and byte order, the builders' drawings, and mutations of all of them.

#include <gtest/gtest.h>
#include <tiffio.h>

#include <cstdio>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "platform/FileSource.h"
#include "platform/ResolutionReader.h"
#include "support/FileBuilders.h"
#include "support/TempDir.h"

namespace vellumo {
namespace {

using test::Bytes;
using test::TempDir;

struct Written {
    uint16_t compression, bits, samples, unit;
    float x, y;  // < 0: the tag is left out
    bool bigEndian;
    uint32_t rowsPerStrip;
};

Bytes WriteWithLibtiff(const TempDir& dir, const Written& w) {
    const std::string path = dir.File("lib.tif");
    TIFF* tif = TIFFOpen(path.c_str(), w.bigEndian ? "wb" : "wl");
    if (tif == nullptr) return {};
    const uint32_t width = 40, height = 12;
    TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, width);
    TIFFSetField(tif, TIFFTAG_IMAGELENGTH, height);
    TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, w.bits);
    TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, w.samples);
    TIFFSetField(tif, TIFFTAG_PHOTOMETRIC,
                 w.samples == 3 ? PHOTOMETRIC_RGB : PHOTOMETRIC_MINISWHITE);
    TIFFSetField(tif, TIFFTAG_COMPRESSION, w.compression);
    TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, w.rowsPerStrip);
    if (w.x >= 0) TIFFSetField(tif, TIFFTAG_XRESOLUTION, w.x);
    if (w.y >= 0) TIFFSetField(tif, TIFFTAG_YRESOLUTION, w.y);
    if (w.unit != 0) TIFFSetField(tif, TIFFTAG_RESOLUTIONUNIT, w.unit);
    std::vector<unsigned char> row(TIFFScanlineSize(tif), 0x5A);
    for (uint32_t y = 0; y < height; ++y) TIFFWriteScanline(tif, row.data(), y, 0);
    TIFFClose(tif);
    return test::ReadAll(path);
}

std::vector<Bytes> Corpus(const TempDir& dir) {
    std::vector<Bytes> files;
    // The files the other tests and the examples hold.
    // (The data folder itself need not exist: the paths are made plain before use.)
    const std::filesystem::path tests =
        (std::filesystem::path(VELLUMO_TEST_DATA) / "..").lexically_normal();
    for (const auto& folder : {tests / ".." / "examples", tests / "fuzz" / "corpus"}) {
        std::error_code ec;
        for (auto it = std::filesystem::recursive_directory_iterator(folder, ec);
             !ec && it != std::filesystem::recursive_directory_iterator(); it.increment(ec)) {
            if (!it->is_regular_file()) continue;
            Bytes b = test::ReadAll(it->path().string());
            if (b.size() >= 4 && ((b[0] == 'I' && b[1] == 'I') || (b[0] == 'M' && b[1] == 'M')))
                files.push_back(std::move(b));
        }
    }
    // libtiff's own files.
    const uint16_t compressions[] = {COMPRESSION_NONE,      COMPRESSION_LZW,
                                     COMPRESSION_PACKBITS,  COMPRESSION_ADOBE_DEFLATE,
                                     COMPRESSION_CCITTFAX3, COMPRESSION_CCITTFAX4};
    const std::pair<float, float> resolutions[] = {
        {400, 400}, {399.9f, 400}, {157.48f, 78.74f}, {0.5f, 3e9f}, {-1, 300}, {300, -1}, {-1, -1}};
    int n = 0;
    for (uint16_t c : compressions) {
        for (const auto& [x, y] : resolutions) {
            for (uint16_t unit : {0, 1, 2, 3}) {
                const bool fax = c == COMPRESSION_CCITTFAX3 || c == COMPRESSION_CCITTFAX4;
                const bool rgb = !fax && n % 3 == 0;
                files.push_back(
                    WriteWithLibtiff(dir, {c, uint16_t(fax ? 1 : 8), uint16_t(rgb ? 3 : 1), unit, x,
                                           y, n % 2 == 0, n % 4 == 0 ? 5u : 12u}));
                ++n;
            }
        }
    }
    // The builders' drawings: rationals that truncate, zero denominators, odd units.
    for (auto e : {test::Endian::Little, test::Endian::Big}) {
        test::TiffFields f;
        files.push_back(test::DrawingTiff(f, e));
        f.xResolution = std::pair<uint32_t, uint32_t>{4001, 10};
        f.yResolution = std::pair<uint32_t, uint32_t>{0xFFFFFFFFu, 3};
        files.push_back(test::DrawingTiff(f, e));
        f.yResolution = std::pair<uint32_t, uint32_t>{7, 0};
        f.resolutionUnit = 3;
        files.push_back(test::DrawingTiff(f, e));
        f.resolutionUnit = 0;
        files.push_back(test::DrawingTiff(f, e));
        f.resolutionUnit.reset();
        f.xResolution.reset();
        files.push_back(test::DrawingTiff(f, e));
    }
    return files;
}

/// Bytes changed at random, mostly in the first directory and the values it points at.
Bytes Mutated(const Bytes& original, std::mt19937& rng) {
    Bytes b = original;
    if (b.size() < 8) return b;
    const bool big = b[0] == 'M';
    const uint32_t ifd = big ? (b[4] << 24 | b[5] << 16 | b[6] << 8 | b[7])
                             : (b[7] << 24 | b[6] << 16 | b[5] << 8 | b[4]);
    const int changes = 1 + static_cast<int>(rng() % 3);
    for (int i = 0; i < changes; ++i) {
        size_t at;
        if (ifd < b.size() && rng() % 4 != 0) {
            at = ifd + rng() % std::min<size_t>(b.size() - ifd, 2 + 12 * 20 + 4);
        } else {
            at = rng() % b.size();
        }
        switch (rng() % 4) {
            case 0:
                b[at] = static_cast<uint8_t>(rng());
                break;
            case 1:
                b[at] ^= static_cast<uint8_t>(1u << (rng() % 8));
                break;
            case 2:
                b[at] = static_cast<uint8_t>(b[at] + 1);
                break;
            default:
                b[at] = 0;
                break;
        }
    }
    if (rng() % 16 == 0) b.resize(rng() % b.size());
    return b;
}

TEST(TiffDirectoryResolution, SameAsLibtiffOnEveryTestTiff) {
    TempDir dir;
    const std::vector<Bytes> corpus = Corpus(dir);
    ASSERT_GT(corpus.size(), 150u);
    std::mt19937 rng(20240611);
    int plain = 0, mutants = 0, mutantsRead = 0;
    auto compare = [&](const Bytes& bytes, const std::string& what) -> bool {
        const std::string path = dir.Write("t.tif", bytes);
        const auto file = FileSource::Open(path);
        if (!file) return false;
        const auto own = ReadTiffResolutionFromDirectory(*file);
        if (!own) return false;
        const FileResolution lib = ReadTiffResolutionWithLibtiff(*file);
        EXPECT_TRUE(lib.decoded == own->decoded && lib.dpiX == own->dpiX && lib.dpiY == own->dpiY)
            << what << ": own " << own->dpiX << " x " << own->dpiY << " (" << own->decoded
            << "), libtiff " << lib.dpiX << " x " << lib.dpiY << " (" << lib.decoded << ")";
        return true;
    };
    for (size_t i = 0; i < corpus.size(); ++i) {
        plain += compare(corpus[i], "file " + std::to_string(i));
        for (int m = 0; m < 12; ++m) {
            ++mutants;
            mutantsRead += compare(Mutated(corpus[i], rng),
                                   "mutant " + std::to_string(m) + " of file " + std::to_string(i));
        }
    }
    // Most plain files take the directory's way; so do enough mutants to mean something.
    EXPECT_GT(plain, static_cast<int>(corpus.size()) / 2);
    EXPECT_GT(mutantsRead, mutants / 10);
    std::printf("%d of %zu files and %d of %d mutants read from the directory\n", plain,
                corpus.size(), mutantsRead, mutants);
}

}  // namespace
}  // namespace vellumo
