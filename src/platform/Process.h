#pragma once
// Another program run beside this one, as a console program with its window hidden: started
// without a shell from an argument vector, its pid kept so its end can be waited for.

#include <sys/types.h>

#include <chrono>
#include <optional>
#include <string>
#include <vector>

namespace vellumo {

/// How a process ended.
struct ProcessEnd {
    /// Ended by exit (with `status`); false: ended by the signal `status`.
    bool exited = false;
    int status = 0;
    /// Exited with status 0.
    bool Succeeded() const { return exited && status == 0; }
};

/// One started process, in a process group of its own. Move-only. It is reaped exactly
/// once, by whichever of TryWait, WaitFor, Kill or the destructor sees its end first: a
/// process is never left a zombie, and the destructor kills one that still runs, so it
/// never outlives its owner unnoticed. Whatever it started in its group (a wrapper
/// script's programs) is killed when it ends or is killed, so nothing it started outlives
/// it either.
class Process {
  public:
    /// Starts the program at the path argv[0] (PATH is not searched) with `argv` as its
    /// arguments exactly as they are: no shell, so spaces, quotes and any UTF-8 text pass
    /// unchanged. Environment and working folder are this process's; standard input,
    /// output and error are /dev/null; signal mask and handlers start at their defaults;
    /// no other descriptor of this process is passed on; it leads a new process group.
    /// Throws Error (the platform's
    /// reason) when the program cannot be started: missing, not executable, not a program,
    /// or `argv` empty.
    static Process Start(const std::vector<std::string>& argv);

    Process(Process&& other) noexcept;
    Process& operator=(Process&& other) noexcept;
    Process(const Process&) = delete;
    Process& operator=(const Process&) = delete;
    ~Process();

    pid_t Pid() const { return pid_; }
    /// The end, once seen; nothing while the process runs.
    const std::optional<ProcessEnd>& End() const { return end_; }

    /// The end if the process has ended now; nothing while it runs. Never waits.
    std::optional<ProcessEnd> TryWait();
    /// Waits at most `timeout` for the end, returning as soon as it comes; nothing when the
    /// process still runs after `timeout`.
    std::optional<ProcessEnd> WaitFor(std::chrono::milliseconds timeout);
    /// Kills the process and its group (SIGKILL) unless it has ended, and reaps it. Returns
    /// its end.
    ProcessEnd Kill();

  private:
    Process(pid_t pid, int pidfd) : pid_(pid), pidfd_(pidfd) {}
    void Release() noexcept;
    /// Kills what is left of the group (and with `kill` the process itself) and reaps the
    /// process.
    void Reap(bool kill);

    pid_t pid_ = -1;
    /// A descriptor that becomes readable when the process ends; -1 where the system has
    /// none (WaitFor then looks in short steps).
    int pidfd_ = -1;
    std::optional<ProcessEnd> end_;
};

}  // namespace vellumo
