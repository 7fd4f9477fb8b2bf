#include "platform/ProgramFiles.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

namespace vellumo {

namespace {

std::string Env(const char* name) {
    const char* value = std::getenv(name);
    return value ? std::string(value) : std::string();
}

std::string FolderOf(std::string_view path) {
    const auto slash = path.rfind('/');
    if (slash == std::string_view::npos) return ".";
    if (slash == 0) return "/";
    return std::string(path.substr(0, slash));
}

std::string NameOf(std::string_view path) {
    const auto slash = path.rfind('/');
    return std::string(slash == std::string_view::npos ? path : path.substr(slash + 1));
}

// The base directory rules say a relative value is invalid and must be ignored.
std::string BaseFolder(const std::string& xdg, const std::string& home, std::string_view fallback) {
    if (!xdg.empty() && xdg.front() == '/') return xdg;
    return home + "/" + std::string(fallback);
}

bool InstalledLayout(const std::string& folder, const ProgramFilesEnvironment& env) {
    if (NameOf(folder) != "bin" || !env.fileExists) return false;
    const std::string prefix = FolderOf(folder);
    return env.fileExists(prefix + (prefix == "/" ? "" : "/") + "share/applications/" +
                          std::string(kDesktopId) + ".desktop");
}

}  // namespace

std::string SettingsPathFor(std::string_view executablePath) {
    const auto slash = executablePath.rfind('/');
    const size_t nameStart = slash == std::string_view::npos ? 0 : slash + 1;
    const auto dot = executablePath.rfind('.');
    if (dot != std::string_view::npos && dot > nameStart) {
        return std::string(executablePath.substr(0, dot)) + ".ini";
    }
    return std::string(executablePath) + ".ini";
}

ProgramFilesEnvironment CurrentProgramFilesEnvironment() {
    ProgramFilesEnvironment env;
    env.home = Env("HOME");
    if (env.home.empty() || env.home.front() != '/') {
        if (const passwd* pw = getpwuid(getuid()); pw && pw->pw_dir) env.home = pw->pw_dir;
    }
    env.xdgConfigHome = Env("XDG_CONFIG_HOME");
    env.xdgCacheHome = Env("XDG_CACHE_HOME");
    env.folderWritable = [](const std::string& folder) {
        return access(folder.c_str(), W_OK | X_OK) == 0;
    };
    env.fileExists = [](const std::string& path) { return access(path.c_str(), F_OK) == 0; };
    return env;
}

ProgramFiles ChooseProgramFiles(std::string_view executablePath,
                                const ProgramFilesEnvironment& env) {
    const std::string folder = FolderOf(executablePath);
    ProgramFiles files;
    if (env.folderWritable && env.folderWritable(folder) && !InstalledLayout(folder, env)) {
        files.settingsPath = SettingsPathFor(executablePath);
        files.workFolder = folder;
        files.portable = true;
        return files;
    }
    const std::string name(kUserFolderName);
    files.settingsPath =
        BaseFolder(env.xdgConfigHome, env.home, ".config") + "/" + name + "/" + name + ".ini";
    files.workFolder = BaseFolder(env.xdgCacheHome, env.home, ".cache") + "/" + name;
    return files;
}

ProgramFiles ChooseProgramFiles(std::string_view executablePath) {
    return ChooseProgramFiles(executablePath, CurrentProgramFilesEnvironment());
}

bool EnsureFolder(const std::string& folder) {
    struct stat st {};
    if (folder.empty()) return false;
    if (stat(folder.c_str(), &st) == 0) return S_ISDIR(st.st_mode);
    const std::string parent = FolderOf(folder);
    if (parent != folder && !EnsureFolder(parent)) return false;
    if (mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) return false;
    return stat(folder.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

}  // namespace vellumo
