#include "document/FindGhostscript.h"

#include <cstdlib>
#include <filesystem>
#include <system_error>

#ifndef _WIN32
#include <unistd.h>
#endif

namespace vellumo {

namespace {

namespace fs = std::filesystem;

#ifdef _WIN32
constexpr char kSeparator = '\\';
#else
constexpr char kSeparator = '/';
#endif

std::string WithSeparator(std::string folder) {
    if (!folder.empty() && folder.back() != kSeparator && folder.back() != '/') {
        folder += kSeparator;
    }
    return folder;
}

bool IsExecutableFile(const std::string& path) {
    std::error_code ec;
    if (!fs::is_regular_file(path, ec)) return false;
#ifdef _WIN32
    return true;
#else
    return access(path.c_str(), X_OK) == 0;
#endif
}

bool IsProgram(const std::string& path, bool requireExecutable) {
    return requireExecutable ? IsExecutableFile(path) : PathCHK(path);
}

}  // namespace

GhostscriptPlaces LinuxGhostscriptPlaces() {
    GhostscriptPlaces places;
    places.gsDirProgram = "gs";
    places.searchPath = true;
    places.requireExecutable = true;
    places.steps = {{"/opt/", "gs"}, {"/usr/local/", "gs"}};
    places.programName = "gs";
    return places;
}

GhostscriptPlaces WindowsGhostscriptPlaces(bool is64bitWindows) {
    GhostscriptPlaces places;
    places.gsDirProgram = "gswin32c.exe";
    places.searchPath = false;
    places.requireExecutable = false;
    places.steps = {{"C:\\Program Files\\gs\\", "gswin32c.exe"},
                    {"C:\\Program Files\\gs\\", "gswin64c.exe"},
                    {"C:\\Program Files (x86)\\gs\\", "gswin32c.exe"}};
    places.programName = is64bitWindows ? "gswin64c.exe" : "gswin32c.exe";
    return places;
}

bool PathCHK(const std::string& path) {
    std::error_code ec;
    const fs::file_status st = fs::status(path, ec);
    return !ec && fs::exists(st) && !fs::is_directory(st);
}

GhostscriptFileSearch::GhostscriptFileSearch(bool requireExecutable, size_t maxEntries,
                                             int maxDepth)
    : requireExecutable_(requireExecutable), maxEntries_(maxEntries), maxDepth_(maxDepth) {}

void GhostscriptFileSearch::EnumFileFromDir(const std::string& folder, const std::string& name) {
    Enum(folder, name, 0);
}

void GhostscriptFileSearch::Enum(const std::string& folderIn, const std::string& name, int depth) {
    std::error_code ec;
    if (folderIn.empty() || !fs::is_directory(folderIn, ec)) return;
    const std::string folder = WithSeparator(folderIn);
    if (searchCount > 0 || exhausted) return;

    fs::directory_iterator it(folder, fs::directory_options::skip_permission_denied, ec);
    if (ec) return;
    for (const fs::directory_iterator end; it != end; it.increment(ec)) {
        if (ec || exhausted) break;
        if (++entriesListed > maxEntries_) {
            exhausted = true;
            break;
        }
        const fs::directory_entry& entry = *it;
        const std::string entryName = entry.path().filename().string();
        std::error_code e2;
        const bool isLink = entry.is_symlink(e2);
        const bool isFolder = entry.is_directory(e2);  // through a link
        if (isFolder) {
            // Links to folders are never entered: no loop, and no tree counted twice.
            if (!isLink && depth < maxDepth_) Enum(folder + entryName, name, depth + 1);
            continue;
        }
        if (entryName != name) continue;
        if (requireExecutable_ ? !IsExecutableFile(folder + entryName)
                               : !PathCHK(folder + entryName)) {
            continue;
        }
        ++searchCount;
        GhostscriptFolder = folder;
    }
}

GhostscriptResult FindGhostscript(const std::string& gsDir, std::string_view pathVariable,
                                  const GhostscriptPlaces& places) {
    GhostscriptResult result;
    std::string folder;
    if (!gsDir.empty() &&
        IsProgram(WithSeparator(gsDir) + places.gsDirProgram, places.requireExecutable)) {
        folder = WithSeparator(gsDir);
    }
    if (folder.empty() && places.searchPath) {
        while (folder.empty() && !pathVariable.empty()) {
            const auto colon = pathVariable.find(':');
            const std::string entry(pathVariable.substr(0, colon));
            pathVariable = colon == std::string_view::npos ? std::string_view()
                                                           : pathVariable.substr(colon + 1);
            if (entry.empty() || entry.front() != '/') continue;
            if (IsProgram(WithSeparator(entry) + places.programName, places.requireExecutable)) {
                folder = WithSeparator(entry);
            }
        }
    }
    if (folder.empty()) {
        GhostscriptFileSearch search(places.requireExecutable);
        for (const GhostscriptSearchStep& step : places.steps) {
            search.EnumFileFromDir(step.folder, step.program);
            if (search.searchCount > 0) break;
        }
        result.searchCount = search.searchCount;
        folder = search.GhostscriptFolder;
    }
    result.ProgramFolder = folder;
    result.GhostscriptFolder = folder + places.programName;
    result.GhostscriptAvailable =
        !folder.empty() && IsProgram(result.GhostscriptFolder, places.requireExecutable);
    return result;
}

GhostscriptResult FindGhostscript(const std::string& gsDir) {
    const char* path = std::getenv("PATH");
    return FindGhostscript(gsDir, path ? std::string_view(path) : std::string_view());
}

}  // namespace vellumo
