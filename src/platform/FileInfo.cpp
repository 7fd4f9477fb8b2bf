#include "platform/FileInfo.h"

#include <sys/stat.h>

#include <cstdio>
#include <filesystem>
#include <system_error>

namespace vellumo {

std::string FileInFolder(const std::string& folder, std::string_view name) {
    std::string path = folder.empty() ? std::string(".") : folder;
    if (path.back() != '/') path += '/';
    path += name;
    return path;
}

std::string AbsolutePath(const std::string& path) {
    namespace fs = std::filesystem;
    if (path.empty()) return path;
    std::error_code ec;
    fs::path p = fs::absolute(fs::path(path), ec);
    if (ec) p = fs::path(path);
    return p.lexically_normal().string();
}

std::optional<uint64_t> FileSizeOf(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return std::nullopt;
    return static_cast<uint64_t>(st.st_size);
}

std::tm DosLocalTime(std::time_t t) {
    std::tm tm{};
    if (::localtime_r(&t, &tm) == nullptr) tm = std::tm{};
    tm.tm_sec -= tm.tm_sec % 2;
    return tm;
}

std::string FormatDosDateTime(std::time_t t) {
    const std::tm tm = DosLocalTime(t);
    char buf[64];
    if (tm.tm_hour == 0 && tm.tm_min == 0 && tm.tm_sec == 0) {
        std::snprintf(buf, sizeof buf, "%04d/%02d/%02d", tm.tm_year + 1900, tm.tm_mon + 1,
                      tm.tm_mday);
    } else {
        std::snprintf(buf, sizeof buf, "%04d/%02d/%02d %d:%02d:%02d", tm.tm_year + 1900,
                      tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec);
    }
    return buf;
}

}  // namespace vellumo
