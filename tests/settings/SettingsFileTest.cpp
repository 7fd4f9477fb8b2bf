// The settings file: its path, every key's default, the six load and save operations
// through a real INI file, and what a damaged or unwritable file does.

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "platform/Error.h"
#include "platform/ProfileIni.h"
#include "settings/SettingsFile.h"
#include "support/TempDir.h"

namespace vellumo {
namespace {

using test::TempDir;

using test::ReadText;

void ExpectCheckerDefaults(const CheckerSettings& v) {
    EXPECT_EQ(v.Left, 80);
    EXPECT_EQ(v.Top, 40);
    EXPECT_EQ(v.Width, 425);
    EXPECT_EQ(v.Height, 300);
    EXPECT_EQ(v.F_Path, "");
    EXPECT_FALSE(v.TopMost);
    EXPECT_TRUE(v.Vellumo);
    EXPECT_FALSE(v.DataPath);
    EXPECT_EQ(v.GsDir, "");
    EXPECT_EQ(v.FontStyle, 0);
    EXPECT_EQ(v.FontColor, "clBlack");
    EXPECT_EQ(v.FontName, "ＭＳ ゴシック");
    EXPECT_EQ(v.FontSize, 9);
}

void ExpectViewerDefaults(const ViewerSettings& v, const std::string& lastFolder) {
    EXPECT_EQ(v.State, 0);
    EXPECT_EQ(v.Left, 70);
    EXPECT_EQ(v.Top, 60);
    EXPECT_EQ(v.Width, 830);
    EXPECT_EQ(v.Height, 565);
    EXPECT_TRUE(v.Waku);
    EXPECT_TRUE(v.PrtMs);
    EXPECT_EQ(v.F_Path2, lastFolder);
    EXPECT_TRUE(v.pdf_typ);
    EXPECT_TRUE(v.mono_typ);
    EXPECT_FALSE(v.UseGs);
}

void ExpectDialogDefaults(const DialogSettings& v) {
    EXPECT_EQ(v.Left, 100);
    EXPECT_EQ(v.Top, 100);
    EXPECT_EQ(v.Width, 310);
    EXPECT_EQ(v.Height, 260);
    EXPECT_EQ(v.tif_typ, 4);  // " CCITT G4"
    EXPECT_EQ(v.tif_rez, 2);  // "400"
    EXPECT_TRUE(v.jpg_typ);
    EXPECT_EQ(v.jpg_rez, 2);  // "80"
    EXPECT_TRUE(v.bmp_typ);
    EXPECT_FALSE(v.inidir);
    EXPECT_TRUE(v.pdf_typ);
    EXPECT_TRUE(v.mono_typ);
    EXPECT_FALSE(v.UseGs);
}

TEST(SettingsFile, PathBesideTheExecutable) {
    EXPECT_EQ(SettingsPathFor("/opt/vellumo/vellumo"), "/opt/vellumo/vellumo.ini");
    EXPECT_EQ(SettingsPathFor("/d/X.exe"), "/d/X.ini");
    EXPECT_EQ(SettingsPathFor("/d/a.b.c"), "/d/a.b.ini");
    EXPECT_EQ(SettingsPathFor("/my.folder/vellumo"), "/my.folder/vellumo.ini");
    EXPECT_EQ(SettingsPathFor("/d/.hidden"), "/d/.hidden.ini");
    EXPECT_EQ(SettingsPathFor("vellumo"), "vellumo.ini");
    const std::string self = CurrentExecutablePath();
    ASSERT_FALSE(self.empty());
    EXPECT_EQ(self.front(), '/');
    EXPECT_TRUE(SettingsPathFor(self).ends_with("/test_settings.ini")) << SettingsPathFor(self);
}

TEST(SettingsFile, NoFileGivesEveryDefault) {
    TempDir dir;
    const std::string path = dir.File("vellumo.ini");
    ExpectCheckerDefaults(LoadCheckerSettings(path));
    ExpectViewerDefaults(LoadViewerSettings(path, "/home/u/drawings"), "/home/u/drawings");
    ExpectDialogDefaults(LoadDialogSettings(path));
    // Nothing is created by reading.
    EXPECT_NE(access(path.c_str(), F_OK), 0);
    // With both JPEG keys at their defaults the output is gray.
    EXPECT_EQ(JpegChoiceFromKeys(true, true), (JpegChoice{false, true}));
}

TEST(SettingsFile, EmptyGarbageAndBinaryFilesGiveEveryDefault) {
    TempDir dir;
    std::string binary;
    for (int i = 0; i < 5000; ++i) binary += static_cast<char>((i * 37) & 0xFF);
    for (const std::string& content :
         {std::string(), std::string("garbage without structure\n=\n[\n]]]\n"), binary,
          std::string("[Unrelated]\nTop=1\nWidth=2\n"), std::string(3 << 20, '[')}) {
        SCOPED_TRACE(content.substr(0, 40));
        const std::string path = dir.Write("v.ini", content);
        ExpectCheckerDefaults(LoadCheckerSettings(path));
        ExpectViewerDefaults(LoadViewerSettings(path, ""), "");
        ExpectDialogDefaults(LoadDialogSettings(path));
    }
}

TEST(SettingsFile, WrongTypesAndAbsurdValuesGiveTheKeysDefault) {
    TempDir dir;
    const std::string path = dir.Write("v.ini",
                                       "[Fm_WH]\n"
                                       "Top=abc\n"
                                       "Left=99999999999\n"
                                       "Width=100000\n"
                                       "Height=-5\n"
                                       "[Options]\n"
                                       "FontSize=abc\n"
                                       "FontStyle=0x3\n"
                                       "TopMost=yes\n"
                                       "Vellumo=0\n"
                                       "DataPath=$1\n"
                                       "tif_typ=9\n"
                                       "tif_rez=-1\n"
                                       "jpg_rez=5\n"
                                       "[Fm_WH2]\n"
                                       "Top=-40000\n"
                                       "Left=-1200\n"
                                       "Width=16384\n"
                                       "Height=16385\n"
                                       "[Win]\n"
                                       "State=7\n"
                                       "[Fm_opt]\n"
                                       "Top=1.5\n");
    const CheckerSettings c = LoadCheckerSettings(path);
    EXPECT_EQ(c.Top, 40);
    EXPECT_EQ(c.Left, 80);
    EXPECT_EQ(c.Width, 425);
    EXPECT_EQ(c.Height, 300);
    EXPECT_EQ(c.FontSize, 9);
    EXPECT_EQ(c.FontStyle, kFontBold | kFontItalic);
    EXPECT_FALSE(c.TopMost);
    EXPECT_FALSE(c.Vellumo);
    EXPECT_TRUE(c.DataPath);
    const ViewerSettings v = LoadViewerSettings(path, "");
    EXPECT_EQ(v.Top, 60);
    EXPECT_EQ(v.Left, -1200);  // a screen left of the main one is real
    EXPECT_EQ(v.Width, 16384);
    EXPECT_EQ(v.Height, 565);
    EXPECT_EQ(v.State, 0);
    const DialogSettings d = LoadDialogSettings(path);
    EXPECT_EQ(d.Top, 100);
    EXPECT_EQ(d.tif_typ, -1);
    EXPECT_EQ(d.tif_rez, -1);
    EXPECT_EQ(d.jpg_rez, -1);

    for (const char* size : {"0", "-12", "201", "$7FFFFFFF"}) {
        dir.Write("f.ini", std::string("[Options]\nFontSize=") + size + "\n");
        EXPECT_EQ(LoadCheckerSettings(dir.File("f.ini")).FontSize, 9) << size;
    }
    dir.Write("f.ini", "[Options]\nFontSize=200\nFontStyle=$10F\n");
    EXPECT_EQ(LoadCheckerSettings(dir.File("f.ini")).FontSize, 200);
    EXPECT_EQ(LoadCheckerSettings(dir.File("f.ini")).FontStyle, 0x0F);
}

TEST(SettingsFile, CheckerRoundTripAndTheFileItWrites) {
    TempDir dir;
    const std::string path = dir.File("vellumo.ini");
    CheckerSettings v;
    v.Top = -20;
    v.Left = 1930;
    v.Width = 360;
    v.Height = 220;
    v.F_Path = "/home/u/図面 2021";
    v.TopMost = true;
    v.Vellumo = false;
    v.DataPath = true;
    v.GsDir = "/opt/gs/bin/";
    v.FontStyle = 0x1FF;  // stored masked with 255
    v.FontColor = "$00CC8844";
    v.FontName = " IPAGothic ";
    v.FontSize = 12;
    SaveCheckerSettings(path, v);
    EXPECT_EQ(ReadText(path),
              "[Fm_WH]\n"
              "Top=-20\n"
              "Left=1930\n"
              "Width=360\n"
              "Height=220\n"
              "\n"
              "[Options]\n"
              "F_Path=/home/u/図面 2021\n"
              "TopMost=1\n"
              "Vellumo=0\n"
              "DataPath=1\n"
              "GsDir=/opt/gs/bin/\n"
              "FontStyle=255\n"
              "FontColor=$00CC8844\n"
              "FontName=\" IPAGothic \"\n"
              "FontSize=12\n");
    CheckerSettings back = LoadCheckerSettings(path);
    EXPECT_EQ(back.FontStyle, 255);
    back.FontStyle = v.FontStyle;
    EXPECT_EQ(back, v);
}

TEST(SettingsFile, ViewerRoundTripAndWindowStates) {
    TempDir dir;
    const std::string path = dir.File("vellumo.ini");
    ViewerSettings v;
    v.Top = 11;
    v.Left = 22;
    v.Width = 900;
    v.Height = 700;
    v.Waku = false;
    v.PrtMs = false;
    v.PrinterName = "Office_Laser";
    v.F_Path2 = "/not/written/by/the/viewer";
    v.UseGs = true;
    SaveViewerSettings(path, v);
    ViewerSettings back = LoadViewerSettings(path, "/last");
    EXPECT_EQ(back.State, 0);
    EXPECT_EQ(back.Top, 11);
    EXPECT_EQ(back.Left, 22);
    EXPECT_EQ(back.Width, 900);
    EXPECT_EQ(back.Height, 700);
    EXPECT_FALSE(back.Waku);
    EXPECT_FALSE(back.PrtMs);
    // The dialog's keys belong to the dialog; the printer name is a record only.
    EXPECT_EQ(back.F_Path2, "/last");
    EXPECT_FALSE(back.UseGs);
    EXPECT_EQ(back.PrinterName, "");
    EXPECT_EQ(ProfileIni::Load(path).ReadString("Options", "PrinterName", ""), "Office_Laser");

    // Closed maximized: State 2, and the normal frame stays as it was.
    ViewerSettings maximized = back;
    maximized.State = 2;
    maximized.Top = 0;
    maximized.Left = 0;
    maximized.Width = 1920;
    maximized.Height = 1080;
    SaveViewerSettings(path, maximized);
    back = LoadViewerSettings(path, "");
    EXPECT_EQ(back.State, 2);
    EXPECT_EQ(back.Width, 900);
    EXPECT_EQ(back.Top, 11);

    // Closed minimized: State 1, opens minimized next time.
    maximized.State = 1;
    SaveViewerSettings(path, maximized);
    EXPECT_EQ(LoadViewerSettings(path, "").State, 1);

    // Closed in the normal state at negative edges: 0 on the window and in the file.
    ViewerSettings offScreen;
    offScreen.Top = -30;
    offScreen.Left = -5;
    SaveViewerSettings(path, offScreen);
    EXPECT_EQ(offScreen.Top, 0);
    EXPECT_EQ(offScreen.Left, 0);
    back = LoadViewerSettings(path, "");
    EXPECT_EQ(back.State, 0);
    EXPECT_EQ(back.Top, 0);
    EXPECT_EQ(back.Left, 0);
}

TEST(SettingsFile, DialogRoundTripAndTheRegisteredFolder) {
    TempDir dir;
    const std::string path = dir.File("vellumo.ini");
    DialogSettings v;
    v.Top = 10;
    v.Left = 20;
    v.Width = 330;
    v.Height = 280;
    v.tif_typ = 1;
    v.tif_rez = 3;
    v.jpg_typ = false;
    v.jpg_rez = 4;
    v.bmp_typ = false;
    v.inidir = true;
    v.pdf_typ = false;
    v.mono_typ = true;
    v.UseGs = true;
    v.F_Path2 = "/srv/登録/";
    SaveDialogSettings(path, v);
    DialogSettings back = LoadDialogSettings(path);
    EXPECT_EQ(back.F_Path2, "");  // the dialog load does not read it
    back.F_Path2 = v.F_Path2;
    EXPECT_EQ(back, v);
    // The viewer load reads what the dialog wrote, also the shared keys.
    const ViewerSettings viewer = LoadViewerSettings(path, "/last");
    EXPECT_EQ(viewer.F_Path2, "/srv/登録/");
    EXPECT_FALSE(viewer.pdf_typ);
    EXPECT_TRUE(viewer.mono_typ);
    EXPECT_TRUE(viewer.UseGs);
    // A position of -1 (nothing selected) is written and read as such.
    v.jpg_rez = -1;
    SaveDialogSettings(path, v);
    EXPECT_EQ(LoadDialogSettings(path).jpg_rez, -1);
}

TEST(SettingsFile, RegisteredFolderFallsBackToTheCheckersLastFolder) {
    TempDir dir;
    const std::string path = dir.Write("v.ini", "[Options]\nF_Path=/home/u/last\n");
    const CheckerSettings checker = LoadCheckerSettings(path);
    EXPECT_EQ(LoadViewerSettings(path, checker.F_Path).F_Path2, "/home/u/last");
    // Present but empty is a value of its own.
    dir.Write("v.ini", "[Options]\nF_Path=/home/u/last\nF_Path2=\n");
    EXPECT_EQ(LoadViewerSettings(path, checker.F_Path).F_Path2, "");
}

TEST(SettingsFile, EachSaveKeepsTheOthersKeysAndUnknownLines) {
    TempDir dir;
    const std::string path = dir.Write("v.ini",
                                       "; notes of the user\n"
                                       "[Extra]\n"
                                       "Mine=42\n"
                                       "\n"
                                       "[options]\n"
                                       "FUTURE_KEY=x\n");
    DialogSettings d;
    d.tif_typ = 0;
    d.F_Path2 = "/reg/";
    SaveDialogSettings(path, d);
    CheckerSettings c;
    c.FontSize = 14;
    SaveCheckerSettings(path, c);
    ViewerSettings v;
    v.Waku = false;
    SaveViewerSettings(path, v);

    EXPECT_EQ(LoadDialogSettings(path).tif_typ, 0);
    EXPECT_EQ(LoadCheckerSettings(path).FontSize, 14);
    EXPECT_FALSE(LoadViewerSettings(path, "").Waku);
    EXPECT_EQ(LoadViewerSettings(path, "").F_Path2, "/reg/");
    const ProfileIni ini = ProfileIni::Load(path);
    EXPECT_EQ(ini.ReadInteger("Extra", "Mine", 0), 42);
    EXPECT_EQ(ini.ReadString("Options", "FUTURE_KEY", ""), "x");
    const std::string text = ReadText(path);
    EXPECT_TRUE(
        text.starts_with("; notes of the user\n[Extra]\nMine=42\n\n[options]\nFUTURE_KEY=x\n"))
        << text;
    // One [Options] section, however many saves wrote into it.
    EXPECT_EQ(text.find("[Options]"), std::string::npos);
}

// Runs `save` as a user whom the permission bits stop (the tests may run as root, whom
// they do not): returns the error text, or "no error".
template <typename Save>
std::string SaveInReadOnlyFolder(const std::string& path, Save save) {
    int pipeFds[2];
    if (pipe(pipeFds) != 0) return "pipe failed";
    const pid_t child = fork();
    if (child == 0) {
        close(pipeFds[0]);
        if (geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0)) _exit(3);
        std::string result = "no error";
        try {
            save(path);
        } catch (const Error& e) {
            result = e.what();
        }
        (void)!write(pipeFds[1], result.data(), result.size());
        _exit(0);
    }
    close(pipeFds[1]);
    std::string result;
    char buf[512];
    ssize_t n;
    while ((n = read(pipeFds[0], buf, sizeof buf)) > 0) result.append(buf, static_cast<size_t>(n));
    close(pipeFds[0]);
    int status = 0;
    waitpid(child, &status, 0);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) return "child failed";
    return result;
}

