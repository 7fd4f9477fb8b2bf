#pragma once
// Read-only access to one file for the header readers: bytes past the end read as zero.

#include <cstddef>
#include <cstdint>
#include <ctime>
#include <memory>
#include <optional>
#include <string>

namespace vellumo {

/// One regular file opened for reading only (never for writing, so a read-only file is
/// never touched). The first block is read once and kept, since every header reader looks
/// at the first bytes again; reads elsewhere go to the file. Move-only; closes on
/// destruction.
class FileSource {
  public:
    /// Opens `path`. Returns nothing when the path names no regular file (missing, a
    /// folder, a device or pipe). Throws Error with the platform file error when the file
    /// exists but cannot be opened or its status read.
    static std::optional<FileSource> Open(const std::string& path);

    FileSource(FileSource&& other) noexcept;
    FileSource& operator=(FileSource&& other) noexcept;
    FileSource(const FileSource&) = delete;
    FileSource& operator=(const FileSource&) = delete;
    ~FileSource();

    const std::string& Path() const { return path_; }
    /// The open descriptor, for image libraries that read through a stream of their own
    /// (they take a dup of it). Reads here use pread, so its file offset is theirs.
    int Descriptor() const { return fd_; }
    /// Size in bytes as the directory lists it when the file was opened.
    uint64_t Size() const { return size_; }
    /// Last-write time, seconds since the epoch.
    std::time_t ModifiedTime() const { return mtime_; }

    /// Fills out[0..len) with the bytes at `offset`; bytes past the end are zero. Any
    /// offset is allowed (no overflow). Throws Error when the file cannot be read.
    void Read(uint64_t offset, void* out, size_t len) const;

    /// Where data may begin at or after `offset`: the end of a hole of a sparse file (all
    /// of it reads as zero), else `offset` itself; Size() when only a hole follows.
    uint64_t NextData(uint64_t offset) const;

    uint8_t U8(uint64_t offset) const;
    uint16_t Le16(uint64_t offset) const;
    uint32_t Le32(uint64_t offset) const;
    uint16_t Be16(uint64_t offset) const;
    uint32_t Be32(uint64_t offset) const;

  private:
    FileSource(int fd, std::string path, uint64_t size, std::time_t mtime);
    void Close();

    /// Reads from the file itself, zero-filling what lies past its end.
    void ReadFromFile(uint64_t offset, unsigned char* out, size_t len) const;

    static constexpr size_t kHeadSize = 512;
    static constexpr size_t kWindowSize = 4096;
    int fd_ = -1;
    std::string path_;
    uint64_t size_ = 0;
    std::time_t mtime_ = 0;
    size_t headLen_ = 0;  // bytes of head_ that hold file data
    unsigned char head_[kHeadSize] = {};
    // A second cached block for the reads after the head (a TIFF directory at the end of
    // the file, JPEG segments): one system call serves a whole directory.
    mutable std::unique_ptr<unsigned char[]> window_;
    mutable uint64_t windowStart_ = 0;
    mutable size_t windowLen_ = 0;
};

/// The text of a platform file error, as the error box shows it: the path, CR LF, and a
/// Japanese description of errno.
std::string FileErrorText(const std::string& path, int errnoValue);

}  // namespace vellumo
