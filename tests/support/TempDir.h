#pragma once
// A temporary folder for one test, removed with everything in it at the end.

#include <cstdint>
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

}  // namespace vellumo::test