TEST(SettingsFile, ReadOnlyFolderOrFileReportsTheFileAndLosesNothing) {
    TempDir dir;
    ASSERT_EQ(chmod(dir.Path().c_str(), 0755), 0);  // let the other user reach the folder
    const std::string folder = dir.File("ro");
    ASSERT_EQ(mkdir(folder.c_str(), 0755), 0);
    const std::string path = folder + "/vellumo.ini";
    CheckerSettings stored;
    stored.FontName = "IPAGothic";
    SaveCheckerSettings(path, stored);
    ASSERT_EQ(chmod(path.c_str(), 0644), 0);
    const std::string before = ReadText(path);
    ASSERT_EQ(chmod(folder.c_str(), 0555), 0);

    const std::string expected = path + " に書き込めません";
    EXPECT_EQ(SaveInReadOnlyFolder(path,
                                   [](const std::string& p) {
                                       CheckerSettings v;
                                       v.FontSize = 20;
                                       SaveCheckerSettings(p, v);
                                   }),
              expected);
    EXPECT_EQ(SaveInReadOnlyFolder(path,
                                   [](const std::string& p) {
                                       ViewerSettings v;
                                       SaveViewerSettings(p, v);
                                   }),
              expected);
    EXPECT_EQ(SaveInReadOnlyFolder(
                  path, [](const std::string& p) { SaveDialogSettings(p, DialogSettings{}); }),
              expected);
    EXPECT_EQ(ReadText(path), before);
    EXPECT_EQ(LoadCheckerSettings(path).FontName, "IPAGothic");
    chmod(folder.c_str(), 0755);  // so the folder can be removed

    // A read-only file in a writable folder is not replaced either.
    ASSERT_EQ(chmod(folder.c_str(), 0777), 0);
    ASSERT_EQ(chmod(path.c_str(), 0444), 0);
    EXPECT_EQ(SaveInReadOnlyFolder(
                  path, [](const std::string& p) { SaveDialogSettings(p, DialogSettings{}); }),
              expected);
    EXPECT_EQ(ReadText(path), before);
}

