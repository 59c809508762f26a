#include "device/MemoryLine.h"

#include <algorithm>
#include <chrono>

namespace vantora {

void MemoryLine::feed(const uint8_t* data, int n) {
    {
        std::lock_guard lock(mutex_);
        input_.insert(input_.end(), data, data + n);
    }
    arrived_.notify_all();
}

void MemoryLine::feedAfterSilentWaits(int n, const std::vector<uint8_t>& bytes) {
    std::lock_guard lock(mutex_);
    pendingAfter_ = n;
    pending_ = bytes;
}

void MemoryLine::vanish() {
    {
        std::lock_guard lock(mutex_);
        failed_ = true;
    }
    arrived_.notify_all();
}

std::vector<uint8_t> MemoryLine::written() const {
    std::lock_guard lock(mutex_);
    return written_;
}

int MemoryLine::purges() const {
    std::lock_guard lock(mutex_);
    return purges_;
}

int MemoryLine::silentWaits() const {
    std::lock_guard lock(mutex_);
    return silentWaits_;
}

bool MemoryLine::isOpen() const {
    std::lock_guard lock(mutex_);
    return open_;
}

void MemoryLine::close() {
    std::lock_guard lock(mutex_);
    open_ = false;
}

int MemoryLine::bytesWaiting() {
    std::lock_guard lock(mutex_);
    if (!open_ || failed_)
        return -1;
    return int(input_.size());
}

int MemoryLine::read(uint8_t* data, int max) {
    std::lock_guard lock(mutex_);
    if (!open_ || failed_)
        return -1;
    const int n = std::min(max, int(input_.size()));
    std::copy_n(input_.begin(), n, data);
    input_.erase(input_.begin(), input_.begin() + n);
    return n;
}

int MemoryLine::write(const uint8_t* data, int n) {
    {
        std::lock_guard lock(mutex_);
        if (!open_ || failed_)
            return -1;
        written_.insert(written_.end(), data, data + n);
    }
    if (responder_)
        responder_(*this, data, n);
    return n;
}

void MemoryLine::purge() {
    std::lock_guard lock(mutex_);
    input_.clear();
    ++purges_;
}

bool MemoryLine::waitForInput(int timeoutMs) {
    std::unique_lock lock(mutex_);
    arrived_.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                      [this] { return !input_.empty() || failed_ || !open_; });
    const bool got = open_ && !failed_ && !input_.empty();
    if (!got && ++silentWaits_ == pendingAfter_) {
        input_.insert(input_.end(), pending_.begin(), pending_.end());
        pendingAfter_ = -1;
    }
    return got;
}

} // namespace vantora
