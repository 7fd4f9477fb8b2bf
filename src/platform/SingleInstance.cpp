#include "platform/SingleInstance.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

namespace vellumo {

namespace {

bool IsAbsoluteFolder(const char* path) {
    if (!path || path[0] != '/') return false;
    struct stat st {};
    return stat(path, &st) == 0 && S_ISDIR(st.st_mode);
}

}  // namespace

std::string SingleInstanceLockPath(std::string_view name) {
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (IsAbsoluteFolder(runtime)) return std::string(runtime) + "/" + std::string(name);
    const char* tmp = std::getenv("TMPDIR");
    const std::string folder = IsAbsoluteFolder(tmp) ? std::string(tmp) : std::string("/tmp");
    return folder + "/" + std::string(name) + "-" + std::to_string(getuid());
}

std::optional<SingleInstance> SingleInstance::TryAcquire(std::string_view name) {
    return TryAcquireAt(SingleInstanceLockPath(name));
}

std::optional<SingleInstance> SingleInstance::TryAcquireAt(const std::string& lockPath) {
    // O_NOFOLLOW: in a shared temp folder another user could plant a link under our name.
    int fd;
    do {
        fd = open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) return SingleInstance(-1, lockPath);
    struct stat st {};
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_uid != geteuid()) {
        // Not a lock we can trust: a file of another user would let that user block us.
        close(fd);
        return SingleInstance(-1, lockPath);
    }
    int rc;
    do {
        rc = flock(fd, LOCK_EX | LOCK_NB);
    } while (rc != 0 && errno == EINTR);
    if (rc != 0) {
        const int err = errno;
        close(fd);
        if (err == EWOULDBLOCK) return std::nullopt;
        return SingleInstance(-1, lockPath);
    }
    return SingleInstance(fd, lockPath);
}

SingleInstance::SingleInstance(SingleInstance&& other) noexcept
    : fd_(other.fd_), path_(std::move(other.path_)) {
    other.fd_ = -1;
}

SingleInstance& SingleInstance::operator=(SingleInstance&& other) noexcept {
    if (this != &other) {
        if (fd_ >= 0) close(fd_);
        fd_ = other.fd_;
        path_ = std::move(other.path_);
        other.fd_ = -1;
    }
    return *this;
}

SingleInstance::~SingleInstance() {
    // The file stays: removing it would race with a copy that has just opened it and then
    // lock a file no longer reachable by name.
    if (fd_ >= 0) close(fd_);
}

}  // namespace vellumo
