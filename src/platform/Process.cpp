#include "platform/Process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>
#include <thread>
#include <utility>

#include "platform/Error.h"

extern char** environ;

namespace vellumo {

namespace {

/// Frees the spawn attributes and file actions on every way out.
struct SpawnSetup {
    posix_spawn_file_actions_t actions;
    posix_spawnattr_t attr;
    bool actionsMade = false, attrMade = false;
    ~SpawnSetup() {
        if (actionsMade) posix_spawn_file_actions_destroy(&actions);
        if (attrMade) posix_spawnattr_destroy(&attr);
    }
};

[[noreturn]] void CannotStart(const std::string& program, int err) {
    throw Error("「" + program + "」を起動できません。(" + std::strerror(err) + ")");
}

ProcessEnd EndOf(int status) {
    if (WIFEXITED(status)) return {true, WEXITSTATUS(status)};
    return {false, WIFSIGNALED(status) ? WTERMSIG(status) : 0};
}

}  // namespace

Process Process::Start(const std::vector<std::string>& argv) {
    if (argv.empty() || argv.front().empty()) CannotStart(std::string(), ENOENT);
    std::vector<char*> args;
    args.reserve(argv.size() + 1);
    for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);

    SpawnSetup s;
    int rc = posix_spawn_file_actions_init(&s.actions);
    if (rc != 0) CannotStart(argv.front(), rc);
    s.actionsMade = true;
    rc = posix_spawnattr_init(&s.attr);
    if (rc != 0) CannotStart(argv.front(), rc);
    s.attrMade = true;

    // No console: the three standard streams lead nowhere. Nothing else is inherited.
    if ((rc = posix_spawn_file_actions_addopen(&s.actions, 0, "/dev/null", O_RDONLY, 0)) != 0 ||
        (rc = posix_spawn_file_actions_addopen(&s.actions, 1, "/dev/null", O_WRONLY, 0)) != 0 ||
        (rc = posix_spawn_file_actions_adddup2(&s.actions, 1, 2)) != 0)
        CannotStart(argv.front(), rc);
#if defined(__GLIBC__) && (__GLIBC__ > 2 || (__GLIBC__ == 2 && __GLIBC_MINOR__ >= 34))
    if ((rc = posix_spawn_file_actions_addclosefrom_np(&s.actions, 3)) != 0)
        CannotStart(argv.front(), rc);
#endif
    sigset_t none, all;
    sigemptyset(&none);
    sigfillset(&all);
    // A group of its own, led by it: whatever it starts can be ended with it.
    const short flags = POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETPGROUP;
    if ((rc = posix_spawnattr_setsigmask(&s.attr, &none)) != 0 ||
        (rc = posix_spawnattr_setsigdefault(&s.attr, &all)) != 0 ||
        (rc = posix_spawnattr_setpgroup(&s.attr, 0)) != 0 ||
        (rc = posix_spawnattr_setflags(&s.attr, flags)) != 0)
        CannotStart(argv.front(), rc);

    pid_t pid = -1;
    // glibc reports a failed exec (missing, not executable, not a program) here.
    rc = posix_spawn(&pid, args.front(), &s.actions, &s.attr, args.data(), environ);
    if (rc != 0) CannotStart(argv.front(), rc);
    int pidfd = -1;
#ifdef SYS_pidfd_open
    // Through the system call: glibc's header declares the wrapper without C linkage.
    // Works on the process even once it has ended: it is not reaped before we wait for it.
    pidfd = int(syscall(SYS_pidfd_open, pid, 0));
#endif
    return Process(pid, pidfd);
}

Process::Process(Process&& other) noexcept
    : pid_(std::exchange(other.pid_, -1)),
      pidfd_(std::exchange(other.pidfd_, -1)),
      end_(other.end_) {}

Process& Process::operator=(Process&& other) noexcept {
    if (this != &other) {
        Release();
        pid_ = std::exchange(other.pid_, -1);
        pidfd_ = std::exchange(other.pidfd_, -1);
        end_ = other.end_;
    }
    return *this;
}

Process::~Process() { Release(); }

void Process::Release() noexcept {
    if (pid_ > 0 && !end_) Kill();
    if (pidfd_ >= 0) close(pidfd_);
    pid_ = -1;
    pidfd_ = -1;
}

std::optional<ProcessEnd> Process::TryWait() {
    if (end_ || pid_ <= 0) return end_;
    // Looked at without reaping: until it is reaped its pid, which is its group's id, cannot
    // be given to another process, so the group can still be ended safely.
    siginfo_t info{};
    int r;
    do {
        r = waitid(P_PID, id_t(pid_), &info, WEXITED | WNOHANG | WNOWAIT);
    } while (r < 0 && errno == EINTR);
    if (r < 0) {  // reaped elsewhere (nothing here does that): its end is unknown
        end_ = ProcessEnd{false, 0};
        return end_;
    }
    if (info.si_pid == 0) return std::nullopt;
    Reap(false);
    return end_;
}

void Process::Reap(bool kill) {
    // What it started may still run in its group: it ends with it.
    ::kill(-pid_, SIGKILL);
    if (kill) ::kill(pid_, SIGKILL);  // in case it left its group
    int status = 0;
    pid_t r;
    do {
        r = waitpid(pid_, &status, 0);
    } while (r < 0 && errno == EINTR);
    // r < 0: reaped elsewhere (nothing here does that); its end is unknown, not a success.
    end_ = r == pid_ ? EndOf(status) : ProcessEnd{false, kill ? SIGKILL : 0};
}

std::optional<ProcessEnd> Process::WaitFor(std::chrono::milliseconds timeout) {
    using Clock = std::chrono::steady_clock;
    const Clock::time_point deadline = Clock::now() + timeout;
    for (;;) {
        if (auto end = TryWait()) return end;
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        if (left.count() <= 0) return std::nullopt;
        if (pidfd_ >= 0) {
            pollfd p{pidfd_, POLLIN, 0};
            // EINTR or the end: either way the loop looks again.
            poll(&p, 1, int(std::min<long long>(left.count(), INT_MAX)));
        } else {
            std::this_thread::sleep_for(std::min(left, std::chrono::milliseconds(5)));
        }
    }
}

ProcessEnd Process::Kill() {
    // A moved-from object has no process: never kill(-1, ...), which reaches every process.
    if (pid_ <= 0) return end_.value_or(ProcessEnd{});
    if (auto end = TryWait()) return *end;
    Reap(true);
    return *end_;
}

}  // namespace vellumo
