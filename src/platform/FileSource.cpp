#include "platform/FileSource.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <utility>

#include "platform/Error.h"

namespace vellumo {

namespace {

bool NamesNothing(int err) {
    return err == ENOENT || err == ENOTDIR || err == ELOOP || err == ENAMETOOLONG;
}

const char* JapaneseErrno(int err) {
    switch (err) {
        case EACCES:
        case EPERM:
            return "アクセスが拒否されました。";
        case EBUSY:
        case ETXTBSY:
            return "ファイルは別のプロセスで使用中です。";
        case EIO:
            return "ファイルの読み込み中に入出力エラーが発生しました。";
        case EMFILE:
        case ENFILE:
            return "開いているファイルが多すぎます。";
        case ENOMEM:
            return "メモリが不足しています。";
        case EISDIR:
            return "フォルダーです。";
        case ENOENT:
        case ENOTDIR:
            return "ファイルまたはフォルダーがありません。";
        case ELOOP:
            return "シンボリックリンクが循環しています。";
        case ENAMETOOLONG:
            return "パスが長すぎます。";
        default:
            return "ファイルを開けません。";
    }
}

}  // namespace

std::string FileErrorText(const std::string& path, int errnoValue) {
    std::string text = path;
    text += "\r\n";
    text += JapaneseErrno(errnoValue);
    text += " (";
    text += std::strerror(errnoValue);
    text += ")";
    return text;
}

std::optional<FileSource> FileSource::Open(const std::string& path) {
    int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) {
        const int err = errno;
        if (NamesNothing(err)) return std::nullopt;
        struct stat st {};
        if (::stat(path.c_str(), &st) != 0) {
            // A file in a folder the user may not search cannot even be looked at: that is
            // the permission error, not a missing file.
            if (NamesNothing(errno)) return std::nullopt;
            throw Error(FileErrorText(path, err));
        }
        if (!S_ISREG(st.st_mode)) return std::nullopt;
        throw Error(FileErrorText(path, err));
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0) {
        const int err = errno;
        ::close(fd);
        throw Error(FileErrorText(path, err));
    }
    if (!S_ISREG(st.st_mode)) {
        ::close(fd);
        return std::nullopt;
    }
    FileSource source(fd, path, static_cast<uint64_t>(st.st_size), st.st_mtime);
    // One read serves the probe and most headers.
    size_t got = 0;
    while (got < kHeadSize) {
        ssize_t n = ::pread(fd, source.head_ + got, kHeadSize - got, static_cast<off_t>(got));
        if (n < 0) {
            if (errno == EINTR) continue;
            throw Error(FileErrorText(path, errno));
        }
        if (n == 0) break;
        got += static_cast<size_t>(n);
    }
    source.headLen_ = got;
    return source;
}

FileSource::FileSource(int fd, std::string path, uint64_t size, std::time_t mtime)
    : fd_(fd), path_(std::move(path)), size_(size), mtime_(mtime) {}

FileSource::FileSource(FileSource&& other) noexcept
    : fd_(std::exchange(other.fd_, -1)),
      path_(std::move(other.path_)),
      size_(other.size_),
      mtime_(other.mtime_),
      headLen_(other.headLen_),
      window_(std::move(other.window_)),
      windowStart_(other.windowStart_),
      windowLen_(other.windowLen_) {
    std::memcpy(head_, other.head_, sizeof head_);
}

FileSource& FileSource::operator=(FileSource&& other) noexcept {
    if (this != &other) {
        Close();
        fd_ = std::exchange(other.fd_, -1);
        path_ = std::move(other.path_);
        size_ = other.size_;
        mtime_ = other.mtime_;
        headLen_ = other.headLen_;
        std::memcpy(head_, other.head_, sizeof head_);
        window_ = std::move(other.window_);
        windowStart_ = other.windowStart_;
        windowLen_ = other.windowLen_;
    }
    return *this;
}

FileSource::~FileSource() { Close(); }

void FileSource::Close() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
}

void FileSource::Read(uint64_t offset, void* out, size_t len) const {
    auto* dst = static_cast<unsigned char*>(out);
    std::memset(dst, 0, len);
    if (len == 0) return;
    if (offset < headLen_) {
        const size_t n = std::min(len, headLen_ - static_cast<size_t>(offset));
        std::memcpy(dst, head_ + offset, n);
        if (n == len) return;
        dst += n;
        len -= n;
        offset += n;
    }
    if (headLen_ < kHeadSize || offset >= size_) return;  // past the end: zeros
    if (len > kWindowSize) {
        ReadFromFile(offset, dst, len);
        return;
    }
    if (!(window_ && offset >= windowStart_ && offset - windowStart_ + len <= windowLen_)) {
        if (!window_) window_ = std::make_unique<unsigned char[]>(kWindowSize);
        windowStart_ = offset;
        windowLen_ = static_cast<size_t>(std::min<uint64_t>(kWindowSize, size_ - offset));
        ReadFromFile(windowStart_, window_.get(), windowLen_);
    }
    const size_t from = static_cast<size_t>(offset - windowStart_);
    std::memcpy(dst, window_.get() + from, std::min(len, windowLen_ - from));
}

void FileSource::ReadFromFile(uint64_t offset, unsigned char* out, size_t len) const {
    std::memset(out, 0, len);
    // Offsets that cannot be an off_t lie past any real file's end: they stay zero.
    constexpr uint64_t kMaxOffset = static_cast<uint64_t>(INT64_MAX) / 2;
    if (offset >= kMaxOffset) return;
    size_t got = 0;
    while (got < len) {
        ssize_t n = ::pread(fd_, out + got, len - got, static_cast<off_t>(offset + got));
        if (n < 0) {
            if (errno == EINTR) continue;
            throw Error(FileErrorText(path_, errno));
        }
        if (n == 0) break;
        got += static_cast<size_t>(n);
    }
}

uint64_t FileSource::NextData(uint64_t offset) const {
    if (offset >= size_) return size_;
    // The descriptor's own offset is not used by the reads here (pread); a copy made for
    // an image library sets its own before use.
    const off_t data = ::lseek(fd_, static_cast<off_t>(offset), SEEK_DATA);
    if (data < 0) return errno == ENXIO ? size_ : offset;
    return std::min<uint64_t>(static_cast<uint64_t>(data), size_);
}

uint8_t FileSource::U8(uint64_t offset) const {
    uint8_t b = 0;
    Read(offset, &b, 1);
    return b;
}

uint16_t FileSource::Le16(uint64_t offset) const {
    unsigned char b[2];
    Read(offset, b, 2);
    return static_cast<uint16_t>(b[0] | (b[1] << 8));
}

uint32_t FileSource::Le32(uint64_t offset) const {
    unsigned char b[4];
    Read(offset, b, 4);
    return static_cast<uint32_t>(b[0]) | (static_cast<uint32_t>(b[1]) << 8) |
           (static_cast<uint32_t>(b[2]) << 16) | (static_cast<uint32_t>(b[3]) << 24);
}

uint16_t FileSource::Be16(uint64_t offset) const {
    unsigned char b[2];
    Read(offset, b, 2);
    return static_cast<uint16_t>((b[0] << 8) | b[1]);
}

uint32_t FileSource::Be32(uint64_t offset) const {
    unsigned char b[4];
    Read(offset, b, 4);
    return (static_cast<uint32_t>(b[0]) << 24) | (static_cast<uint32_t>(b[1]) << 16) |
           (static_cast<uint32_t>(b[2]) << 8) | static_cast<uint32_t>(b[3]);
}

}  // namespace vellumo
