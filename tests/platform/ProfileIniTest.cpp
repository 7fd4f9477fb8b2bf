// The INI file under the settings: Windows profile semantics for reading, and writing that
// keeps everything the program does not own.

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <fstream>
#include <sstream>
#include <string>

#include "platform/Error.h"
#include "platform/ProfileIni.h"
#include "support/TempDir.h"

namespace vellumo {
namespace {

using test::TempDir;

using test::ReadText;

ProfileIni Parsed(std::string_view text) { return ProfileIni::FromText("unused.ini", text); }

TEST(ProfileIni, IntegersInDecimalAndBothHexadecimalForms) {
    struct Row {
        const char* text;
        std::optional<int32_t> value;
    };
    const Row rows[] = {
        {"0", 0},
        {"42", 42},
        {"-7", -7},
        {"+5", 5},
        {"  12", 12},
        {"007", 7},
        {"0x3", 3},
        {"0X1f", 31},
        {"$FF", 255},
        {"$ff", 255},
        {"-$10", -16},
        {"$FFFFFFFF", -1},
        {"0x80000000", INT32_MIN},
        {"2147483647", INT32_MAX},
        {"-2147483648", INT32_MIN},
        {"2147483648", std::nullopt},
        {"-2147483649", std::nullopt},
        {"99999999999", std::nullopt},
        {"$100000000", std::nullopt},
        {"$000000000000FF", 255},  // leading zeros are not an overflow
        {"", std::nullopt},
        {"abc", std::nullopt},
        {"12abc", std::nullopt},
        {"1.5", std::nullopt},
        {"1e3", std::nullopt},
        {"0x", std::nullopt},
        {"$", std::nullopt},
        {"-", std::nullopt},
        {"$G", std::nullopt},
        {"12 ", std::nullopt},
        {"- 1", std::nullopt},
        {"0b101", std::nullopt},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.text);
        EXPECT_EQ(ParseProfileInteger(row.text), row.value);
    }
}

TEST(ProfileIni, SectionsAndKeysMatchWithoutCaseAndBlanks) {
    const ProfileIni ini = Parsed(
        "[options]\n"
        "  FONTSIZE = 12  \n"
        "fontname=ＭＳ ゴシック\n"
        " [ Fm_WH ] \n"
        "top=5\n");
    EXPECT_EQ(ini.ReadInteger("Options", "FontSize", 9), 12);
    EXPECT_EQ(ini.ReadString("OPTIONS", "FontName", "x"), "ＭＳ ゴシック");
    EXPECT_EQ(ini.ReadInteger("Fm_WH", "Top", 40), 5);
    EXPECT_EQ(ini.ReadInteger("fm_wh", "TOP", 40), 5);
    // A key of another section is not found.
    EXPECT_EQ(ini.ReadInteger("Fm_WH", "FontSize", 9), 9);
    EXPECT_FALSE(ini.HasKey("Options", "Top"));
}

TEST(ProfileIni, ValuesAreTrimmedAndLoseOnePairOfQuotes) {
    const ProfileIni ini = Parsed(
        "[s]\n"
        "plain=  a b  \n"
        "dq=\" padded \"\n"
        "sq=' single '\n"
        "mixed=\"abc'\n"
        "open=\"abc\n"
        "one=\"\n"
        "twice=\"\"x\"\"\n"
        "empty=\n"
        "eq=a=b\n"
        "tab=\tx\t\n");
    EXPECT_EQ(ini.ReadString("s", "plain", "-"), "a b");
    EXPECT_EQ(ini.ReadString("s", "dq", "-"), " padded ");
    EXPECT_EQ(ini.ReadString("s", "sq", "-"), " single ");
    EXPECT_EQ(ini.ReadString("s", "mixed", "-"), "\"abc'");
    EXPECT_EQ(ini.ReadString("s", "open", "-"), "\"abc");
    EXPECT_EQ(ini.ReadString("s", "one", "-"), "\"");
    EXPECT_EQ(ini.ReadString("s", "twice", "-"), "\"x\"");
    // A key present with nothing after "=" reads as empty, not as the default.
    EXPECT_EQ(ini.ReadString("s", "empty", "-"), "");
    EXPECT_TRUE(ini.HasKey("s", "empty"));
    EXPECT_EQ(ini.ReadInteger("s", "empty", 7), 7);
    EXPECT_EQ(ini.ReadString("s", "eq", "-"), "a=b");
    EXPECT_EQ(ini.ReadString("s", "tab", "-"), "x");
    EXPECT_EQ(ini.ReadString("s", "missing", "dflt"), "dflt");
    EXPECT_EQ(ini.ReadString("nosection", "plain", "dflt"), "dflt");
}

TEST(ProfileIni, FirstSectionAndFirstKeyOfANameCount) {
    const ProfileIni ini = Parsed(
        "k=before any section\n"
        "[A]\n"
        "k=1\n"
        "K=2\n"
        "; k=comment\n"
        "no equals sign\n"
        "[a]\n"
        "k=3\n"
        "other=4\n");
    EXPECT_EQ(ini.ReadInteger("A", "k", 0), 1);
    // A key only in the second section of the same name is not seen.
    EXPECT_EQ(ini.ReadInteger("A", "other", 0), 0);
    EXPECT_FALSE(ini.HasKey("A", "; k"));
    EXPECT_FALSE(ini.HasKey("A", "no equals sign"));
}

TEST(ProfileIni, BooleansAreIntegers) {
    const ProfileIni ini = Parsed("[s]\none=1\nzero=0\nminus=-1\nhex=$10\nword=true\n");
    EXPECT_TRUE(ini.ReadBool("s", "one", false));
    EXPECT_FALSE(ini.ReadBool("s", "zero", true));
    EXPECT_TRUE(ini.ReadBool("s", "minus", false));
    EXPECT_TRUE(ini.ReadBool("s", "hex", false));
    // Not an integer: the default, either way.
    EXPECT_TRUE(ini.ReadBool("s", "word", true));
    EXPECT_FALSE(ini.ReadBool("s", "word", false));
    EXPECT_TRUE(ini.ReadBool("s", "missing", true));
}

TEST(ProfileIni, StringsAreCutAt2047Utf16UnitsWithoutSplittingACharacter) {
    const std::string ascii(3000, 'a');
    std::string kana;
    for (int i = 0; i < 3000; ++i) kana += "あ";
    std::string astral;  // U+1F600, two UTF-16 units each
    for (int i = 0; i < 1500; ++i) astral += "\xF0\x9F\x98\x80";
    const std::string broken = std::string(2046, 'b') + "\xE3\x81";  // cut sequence at the end
    const ProfileIni ini =
        Parsed("[s]\nascii=" + ascii + "\nkana=" + kana + "\nastral=" + astral +
               "\nbroken=" + broken + "\nexact=" + std::string(2047, 'c') + "\n");
    EXPECT_EQ(ini.ReadString("s", "ascii", ""), std::string(2047, 'a'));
    std::string kana2047;
    for (int i = 0; i < 2047; ++i) kana2047 += "あ";
    EXPECT_EQ(ini.ReadString("s", "kana", ""), kana2047);
    // 1023 pairs make 2046 units; the next pair would need 2048.
    EXPECT_EQ(ini.ReadString("s", "astral", ""), astral.substr(0, 1023 * 4));
    // The two stray bytes count one unit each: 2046 + 1.
    EXPECT_EQ(ini.ReadString("s", "broken", ""), std::string(2046, 'b') + "\xE3");
    EXPECT_EQ(ini.ReadString("s", "exact", "").size(), 2047u);
}

TEST(ProfileIni, LineEndsByteOrderMarkAndNulBytes) {
    const ProfileIni crlf = Parsed("\xEF\xBB\xBF[s]\r\na=1\r\nb=two\r\n");
    EXPECT_EQ(crlf.ReadInteger("s", "a", 0), 1);
    EXPECT_EQ(crlf.ReadString("s", "b", ""), "two");
    const ProfileIni cr = Parsed("[s]\ra=1\rb=2");
    EXPECT_EQ(cr.ReadInteger("s", "b", 0), 2);
    const ProfileIni nul = Parsed(std::string("[s]\na=12\0 34\nb=5\n", 17));
    EXPECT_EQ(nul.ReadString("s", "a", "-"), "12");
    EXPECT_EQ(nul.ReadInteger("s", "b", 0), 5);
}

TEST(ProfileIni, WritingKeepsWhatItDoesNotOwnInItsOrder) {
    const std::string original =
        "; written by hand\n"
        "[Other]\n"
        "Keep=this\n"
        "\n"
        "[options]\n"
        "FontSize = 9\n"
        "; a comment inside\n"
        "Unknown=u\n"
        "\n"
        "[Tail]\n"
        "x=1\n";
    ProfileIni ini = Parsed(original);
    ini.WriteInteger("Options", "fontsize", 11);          // in place, the file's spelling kept
    ini.WriteString("Options", "FontName", "IPAGothic");  // after the last key line
    ini.WriteBool("Fm_WH", "Top", true);                  // a new section at the end
    EXPECT_EQ(ini.Text(),
              "; written by hand\n"
              "[Other]\n"
              "Keep=this\n"
              "\n"
              "[options]\n"
              "FontSize =11\n"
              "; a comment inside\n"
              "Unknown=u\n"
              "FontName=IPAGothic\n"
              "\n"
              "[Tail]\n"
              "x=1\n"
              "\n"
              "[Fm_WH]\n"
              "Top=1\n");
    // Writing nothing changes nothing.
    EXPECT_EQ(Parsed(original).Text(), original);
}

TEST(ProfileIni, WritingIntoAnEmptyFileAndKeepingCrLf) {
    ProfileIni fresh("unused.ini");
    fresh.WriteInteger("A", "k", -3);
    fresh.WriteString("B", "s", "");
    fresh.WriteInteger("A", "j", 4);
    EXPECT_EQ(fresh.Text(), "[A]\nk=-3\nj=4\n\n[B]\ns=\n");

    ProfileIni crlf = Parsed("\xEF\xBB\xBF[A]\r\nk=1\r\n");
    crlf.WriteInteger("A", "j", 2);
    EXPECT_EQ(crlf.Text(), "\xEF\xBB\xBF[A]\r\nk=1\r\nj=2\r\n");
}

TEST(ProfileIni, EveryWrittenStringReadsBackAsWritten) {
    const char* values[] = {"",           "plain",         " lead",    "trail ", " both ",
                            "\"quoted\"", "'single'",      "\"",       "'",      "\"half",
                            "a=b;c",      "ＭＳ ゴシック", "C:\\gs\\", "[x]",    "\tx"};
    for (const char* v : values) {
        SCOPED_TRACE(v);
        ProfileIni one("unused.ini");
        one.WriteString("s", "k", v);
        EXPECT_EQ(Parsed(one.Text()).ReadString("s", "k", "-"), v);
    }
    // A line break cannot be stored: the value keeps what comes before it, and the file
    // keeps its structure.
    ProfileIni broken("unused.ini");
    broken.WriteString("s", "k", "first\nsecond=evil");
    broken.WriteString("s", "j", std::string("a\0b", 3));
    const ProfileIni back = Parsed(broken.Text());
    EXPECT_EQ(back.ReadString("s", "k", "-"), "first");
    EXPECT_EQ(back.ReadString("s", "j", "-"), "a");
    EXPECT_FALSE(back.HasKey("s", "second"));
}

TEST(ProfileIni, MissingGarbageBinaryAndHugeFilesGiveDefaults) {
    TempDir dir;
    EXPECT_EQ(ProfileIni::Load(dir.File("none.ini")).ReadInteger("s", "k", 7), 7);
    // A folder, or a FIFO (which must not block), under the settings name.
    EXPECT_EQ(ProfileIni::Load(dir.Path()).ReadInteger("s", "k", 7), 7);
    ASSERT_EQ(mkfifo(dir.File("fifo.ini").c_str(), 0600), 0);
    EXPECT_EQ(ProfileIni::Load(dir.File("fifo.ini")).ReadInteger("s", "k", 7), 7);

    std::string binary;
    for (int i = 0; i < 70000; ++i) binary += static_cast<char>((i * 131 + (i >> 7)) & 0xFF);
    const std::string binPath = dir.Write("bin.ini", binary);
    ProfileIni bin = ProfileIni::Load(binPath);
    EXPECT_EQ(bin.ReadInteger("Options", "FontSize", 9), 9);
    bin.WriteInteger("Options", "FontSize", 10);
    bin.Flush();
    EXPECT_EQ(ProfileIni::Load(binPath).ReadInteger("Options", "FontSize", 9), 10);

    // Past the first MiB nothing is read; before it, whole lines are.
    std::string huge = "[s]\nearly=1\n";
    while (huge.size() + 32 < kMaxProfileFileBytes - 10)
        huge += "filler=xxxxxxxxxxxxxxxxxxxxxxxx\n";
    huge += "cut=123456789012345678901234567890\n";  // straddles the cap
    huge += std::string(kMaxProfileFileBytes, 'z') + "\nlate=1\n";
    const std::string hugePath = dir.Write("huge.ini", huge);
    const ProfileIni big = ProfileIni::Load(hugePath);
    EXPECT_EQ(big.ReadInteger("s", "early", 0), 1);
    EXPECT_FALSE(big.HasKey("s", "cut"));
    EXPECT_EQ(big.ReadInteger("s", "late", 0), 0);
}

TEST(ProfileIni, FlushReplacesTheFileWholeOrReportsWhyNot) {
    TempDir dir;
    const std::string path = dir.Write("a.ini", "[s]\nk=1\n");
    ProfileIni ini = ProfileIni::Load(path);
    ini.WriteInteger("s", "k", 2);
    EXPECT_EQ(ReadText(path), "[s]\nk=1\n");  // nothing written before Flush
    ini.Flush();
    EXPECT_EQ(ReadText(path), "[s]\nk=2\n");

    const std::string nowhere = dir.File("missing/a.ini");
    ProfileIni lost(nowhere);
    lost.WriteInteger("s", "k", 1);
    try {
        lost.Flush();
        FAIL() << "no error";
    } catch (const Error& e) {
        EXPECT_EQ(std::string(e.what()), nowhere + " に書き込めません");
    }
}

}  // namespace
}  // namespace vellumo
