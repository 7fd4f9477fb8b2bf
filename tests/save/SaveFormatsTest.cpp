// The save command without its dialogs: names, preparation per type, captions, failures,
// and files other programs read.

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <tiffio.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>

#include "SaveTestSupport.h"
#include "save/FaxBitmap.h"
#include "save/SaveFormats.h"
#include "support/TempDir.h"

namespace vellumo {
namespace {

using test::TempDir;

TEST(SaveNames, StartsTheDialogOnTheViewedFilesType) {
    EXPECT_EQ(InitialSaveFilterIndex("/d/a.tif"), 1);
    EXPECT_EQ(InitialSaveFilterIndex("/d/a.JPG"), 2);
    EXPECT_EQ(InitialSaveFilterIndex("a.bmp"), 3);
    EXPECT_EQ(InitialSaveFilterIndex("/d.tif/a.png"), 4);
    EXPECT_EQ(InitialSaveFilterIndex("/d/scan.tiff"), 5);
    EXPECT_EQ(InitialSaveFilterIndex("/d/a.jpeg"), 5);
    EXPECT_EQ(InitialSaveFilterIndex("/d/a.gif"), 5);
    EXPECT_EQ(InitialSaveFilterIndex("/d.tif/plan"), 5);
}

TEST(SaveNames, ProposesTheViewedOrTheOpenedPdfsName) {
    SaveProposal p = ProposeSaveName("/d/scan.tiff", "", false);
    EXPECT_EQ(p.folder, "/d");
    EXPECT_EQ(p.fileName, "scan.tiff");
    EXPECT_EQ(p.orgFName, "/d/scan");
    EXPECT_EQ(p.filterIndex, 5);
    // A converted PDF: its name without extension in its folder, on the Tiff filter.
    p = ProposeSaveName("/prog/tmp.tif", "/w/plan.rev.pdf", true);
    EXPECT_EQ(p.folder, "/w");
    EXPECT_EQ(p.fileName, "plan.rev");
    EXPECT_EQ(p.orgFName, "/w/plan.rev");
    EXPECT_EQ(p.filterIndex, 1);
    p = ProposeSaveName("/a.png", "", false);
    EXPECT_EQ(p.folder, "/");
    EXPECT_EQ(p.fileName, "a.png");
    EXPECT_EQ(p.filterIndex, 4);
}

TEST(SaveNames, ResolvesTheTypeAndFinalPath) {
    struct Case {
        const char* chosen;
        int filter;
        std::optional<SaveType> type;
        const char* path;
    } cases[] = {
        {"/d/out.png", 2, SaveType::Jpeg, "/d/out.jpg"},    // the filter wins
        {"/d/OUT.PNG", 5, SaveType::Png, "/d/OUT.PNG"},     // All Graphics keeps the name
        {"/d/plan.rev", 1, SaveType::Tiff, "/d/plan.tif"},  // the last dot starts it
        {"/d/plan", 1, SaveType::Tiff, "/d/plan.tif"},      // added when missing
        {"/d.x/plan", 3, SaveType::Bmp, "/d.x/plan.bmp"},   // a folder's dot is no extension
        {"/d/a.b.c", 4, SaveType::Png, "/d/a.b.png"},
        {"/d/scan.tiff", 5, std::nullopt, "/d/scan.tiff"},
        {"/d/p.jpeg", 5, std::nullopt, "/d/p.jpeg"},
        {"/d/p", 5, std::nullopt, "/d/p"},
        {"/d/p.Tif", 5, SaveType::Tiff, "/d/p.Tif"},
        {"/d/p.bmp", 5, SaveType::Bmp, "/d/p.bmp"},
        {"/d/p.jpg", 5, SaveType::Jpeg, "/d/p.jpg"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.chosen);
        const SaveTarget t = ResolveSaveTarget(c.chosen, c.filter);
        EXPECT_EQ(t.type, c.type);
        EXPECT_EQ(t.path, c.path);
    }
}

TEST(SaveNames, NamesAnUnsupportedExtension) {
    EXPECT_EQ(UnsupportedExtensionText("/home/u/scan.TIFF"),
              "保存ファイル名：scan.TIFF\r\n拡張子「.tiff」 は、未対応ファイル形式です。  ");
    EXPECT_EQ(UnsupportedExtensionText("/home/u/noext"),
              "保存ファイル名：noext\r\n拡張子「」 は、未対応ファイル形式です。  ");
}

struct TiffFacts {
    uint16_t bits = 0, samples = 0, compression = 0;
    float xres = 0;
    std::vector<uint8_t> firstRow;
};

TiffFacts ReadTiffFacts(const std::string& path) {
    TiffFacts f;
    TIFF* tif = TIFFOpen(path.c_str(), "r");
    if (!tif) return f;
    TIFFGetField(tif, TIFFTAG_BITSPERSAMPLE, &f.bits);
    TIFFGetField(tif, TIFFTAG_SAMPLESPERPIXEL, &f.samples);
    TIFFGetField(tif, TIFFTAG_COMPRESSION, &f.compression);
    TIFFGetField(tif, TIFFTAG_XRESOLUTION, &f.xres);
    f.firstRow.resize(TIFFScanlineSize(tif));
    if (TIFFReadScanline(tif, f.firstRow.data(), 0) < 0) f.firstRow.clear();
    TIFFClose(tif);
    return f;
}

SaveOptions Tiff(TiffCompression c, double dpi = 400) {
    SaveOptions o;
    o.compression = c;
    o.dpi = dpi;
    return o;
}

TEST(SavePicture, ReducesAColourPictureForGroupFour) {
    TempDir dir;
    Bitmap colour(10, 2, PixelFormat::Bit32);
    colour.Fill(255);
    std::fill_n(colour.Row(0), 8, 0);                     // two black pixels
    colour.Row(0)[4 * 5] = colour.Row(0)[4 * 5 + 1] = 0;  // a red pixel: dark, so black
    const Bitmap before = colour;
    const std::string path = dir.File("g4.tif");
    EXPECT_EQ(SavePicture(colour, path, SaveType::Tiff, Tiff(TiffCompression::G4, 600)),
              "Tiff 保存完了：" + path);
    const TiffFacts f = ReadTiffFacts(path);
    EXPECT_EQ(f.bits, 1);
    EXPECT_EQ(f.samples, 1);
    EXPECT_EQ(f.compression, COMPRESSION_CCITTFAX4);
    EXPECT_EQ(f.xres, 600.0f);
    EXPECT_EQ(f.firstRow, (std::vector<uint8_t>{0b1100'0100, 0}));  // WhiteIsZero: 1 is black
    EXPECT_EQ(colour.ByteSize(), before.ByteSize());
    EXPECT_TRUE(std::equal(colour.Data(), colour.Data() + colour.ByteSize(), before.Data()));
}

TEST(SavePicture, ExpandsAOneBitPictureToColourForLzw) {
    TempDir dir;
    Bitmap mono(3, 1, PixelFormat::Bit1);
    mono.Palette() = {RgbQuad{0, 0, 0, 0}, RgbQuad{255, 255, 255, 0}};
    mono.Row(0)[0] = 0b0100'0000;  // black, white, black
    const std::string path = dir.File("lzw.tif");
    SavePicture(mono, path, SaveType::Tiff, Tiff(TiffCompression::Lzw));
    const TiffFacts f = ReadTiffFacts(path);
    EXPECT_EQ(f.bits, 8);
    EXPECT_EQ(f.samples, 3);
    EXPECT_EQ(f.compression, COMPRESSION_LZW);
    EXPECT_EQ(f.firstRow, (std::vector<uint8_t>{0, 0, 0, 255, 255, 255, 0, 0, 0}));
}

TEST(SavePicture, GivesTheCaptionOfEachType) {
    TempDir dir;
    const Bitmap picture = test::Pattern(PixelFormat::Bit32, 9, 9);
    SaveOptions gray;
    gray.jpegGray = true;
    EXPECT_EQ(SavePicture(picture, dir.File("a.jpg"), SaveType::Jpeg, gray),
              "Jpeg 保存完了：" + dir.File("a.jpg"));
    EXPECT_EQ(test::ReadJpegFile(dir.File("a.jpg")).components, 1);
    EXPECT_EQ(SavePicture(picture, dir.File("a.bmp"), SaveType::Bmp, {}),
              "bmp 保存完了：" + dir.File("a.bmp"));
    EXPECT_EQ(test::ReadAll(dir.File("a.bmp"))[28], 32);  // its own 32 bits
    EXPECT_EQ(SavePicture(picture, dir.File("a.png"), SaveType::Png, {}),
              " 保存完了：" + dir.File("a.png"));
    EXPECT_EQ(test::ReadPngFile(dir.File("a.png")).colorType, 6);  // RGBA
}

/// The failure a save raises, or nothing.
std::optional<SaveFailure> FailureOf(const std::function<void()>& save) {
    try {
        save();
    } catch (const SaveFailure& f) {
        return f;
    }
    return std::nullopt;
}

TEST(SavePicture, ReportsFailuresAsTheViewerShowsThem) {
    TempDir dir;
    const Bitmap picture = test::Pattern(PixelFormat::Bit24, 9, 9);
    SaveOptions noQuality;
    noQuality.jpegQuality = 0;  // an empty quality entry
    auto f = FailureOf([&] { SavePicture(picture, dir.File("q.jpg"), SaveType::Jpeg, noQuality); });
    ASSERT_TRUE(f);
    EXPECT_STREQ(f->what(), "保存出来ませんでした。 'q.jpg'");
    EXPECT_EQ(f->Display(), FailureDisplay::ErrorBox);
    EXPECT_FALSE(f->Detail().empty());

    const std::string missing = dir.File("none/x.tif");
    f = FailureOf(
        [&] { SavePicture(picture, missing, SaveType::Tiff, Tiff(TiffCompression::Zip)); });
    ASSERT_TRUE(f);
    EXPECT_STREQ(f->what(), "保存出来ませんでした。 'x.tif'");  // replaces the writer's text
    EXPECT_EQ(f->Detail(), "ファイルを作成できません。 '" + missing + "'");

    for (const SaveType type : {SaveType::Bmp, SaveType::Png}) {
        f = FailureOf([&] { SavePicture(picture, dir.File("none/x"), type, {}); });
        ASSERT_TRUE(f);
        EXPECT_STREQ(f->what(), "保存失敗。 ");
        EXPECT_EQ(f->Display(), FailureDisplay::MessageBox);
    }
    EXPECT_TRUE(test::FolderEntries(dir.Path()).empty());
}

struct TypeCase {
    SaveType type;
    SaveOptions options;
    const char* name;
};

std::vector<TypeCase> AllWriters() {
    std::vector<TypeCase> cases;
    for (int c = 0; c <= 4; ++c)
        cases.push_back({SaveType::Tiff, Tiff(TiffCompression(c)), "t.tif"});
    cases.push_back({SaveType::Jpeg, {}, "j.jpg"});
    cases.push_back({SaveType::Bmp, {}, "b.bmp"});
    cases.push_back({SaveType::Png, {}, "p.png"});
    return cases;
}

TEST(SavePicture, AFolderInTheTargetsPlaceStaysAndNoTemporaryFileIsLeft) {
    TempDir dir;
    const Bitmap picture = test::Pattern(PixelFormat::Bit24, 30, 30);
    for (const TypeCase& c : AllWriters()) {
        SCOPED_TRACE(c.name);
        const std::string target = dir.File(c.name);
        std::filesystem::create_directory(target);
        EXPECT_TRUE(FailureOf([&] { SavePicture(picture, target, c.type, c.options); }));
        EXPECT_TRUE(std::filesystem::is_directory(target));
        EXPECT_EQ(test::FolderEntries(dir.Path()), std::vector<std::string>{c.name});
        std::filesystem::remove(target);
    }
}

/// Limits the size of files this process writes (a full disk, as the writers see it).
class FileSizeLimit {
  public:
    explicit FileSizeLimit(rlim_t bytes) {
        oldHandler_ = signal(SIGXFSZ, SIG_IGN);
        getrlimit(RLIMIT_FSIZE, &old_);
        rlimit limit = old_;
        limit.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit() {
        setrlimit(RLIMIT_FSIZE, &old_);
        signal(SIGXFSZ, oldHandler_);
    }

  private:
    rlimit old_{};
    sighandler_t oldHandler_;
};

TEST(SavePicture, AFailedWriteLeavesTheExistingFileByteForByte) {
    TempDir dir;
    const Bitmap noise = test::Pattern(PixelFormat::Bit24, 300, 300);  // far above the limit
    for (const TypeCase& c : AllWriters()) {
        SCOPED_TRACE(c.name);
        const std::string target = dir.Write(c.name, std::string("the earlier file"));
        {
            FileSizeLimit limit(4096);
            EXPECT_TRUE(FailureOf([&] { SavePicture(noise, target, c.type, c.options); }));
        }
        const std::vector<uint8_t> bytes = test::ReadAll(target);
        EXPECT_EQ(std::string(bytes.begin(), bytes.end()), "the earlier file");
        EXPECT_EQ(test::FolderEntries(dir.Path()), std::vector<std::string>{c.name});
        std::filesystem::remove(target);
    }
}

TEST(SavePicture, AReadOnlyFolderKeepsItsFile) {
    if (geteuid() == 0) GTEST_SKIP() << "the superuser writes into read-only folders";
    TempDir dir;
    const std::string folder = dir.File("ro");
    std::filesystem::create_directory(folder);
    const std::string target = folder + "/keep.png";
    { std::ofstream(target) << "keep"; }
    chmod(folder.c_str(), 0555);
    const Bitmap picture = test::Pattern(PixelFormat::Bit8, 20, 20);
    for (const TypeCase& c : AllWriters()) {
        const std::string path = folder + "/keep.png";
        EXPECT_TRUE(FailureOf([&] { SavePicture(picture, path, c.type, c.options); })) << c.name;
    }
    chmod(folder.c_str(), 0755);
    EXPECT_EQ(test::FolderEntries(folder), std::vector<std::string>{"keep.png"});
    const auto bytes = test::ReadAll(target);
    EXPECT_EQ(std::string(bytes.begin(), bytes.end()), "keep");
}

TEST(SavePicture, ImageMagickReadsEveryFileWritten) {
    if (std::system("command -v identify >/dev/null 2>&1") != 0) GTEST_SKIP() << "no identify";
    TempDir dir;
    for (const PixelFormat f :
         {PixelFormat::Bit1, PixelFormat::Bit8, PixelFormat::Bit24, PixelFormat::Bit32}) {
        const Bitmap picture = test::Pattern(f, 23, 17, 11);
        for (const TypeCase& c : AllWriters()) {
            SCOPED_TRACE(std::string(BitmapFormatName(f)) + " " + c.name);
            const std::string path = dir.File(c.name);
            SavePicture(picture, path, c.type, c.options);
            int status = 0;
            const std::string out = test::RunCommand(
                "identify -format '%m %wx%h' " + test::ShellQuoted(path) + " 2>&1", &status);
            EXPECT_EQ(status, 0) << out;
            const char* magick = c.type == SaveType::Tiff   ? "TIFF"
                                 : c.type == SaveType::Jpeg ? "JPEG"
                                 : c.type == SaveType::Bmp  ? "BMP3"  // Windows V3 header
                                                            : "PNG";
            EXPECT_EQ(out, std::string(magick) + " 23x17");
        }
    }
}

}  // namespace
}  // namespace vellumo
