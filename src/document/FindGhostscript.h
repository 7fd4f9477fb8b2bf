#pragma once
// The search for the Ghostscript console program, run once when the checker window is
// first shown. Its result decides for the whole run whether PDF files are supported.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace vellumo {

/// The Ghostscript line of the settings dialog's PDF page.
inline constexpr std::string_view kGhostscriptUsableLabel = "● Ghostscript ： 利用可能";
inline constexpr std::string_view kGhostscriptUnusableLabel = "● Ghostscript ： 利用不可";

/// One folder tree searched by EnumFileFromDir for one program name.
struct GhostscriptSearchStep {
    std::string folder;
    std::string program;
};

/// Where and under which names one platform looks for the console program: the table a
/// build uses. Tests replace the folders with temporary ones.
struct GhostscriptPlaces {
    /// The name looked for in `GsDir` first ("gs"; "gswin32c.exe" on Windows).
    std::string gsDirProgram;
    /// Whether each folder of PATH is then tried (on this platform; not on Windows).
    bool searchPath = false;
    /// Whether a match must be executable (on this platform, where a plain file named
    /// "gs", such as a shell completion script, is not the program).
    bool requireExecutable = false;
    /// Folder trees searched next, in order, until one finds a match.
    std::vector<GhostscriptSearchStep> steps;
    /// The name appended to the folder found, which must exist for Ghostscript to be
    /// available ("gs"; on Windows "gswin64c.exe" or "gswin32c.exe" by the Windows
    /// edition, not by the file the search found).
    std::string programName;
};

/// This platform: "gs" in `GsDir`, then in PATH, then below "/opt/" and "/usr/local/".
GhostscriptPlaces LinuxGhostscriptPlaces();
/// The Windows installation: "gswin32c.exe" in `GsDir`; then below
/// "C:\Program Files\gs\" for "gswin32c.exe" and for "gswin64c.exe", then below
/// "C:\Program Files (x86)\gs\" for "gswin32c.exe"; the program "gswin64c.exe" on 64-bit
/// Windows, else "gswin32c.exe".
GhostscriptPlaces WindowsGhostscriptPlaces(bool is64bitWindows);

/// The outcome of FindGhostscript.
struct GhostscriptResult {
    /// A console program exists at `GhostscriptFolder`.
    bool GhostscriptAvailable = false;
    /// The full path of the program to run: the folder where it was found (ending in a
    /// separator) followed by the program name; just the name when nothing was found.
    std::string GhostscriptFolder;
    /// The folder part of `GhostscriptFolder` (ending in a separator); empty when nothing
    /// was found.
    std::string ProgramFolder;
    /// Matches counted by EnumFileFromDir (0 when GsDir or PATH already had the program).
    int searchCount = 0;
};

/// True when something other than a folder exists at `path` (a link counts by what it
/// points to).
bool PathCHK(const std::string& path);

/// The depth-first file search of the Ghostscript discovery, with its match counter.
/// Bounded so that a huge or looping tree cannot stall the start-up: links to folders are
/// never followed (which also rules out link loops), folders deeper than kMaxDepth below
/// the start folder are not entered, and after kMaxEntries listed entries in all the
/// search stops as if it had found nothing more. Unreadable folders are skipped.
class GhostscriptFileSearch {
  public:
    static constexpr int kMaxDepth = 8;
    static constexpr size_t kMaxEntries = 50000;

    /// `requireExecutable`: a match must also be an executable regular file.
    explicit GhostscriptFileSearch(bool requireExecutable = true, size_t maxEntries = kMaxEntries,
                                   int maxDepth = kMaxDepth);

    /// Searches `folder` (a separator is added when missing; a missing folder finds
    /// nothing) for a file named exactly `name`, letter case included. Returns at once when
    /// a match was counted before. Each match increments `searchCount` and sets
    /// `GhostscriptFolder` to its folder with a trailing separator. The listing of the
    /// folder under way goes on to its end, while every deeper call returns at once after
    /// the first match: so the first match in depth-first listing order wins, except that a
    /// later match among the remaining entries of a folder still being listed replaces it.
    /// Entries come in the order the file system lists them.
    void EnumFileFromDir(const std::string& folder, const std::string& name);

    int searchCount = 0;
    std::string GhostscriptFolder;
    /// Entries listed so far by all calls, against the bound.
    size_t entriesListed = 0;
    /// Whether the entry bound stopped the search.
    bool exhausted = false;

  private:
    void Enum(const std::string& folder, const std::string& name, int depth);

    bool requireExecutable_;
    size_t maxEntries_;
    int maxDepth_;
};

/// Looks for the console program: (1) `gsDir` + places.gsDirProgram, when `gsDir` is not
/// empty (a missing trailing separator is added); there it is that full path; (2) when
/// places.searchPath, each absolute folder of `pathVariable` (colon-separated, as the
/// PATH environment variable; empty and relative entries are skipped so the result never
/// depends on the working folder) in order, for places.programName; (3) each step of
/// places.steps through EnumFileFromDir until one counts a match. Then the folder found
/// is followed by places.programName, and Ghostscript is available when that file exists
/// (and, with places.requireExecutable, is executable). When nothing was found it is not
/// available, and the bare program name is never looked up in the working folder.
/// Never throws.
GhostscriptResult FindGhostscript(const std::string& gsDir, std::string_view pathVariable,
                                  const GhostscriptPlaces& places = LinuxGhostscriptPlaces());

/// FindGhostscript with this process's PATH and this platform's places.
GhostscriptResult FindGhostscript(const std::string& gsDir);

}  // namespace vellumo
