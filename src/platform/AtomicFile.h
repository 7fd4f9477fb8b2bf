#pragma once
// Writing a file so that a failure never destroys the file that was there: the bytes go to
// a temporary file in the same folder, which is renamed over the target only when complete.

#include <cstdio>
#include <string>

namespace vellumo {

/// One file being written. The temporary file is created at construction; `Commit` makes it
/// the target; the destructor removes it when it was not committed (after an error, or when
/// the writer gave up). The finished file keeps the permission bits of the file it replaces,
/// or gets 0666 less the umask when it is new. A target that is a symbolic link stays one:
/// the file it names (after every link in a chain) is the one replaced. Move-only.
class AtomicFile {
  public:
    /// Creates the temporary file beside `targetPath`. Throws Error (the platform file
    /// error text of the target) when the folder cannot take it.
    explicit AtomicFile(std::string targetPath);
    AtomicFile(AtomicFile&& other) noexcept;
    AtomicFile& operator=(AtomicFile&&) = delete;
    AtomicFile(const AtomicFile&) = delete;
    AtomicFile& operator=(const AtomicFile&) = delete;
    ~AtomicFile();

    const std::string& TargetPath() const { return target_; }
    /// Path of the temporary file, for libraries that open files by name (libtiff). Such a
    /// library must have closed it before Commit.
    const std::string& TempPath() const { return temp_; }
    /// A stdio stream on the temporary file (opened on first use), for libpng and libjpeg.
    /// Owned here: do not fclose it.
    std::FILE* Stream();
    /// Writes bytes at the current end of the stream. Throws Error on a write failure.
    void Write(const void* data, size_t len);

    /// Flushes and syncs the temporary file and renames it over the target. Throws Error
    /// when any step fails; the target is then untouched and the temporary file removed.
    void Commit();

  private:
    void Discard() noexcept;

    std::string target_;
    std::string written_;  ///< target_ with its symbolic links followed
    std::string temp_;
    int fd_ = -1;
    std::FILE* stream_ = nullptr;
    bool done_ = false;
};

/// Writes `bytes` to `path` through an AtomicFile. Throws Error on failure.
void WriteFileAtomically(const std::string& path, const std::string& bytes);

}  // namespace vellumo
