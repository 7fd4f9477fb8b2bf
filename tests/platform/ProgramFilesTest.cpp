// Where the settings and working files go: beside a portable copy, in the user's
// configuration and cache folders for an installed one; and the folders made on first use.

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <set>
#include <string>

#include "platform/ProgramFiles.h"
#include "support/TempDir.h"

namespace vellumo {
namespace {

TEST(ProgramFiles, PortableCopyOrTheUsersFolders) {
    struct Case {
        const char* name;
        const char* exe;
        bool writable;
        std::string configHome, cacheHome;
        std::set<std::string> files;  // what exists besides the folders
        const char* settings;
        const char* work;
        bool portable;
    };
    const std::string entry = "/share/applications/" + std::string(kDesktopId) + ".desktop";
    // clang-format off
    const Case cases[] = {
        {"unpacked, writable", "/u/app/vellumo", true, "", "", {}, "/u/app/vellumo.ini", "/u/app",
         true},
        {"read-only install", "/usr/local/bin/vellumo", false, "", "", {},
         "/home/u/.config/vellumo/vellumo.ini", "/home/u/.cache/vellumo", false},
        {"XDG folders honoured", "/opt/v/vellumo", false, "/cfg", "/cache", {},
         "/cfg/vellumo/vellumo.ini", "/cache/vellumo", false},
        {"relative XDG values ignored", "/opt/v/vellumo", false, "cfg", "c", {},
         "/home/u/.config/vellumo/vellumo.ini", "/home/u/.cache/vellumo", false},
        {"installed layout, writable (root)", "/usr/bin/vellumo", true, "", "", {"/usr" + entry},
         "/home/u/.config/vellumo/vellumo.ini", "/home/u/.cache/vellumo", false},
        {"a bin folder of no install", "/home/u/bin/vellumo", true, "", "", {},
         "/home/u/bin/vellumo.ini", "/home/u/bin", true},
    };
    // clang-format on
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ProgramFilesEnvironment env;
        env.home = "/home/u";
        env.xdgConfigHome = c.configHome;
        env.xdgCacheHome = c.cacheHome;
        env.folderWritable = [&](const std::string&) { return c.writable; };
        env.fileExists = [&](const std::string& p) { return c.files.count(p) > 0; };
        const ProgramFiles places = ChooseProgramFiles(c.exe, env);
        EXPECT_EQ(places.settingsPath, c.settings);
        EXPECT_EQ(places.workFolder, c.work);
        EXPECT_EQ(places.portable, c.portable);
    }
}

TEST(ProgramFiles, TheProcessEnvironmentDecidesForARealFolder) {
    test::TempDir dir;
    setenv("XDG_CONFIG_HOME", dir.File("cfg").c_str(), 1);
    EXPECT_TRUE(ChooseProgramFiles(dir.File("vellumo")).portable);
    // A folder that does not exist cannot be written.
    const ProgramFiles places = ChooseProgramFiles(dir.File("gone/vellumo"));
    EXPECT_FALSE(places.portable);
    EXPECT_EQ(places.settingsPath, dir.File("cfg/vellumo/vellumo.ini"));
    unsetenv("XDG_CONFIG_HOME");
}

TEST(ProgramFiles, EnsureFolderMakesTheMissingFoldersForTheUserOnly) {
    test::TempDir dir;
    const std::string deep = dir.File("a/b/vellumo");
    EXPECT_TRUE(EnsureFolder(deep));
    EXPECT_TRUE(EnsureFolder(deep));  // again: already there
    struct stat st {};
    ASSERT_EQ(stat(deep.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);
    // A file in the way is no folder.
    dir.Write("file", "x");
    EXPECT_FALSE(EnsureFolder(dir.File("file")));
    EXPECT_FALSE(EnsureFolder(dir.File("file/sub")));
}

}  // namespace
}  // namespace vellumo
