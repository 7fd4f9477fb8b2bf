// The Ghostscript discovery on folder trees made for each case: GsDir first, then PATH,
// then the search below the roots, and the bounds that keep the search from stalling.

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "document/FindGhostscript.h"
#include "support/TempDir.h"

namespace vellumo {
namespace {

namespace fs = std::filesystem;
using test::TempDir;

// A program file at `path` (folders made as needed), executable unless told otherwise.
std::string Program(const std::string& path, bool executable = true) {
    fs::create_directories(fs::path(path).parent_path());
    FILE* f = std::fopen(path.c_str(), "wb");
    std::fputs("#!/bin/sh\n", f);
    std::fclose(f);
    chmod(path.c_str(), executable ? 0755 : 0644);
    return path;
}

// This platform's table with its roots replaced.
GhostscriptPlaces PlacesWithRoots(std::vector<std::string> roots) {
    GhostscriptPlaces places = LinuxGhostscriptPlaces();
    places.steps.clear();
    for (auto& root : roots) places.steps.push_back({root, "gs"});
    return places;
}

TEST(FindGhostscript, GsDirComesFirstAndNamesTheProgram) {
    TempDir dir;
    Program(dir.File("conf/gs"));
    Program(dir.File("path/gs"));
    Program(dir.File("root/x/gs"));
    const auto places = PlacesWithRoots({dir.File("root")});
    for (const std::string& gsDir : {dir.File("conf/"), dir.File("conf")}) {
        SCOPED_TRACE(gsDir);
        const GhostscriptResult r = FindGhostscript(gsDir, dir.File("path"), places);
        EXPECT_TRUE(r.GhostscriptAvailable);
        EXPECT_EQ(r.GhostscriptFolder, dir.File("conf/gs"));
        EXPECT_EQ(r.ProgramFolder, dir.File("conf/"));
        EXPECT_EQ(r.searchCount, 0);
    }
}

TEST(FindGhostscript, ThenTheFoldersOfPathInOrder) {
    TempDir dir;
    Program(dir.File("conf/gs"), /*executable=*/false);  // not a program: passed over
    fs::create_directories(dir.File("a/gs"));            // a folder named gs: passed over
    Program(dir.File("b/gs"));
    Program(dir.File("c/gs"));
    Program(dir.File("root/x/gs"));
    const std::string path = "::relative:" + dir.File("missing") + ":" + dir.File("a") + ":" +
                             dir.File("b") + "/:" + dir.File("c");
    const GhostscriptResult r =
        FindGhostscript(dir.File("conf/"), path, PlacesWithRoots({dir.File("root")}));
    EXPECT_TRUE(r.GhostscriptAvailable);
    EXPECT_EQ(r.GhostscriptFolder, dir.File("b/gs"));
    EXPECT_EQ(r.searchCount, 0);
}

TEST(FindGhostscript, ThenBelowTheRootsInOrder) {
    TempDir dir;
    Program(dir.File("second/ghostscript/9.56/bin/gs"));
    Program(dir.File("third/bin/gs"));
    Program(dir.File("second/share/completions/gs"), /*executable=*/false);
    const GhostscriptResult r = FindGhostscript(
        "", "", PlacesWithRoots({dir.File("missing"), dir.File("second"), dir.File("third")}));
    EXPECT_TRUE(r.GhostscriptAvailable);
    EXPECT_EQ(r.ProgramFolder, dir.File("second/ghostscript/9.56/bin/"));
    EXPECT_EQ(r.GhostscriptFolder, dir.File("second/ghostscript/9.56/bin/gs"));
    EXPECT_EQ(r.searchCount, 1);
}

TEST(FindGhostscript, NotFoundAnywhere) {
    TempDir dir;
    Program(dir.File("root/share/gs"), /*executable=*/false);
    Program(dir.File("root/bin/GS"));  // letter case counts
    Program(dir.File("gs"));           // in the working folder of nobody
    const GhostscriptResult r = FindGhostscript(dir.File("empty/"), dir.File("nothing"),
                                                PlacesWithRoots({dir.File("root")}));
    EXPECT_FALSE(r.GhostscriptAvailable);
    EXPECT_EQ(r.GhostscriptFolder, "gs");
    EXPECT_EQ(r.ProgramFolder, "");
    EXPECT_EQ(r.searchCount, 0);
    // An empty GsDir never means the working folder.
    const std::string cwd = fs::current_path();
    fs::current_path(dir.Path());
    EXPECT_FALSE(FindGhostscript("", "", PlacesWithRoots({})).GhostscriptAvailable);
    fs::current_path(cwd);
}

TEST(FindGhostscript, AMatchInTheFolderUnderWayReplacesADeeperOne) {
    // Whichever entry the folder lists first, the folder's own "gs" wins: listed first, it
    // makes the deeper call return at once; listed after, it replaces the deeper match.
    TempDir dir;
    Program(dir.File("root/gs"));
    Program(dir.File("root/sub/gs"));
    GhostscriptFileSearch search;
    search.EnumFileFromDir(dir.File("root"), "gs");
    EXPECT_EQ(search.GhostscriptFolder, dir.File("root/"));
    EXPECT_GE(search.searchCount, 1);
    // A call after a match returns at once.
    Program(dir.File("other/gs"));
    search.EnumFileFromDir(dir.File("other"), "gs");
    EXPECT_EQ(search.GhostscriptFolder, dir.File("root/"));
}

TEST(FindGhostscript, LinkLoopsDeepAndHugeTreesEnd) {
    TempDir dir;
    // A loop of links, and a program reachable only through a link to a folder.
    fs::create_directories(dir.File("root/a/b"));
    fs::create_directory_symlink(dir.File("root/a"), dir.File("root/a/b/loop"));
    Program(dir.File("elsewhere/gs"));
    fs::create_directory_symlink(dir.File("elsewhere"), dir.File("root/a/linked"));
    GhostscriptFileSearch loop;
    loop.EnumFileFromDir(dir.File("root"), "gs");
    EXPECT_EQ(loop.searchCount, 0);

    // A link to the program file itself counts, as in /usr/local/bin.
    fs::create_symlink(dir.File("elsewhere/gs"), dir.File("root/a/gs"));
    GhostscriptFileSearch viaLink;
    viaLink.EnumFileFromDir(dir.File("root"), "gs");
    EXPECT_EQ(viaLink.GhostscriptFolder, dir.File("root/a/"));

    // Depth: the start folder is 0; deeper than the bound is never entered.
    std::string deep = dir.File("deep");
    for (int i = 1; i <= GhostscriptFileSearch::kMaxDepth; ++i) deep += "/d";
    Program(deep + "/gs");
    GhostscriptFileSearch atBound;
    atBound.EnumFileFromDir(dir.File("deep"), "gs");
    EXPECT_EQ(atBound.GhostscriptFolder, deep + "/");
    GhostscriptFileSearch pastBound(true, GhostscriptFileSearch::kMaxEntries,
                                    GhostscriptFileSearch::kMaxDepth - 1);
    pastBound.EnumFileFromDir(dir.File("deep"), "gs");
    EXPECT_EQ(pastBound.searchCount, 0);

    // Entries: the search stops after the bound, over all calls.
    for (int i = 0; i < 30; ++i) Program(dir.File("wide/f" + std::to_string(i)), false);
    Program(dir.File("wide2/gs"));
    GhostscriptFileSearch bounded(true, 25);
    bounded.EnumFileFromDir(dir.File("wide"), "gs");
    bounded.EnumFileFromDir(dir.File("wide2"), "gs");
    EXPECT_TRUE(bounded.exhausted);
    EXPECT_EQ(bounded.searchCount, 0);
    EXPECT_LE(bounded.entriesListed, 26u);
}

TEST(FindGhostscript, UnreadableFoldersAreSkipped) {
    if (geteuid() == 0) GTEST_SKIP() << "permission bits do not stop root";
    TempDir dir;
    Program(dir.File("root/closed/gs"));
    Program(dir.File("root/open/gs"));
    chmod(dir.File("root/closed").c_str(), 0);
    GhostscriptFileSearch search;
    search.EnumFileFromDir(dir.File("root"), "gs");
    EXPECT_EQ(search.GhostscriptFolder, dir.File("root/open/"));
    chmod(dir.File("root/closed").c_str(), 0755);
}

TEST(FindGhostscript, TablesOfBothPlatforms) {
    const GhostscriptPlaces onLinux = LinuxGhostscriptPlaces();
    EXPECT_EQ(onLinux.gsDirProgram, "gs");
    EXPECT_EQ(onLinux.programName, "gs");
    EXPECT_TRUE(onLinux.searchPath);
    EXPECT_TRUE(onLinux.requireExecutable);
    ASSERT_EQ(onLinux.steps.size(), 2u);
    EXPECT_EQ(onLinux.steps[0].folder, "/opt/");
    EXPECT_EQ(onLinux.steps[1].folder, "/usr/local/");

    for (const bool is64 : {false, true}) {
        const GhostscriptPlaces win = WindowsGhostscriptPlaces(is64);
        EXPECT_EQ(win.gsDirProgram, "gswin32c.exe");
        EXPECT_FALSE(win.searchPath);
        EXPECT_EQ(win.programName, is64 ? "gswin64c.exe" : "gswin32c.exe");
        ASSERT_EQ(win.steps.size(), 3u);
        EXPECT_EQ(win.steps[0].folder, "C:\\Program Files\\gs\\");
        EXPECT_EQ(win.steps[0].program, "gswin32c.exe");
        EXPECT_EQ(win.steps[1].folder, "C:\\Program Files\\gs\\");
        EXPECT_EQ(win.steps[1].program, "gswin64c.exe");
        EXPECT_EQ(win.steps[2].folder, "C:\\Program Files (x86)\\gs\\");
        EXPECT_EQ(win.steps[2].program, "gswin32c.exe");
    }
}

TEST(FindGhostscript, TheProgramNameFollowsTheWindowsEdition) {
    // The Windows rules on folders of this machine: the name appended is the edition's,
    // not the one the search found.
    TempDir dir;
    Program(dir.File("pf/gs/gs9.54/bin/gswin64c.exe"));
    Program(dir.File("x86/gs/gs9.54/bin/gswin32c.exe"));
    auto places = [&](bool is64) {
        GhostscriptPlaces p = WindowsGhostscriptPlaces(is64);
        p.steps = {{dir.File("pf/gs/"), "gswin32c.exe"},
                   {dir.File("pf/gs/"), "gswin64c.exe"},
                   {dir.File("x86/gs/"), "gswin32c.exe"}};
        return p;
    };
    const GhostscriptResult on64 = FindGhostscript("", "", places(true));
    EXPECT_TRUE(on64.GhostscriptAvailable);
    EXPECT_EQ(on64.GhostscriptFolder, dir.File("pf/gs/gs9.54/bin/gswin64c.exe"));

    fs::remove(dir.File("pf/gs/gs9.54/bin/gswin64c.exe"));
    const GhostscriptResult only32 = FindGhostscript("", "", places(true));
    EXPECT_EQ(only32.ProgramFolder, dir.File("x86/gs/gs9.54/bin/"));
    EXPECT_FALSE(only32.GhostscriptAvailable);
    EXPECT_TRUE(FindGhostscript("", "", places(false)).GhostscriptAvailable);
}

}  // namespace
}  // namespace vellumo
