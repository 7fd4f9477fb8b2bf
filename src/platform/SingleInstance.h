#pragma once
// One running copy per login: a lock file held with flock. The kernel drops the lock when
// the holding process ends in any way, so a crashed copy never blocks a new start.

#include <optional>
#include <string>
#include <string_view>
#include <utility>

namespace vellumo {

/// The lock's name.
inline constexpr std::string_view kSingleInstanceName = "Voda";

/// Where the lock named `name` lives: `$XDG_RUNTIME_DIR/<name>` when that variable names
/// an absolute folder that exists, else `<temp folder>/<name>-<user id>` (temp folder:
/// `$TMPDIR` when absolute, else /tmp).
std::string SingleInstanceLockPath(std::string_view name = kSingleInstanceName);

/// The held lock. Move-only; the destructor releases it (closing the file, which the
/// kernel also does when the process ends or crashes). The descriptor is close-on-exec,
/// so programs the process starts (Ghostscript) never inherit the lock.
class SingleInstance {
  public:
    /// Tries to take the lock at SingleInstanceLockPath(name). Returns nothing when another
    /// process holds it ("already running"). When the lock file cannot be made or is not
    /// the user's own (unwritable folder, a file planted by another user), the start is not
    /// refused: the result is an object that holds no lock (Held() false), so the program
    /// runs as if alone.
    static std::optional<SingleInstance> TryAcquire(std::string_view name = kSingleInstanceName);
    /// The same with the lock file at `lockPath` (tests).
    static std::optional<SingleInstance> TryAcquireAt(const std::string& lockPath);

    SingleInstance(SingleInstance&& other) noexcept;
    SingleInstance& operator=(SingleInstance&& other) noexcept;
    SingleInstance(const SingleInstance&) = delete;
    SingleInstance& operator=(const SingleInstance&) = delete;
    ~SingleInstance();

    /// Whether this object holds the lock (false only in the fail-open case above).
    bool Held() const { return fd_ >= 0; }
    const std::string& Path() const { return path_; }

  private:
    SingleInstance(int fd, std::string path) : fd_(fd), path_(std::move(path)) {}

    int fd_ = -1;
    std::string path_;
};

}  // namespace vellumo
