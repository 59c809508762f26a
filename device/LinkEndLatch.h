#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>

namespace vantora {

// Lets another thread wait for the end of a link (linkStatus 0), which the
// reader reports on its own thread.
class LinkEndLatch {
public:
    void release() {
        {
            std::lock_guard lock(mutex_);
            ended_ = true;
        }
        cv_.notify_all();
    }
    // False when the link has not ended within timeoutMs.
    bool wait(int timeoutMs) const {
        std::unique_lock lock(mutex_);
        return cv_.wait_for(lock, std::chrono::milliseconds(timeoutMs), [this] { return ended_; });
    }

private:
    mutable std::mutex mutex_;
    mutable std::condition_variable cv_;
    bool ended_ = false;
};

} // namespace vantora
