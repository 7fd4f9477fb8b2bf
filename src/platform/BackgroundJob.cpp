#include "platform/BackgroundJob.h"

#include <system_error>
#include <utility>

namespace vellumo {

BackgroundJob::BackgroundJob(Work work, std::function<void()> ended) {
    auto body = [this, work = std::move(work), ended = std::move(ended)] { Run(work, ended); };
    try {
        thread_ = std::thread(body);
    } catch (const std::system_error&) {
        body();
    }
}

BackgroundJob::~BackgroundJob() {
    if (thread_.joinable()) thread_.join();
}

void BackgroundJob::Run(const Work& work, const std::function<void()>& ended) noexcept {
    try {
        work([this](double done) { done_.store(done, std::memory_order_relaxed); });
    } catch (...) {
        error_ = std::current_exception();
    }
    ended_.store(true, std::memory_order_release);
    if (ended) ended();
}

std::exception_ptr BackgroundJob::Join() {
    if (thread_.joinable()) thread_.join();
    return std::exchange(error_, nullptr);
}

}  // namespace vellumo