TEST(SettingsFile, JpegChoiceFollowsTheGrayKey) {
    // Dialog load: gray is on exactly when mono_typ is; both keys 0 leaves neither on.
    EXPECT_EQ(JpegChoiceFromKeys(true, true), (JpegChoice{false, true}));
    EXPECT_EQ(JpegChoiceFromKeys(true, false), (JpegChoice{true, false}));
    EXPECT_EQ(JpegChoiceFromKeys(false, true), (JpegChoice{false, true}));
    EXPECT_EQ(JpegChoiceFromKeys(false, false), (JpegChoice{false, false}));
    // Viewer load: only the gray key, applied to the dialog's current choice.
    JpegChoice current{true, false};
    SetJpegGray(current, false);
    EXPECT_EQ(current, (JpegChoice{true, false}));
    SetJpegGray(current, true);
    EXPECT_EQ(current, (JpegChoice{false, true}));
    SetJpegColor(current, false);
    EXPECT_EQ(current, (JpegChoice{false, true}));
    SetJpegColor(current, true);
    EXPECT_EQ(current, (JpegChoice{true, false}));
    // After a choice in the dialog the two keys hold opposite values.
    TempDir dir;
    DialogSettings d;
    d.jpg_typ = current.color;
    d.mono_typ = current.gray;
    SaveDialogSettings(dir.File("v.ini"), d);
    const DialogSettings back = LoadDialogSettings(dir.File("v.ini"));
    EXPECT_EQ(JpegChoiceFromKeys(back.jpg_typ, back.mono_typ), current);
    // The dialog's flag for "利用" has all 32 bits set when on.
    EXPECT_EQ(static_cast<uint32_t>(UseGsFlag(true)), 0xFFFFFFFFu);
    EXPECT_EQ(UseGsFlag(false), 0);
}

