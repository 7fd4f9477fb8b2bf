#include "platform/AtomicFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "platform/Error.h"
#include "platform/FileSource.h"

namespace vellumo {

namespace {

std::string FolderOf(const std::string& path) {
    const auto slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return path.substr(0, slash);
}

std::string NameOf(const std::string& path) {
    const auto slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// The file a path names once symbolic links are followed (the path itself when it is no
// link or names nothing). Writing there keeps the user's link: a rename over the link
// itself would replace it by a plain file.
std::string FollowLinks(const std::string& path) {
    std::string current = path;
    for (int hops = 0; hops < 40; ++hops) {
        struct stat st {};
        if (lstat(current.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return current;
        std::string target(4096, '\0');
        const ssize_t n = readlink(current.c_str(), target.data(), target.size());
        if (n <= 0 || static_cast<size_t>(n) >= target.size())
            throw Error(FileErrorText(path, EINVAL));
        target.resize(static_cast<size_t>(n));
        current = target.front() == '/' ? target : FolderOf(current) + "/" + target;
    }
    throw Error(FileErrorText(path, ELOOP));
}

mode_t CurrentUmask() {
    const mode_t mask = umask(0);
    umask(mask);
    return mask;
}

}  // namespace

AtomicFile::AtomicFile(std::string targetPath)
    : target_(std::move(targetPath)), written_(FollowLinks(target_)) {
    std::string pattern = FolderOf(written_) + "/." + NameOf(written_) + ".XXXXXX";
    fd_ = mkostemp(pattern.data(), O_CLOEXEC);
    if (fd_ < 0) throw Error(FileErrorText(target_, errno));
    temp_ = std::move(pattern);
    struct stat st {};
    const mode_t mode =
        stat(written_.c_str(), &st) == 0 ? (st.st_mode & 07777) : (0666 & ~CurrentUmask());
    fchmod(fd_, mode);
}

AtomicFile::AtomicFile(AtomicFile&& other) noexcept
    : target_(std::move(other.target_)),
      written_(std::move(other.written_)),
      temp_(std::move(other.temp_)),
      fd_(other.fd_),
      stream_(other.stream_),
      done_(other.done_) {
    other.fd_ = -1;
    other.stream_ = nullptr;
    other.done_ = true;
}

AtomicFile::~AtomicFile() {
    if (!done_) Discard();
}

void AtomicFile::Discard() noexcept {
    if (stream_) {
        std::fclose(stream_);
        stream_ = nullptr;
        fd_ = -1;
    } else if (fd_ >= 0) {
        close(fd_);
        fd_ = -1;
    }
    if (!temp_.empty()) unlink(temp_.c_str());
    done_ = true;
}

std::FILE* AtomicFile::Stream() {
    if (!stream_) {
        stream_ = fdopen(fd_, "wb");
        if (!stream_) throw Error(FileErrorText(target_, errno));
    }
    return stream_;
}

void AtomicFile::Write(const void* data, size_t len) {
    if (len == 0) return;
    if (std::fwrite(data, 1, len, Stream()) != len) throw Error(FileErrorText(target_, errno));
}

void AtomicFile::Commit() {
    if (done_) throw Error(FileErrorText(target_, EBADF));
    int err = 0;
    if (stream_ && std::fflush(stream_) != 0) err = errno;
    if (!err && fsync(fd_) != 0) err = errno;
    int closeResult = 0;
    if (stream_) {
        closeResult = std::fclose(stream_);
        stream_ = nullptr;
    } else {
        closeResult = close(fd_);
    }
    fd_ = -1;
    if (!err && closeResult != 0) err = errno;
    if (!err && rename(temp_.c_str(), written_.c_str()) != 0) err = errno;
    if (err) {
        Discard();
        throw Error(FileErrorText(target_, err));
    }
    done_ = true;
}

void WriteFileAtomically(const std::string& path, const std::string& bytes) {
    AtomicFile file(path);
    file.Write(bytes.data(), bytes.size());
    file.Commit();
}

}  // namespace vellumo
