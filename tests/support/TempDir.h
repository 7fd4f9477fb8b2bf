#pragma once
// A temporary folder for one test, removed with everything in it at the end.

#include <cstdint>
#include <ctime>
#include <string>
#include <string_view>
#include <vector>

namespace vellumo::test {

class TempDir {
  public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& Path() const { return path_; }
    /// Full path of `name` inside the folder.
    std::string File(std::string_view name) const;
    /// Writes `bytes` to `name` and returns its full path.
    std::string Write(std::string_view name, const std::vector<uint8_t>& bytes) const;
    std::string Write(std::string_view name, std::string_view bytes) const;

  private:
    std::string path_;
};

/// The whole content of the file at `path`; empty when it cannot be read.
std::vector<uint8_t> ReadAll(const std::string& path);
std::string ReadText(const std::string& path);

/// Sets the last-write (and access) time of `path` to `t` seconds since the epoch.
void SetModifiedTime(const std::string& path, std::time_t t);

/// Makes local time Japan time for this process (the test environment also sets TZ, but
/// a test program run by hand may not have it).
void UseTokyoTime();

}  // namespace vellumo::test