TEST(SettingsFile, FontColorNamesAndHexadecimal) {
    EXPECT_EQ(FontColorRgb("clBlack"), (RgbColor{0, 0, 0}));
    EXPECT_EQ(FontColorRgb("clRed"), (RgbColor{255, 0, 0}));
    EXPECT_EQ(FontColorRgb("clnavy"), (RgbColor{0, 0, 128}));
    EXPECT_EQ(FontColorRgb("clSkyBlue"), (RgbColor{166, 202, 240}));
    EXPECT_EQ(FontColorRgb("clWindowText"), (RgbColor{0, 0, 0}));
    EXPECT_EQ(FontColorRgb("$00CC8844"), (RgbColor{0x44, 0x88, 0xCC}));
    EXPECT_EQ(FontColorRgb("255"), (RgbColor{255, 0, 0}));
    EXPECT_EQ(FontColorRgb("not a colour"), (RgbColor{0, 0, 0}));
    EXPECT_EQ(FontColorRgb(""), (RgbColor{0, 0, 0}));
    EXPECT_EQ(FontColorText({0, 0, 0}), "clBlack");
    EXPECT_EQ(FontColorText({0, 0, 255}), "clBlue");
    EXPECT_EQ(FontColorText({255, 255, 255}), "clWhite");
    EXPECT_EQ(FontColorText({0x44, 0x88, 0xCC}), "$00CC8844");
    EXPECT_EQ(FontColorText({1, 2, 3}), "$00030201");
    for (const RgbColor c : {RgbColor{0, 0, 0}, RgbColor{12, 200, 7}, RgbColor{255, 255, 204}}) {
        EXPECT_EQ(FontColorRgb(FontColorText(c)), c);
    }
}

}  // namespace
}  // namespace vellumo

