#pragma once
// One piece of work on a thread of its own, for a window that must not wait for it: the
// window starts it, hears of its end from that thread, and takes the outcome back on its
// own thread.

#include <atomic>
#include <exception>
#include <functional>
#include <thread>

namespace vellumo {

class BackgroundJob {
  public:
    /// How far the work has come, from 0 to 1; called by the work on its thread.
    using Progress = std::function<void(double done)>;
    using Work = std::function<void(const Progress&)>;

    /// Starts `work` on a new thread. `ended` is called on that thread once the work has
    /// ended, thrown or not: it must only pass the news on (post a message), never wait for
    /// this job. Where no thread can be started, the work runs here before the constructor
    /// returns (the same result; only the caller waited for it).
    BackgroundJob(Work work, std::function<void()> ended);
    /// Waits for the work's end.
    ~BackgroundJob();
    BackgroundJob(const BackgroundJob&) = delete;
    BackgroundJob& operator=(const BackgroundJob&) = delete;

    bool Ended() const { return ended_.load(std::memory_order_acquire); }
    /// The last progress the work told, 0 to 1.
    double Done() const { return done_.load(std::memory_order_relaxed); }
    /// Waits for the end and gives what the work threw, or null; once only.
    std::exception_ptr Join();

  private:
    void Run(const Work& work, const std::function<void()>& ended) noexcept;

    std::atomic<bool> ended_{false};
    std::atomic<double> done_{0.0};
    std::exception_ptr error_;
    std::thread thread_;
};

}  // namespace vellumo