namespace vellumo {
namespace {

TEST(SettingsFileFromElsewhere, AWindowsFileIsReadAsCp932AndALinkedFileStaysALink) {
    TempDir dir;
    // The Windows program's file: CP932 text with CR LF line ends.
    const std::string path = dir.Write("vellumo.ini",
                                       "[Options]\r\nFontName=\x82l\x82r \x83S\x83V\x83"
                                       "b\x83N\r\nF_Path=D:\\\x90}\x96\xCA\r\n");
    CheckerSettings v = LoadCheckerSettings(path);
    EXPECT_EQ(v.FontName, "ＭＳ ゴシック");
    EXPECT_EQ(v.F_Path, "D:\\図面");
    SaveCheckerSettings(path, v);
    const std::string saved = ReadText(path);
    EXPECT_NE(saved.find("FontName=ＭＳ ゴシック\r\n"), std::string::npos) << saved;
    EXPECT_NE(saved.find("F_Path=D:\\図面\r\n"), std::string::npos);

    // A settings file linked from elsewhere (relative link to a link): the links stay, the
    // file at the end of them gets the new content.
    std::filesystem::create_directory(dir.File("real"));
    const std::string target = dir.Write("real/settings.ini", "[Options]\nFontSize=12\n");
    std::filesystem::create_symlink("real/settings.ini", dir.File("middle.ini"));
    std::filesystem::create_symlink("middle.ini", dir.File("linked.ini"));
    CheckerSettings linked = LoadCheckerSettings(dir.File("linked.ini"));
    EXPECT_EQ(linked.FontSize, 12);
    linked.FontSize = 14;
    SaveCheckerSettings(dir.File("linked.ini"), linked);
    EXPECT_TRUE(std::filesystem::is_symlink(dir.File("linked.ini")));
    EXPECT_TRUE(std::filesystem::is_symlink(dir.File("middle.ini")));
    EXPECT_EQ(LoadCheckerSettings(target).FontSize, 14);
    // No temporary file left beside the target.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.File("real")), {}), 1);

    // A link that leads round in a circle is reported, and nothing is written.
    std::filesystem::create_symlink("loop2.ini", dir.File("loop1.ini"));
    std::filesystem::create_symlink("loop1.ini", dir.File("loop2.ini"));
    EXPECT_THROW(SaveCheckerSettings(dir.File("loop1.ini"), v), Error);
    EXPECT_TRUE(std::filesystem::is_symlink(dir.File("loop1.ini")));
}

TEST(SettingsFileFromElsewhere, TheUsersConfigurationFolderIsMadeOnFirstSave) {
    TempDir dir;
    const std::string path = dir.File("config/vellumo/vellumo.ini");
    SaveDialogSettings(path, DialogSettings{});
    EXPECT_EQ(LoadDialogSettings(path).tif_typ, 4);
}

}  // namespace
}  // namespace vellumo
