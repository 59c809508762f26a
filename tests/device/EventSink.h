#pragma once

#include "device/LinkSink.h"

#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

namespace vantora::test {

// A LinkSink that logs every call in order, for checks on what a reader
// reported and when. Optional hooks run inside the call, as a page's handler
// would (on the reader's thread, while the reader waits).
class EventSink : public LinkSink {
public:
    struct Event {
        int message = 0; // wm::kEcgData, wm::kEcgRecordHeader, wm::kEcgLinkStatus, or a text id
        uint32_t wParam = 0;
        int value = 0; // lParam: record number, status; table index for blocks and headers
    };

    std::function<void(const BlockTag&)> onBlock;
    std::function<void(const AcqPacket&)> onPacket;

    void livePacket(const AcqPacket& p) override {
        {
            std::lock_guard lock(mutex_);
            packets_.push_back(p);
        }
        if (onPacket)
            onPacket(p);
    }
    void recordHeader(int tableIndex, const DeviceRecordHeader& h) override {
        std::lock_guard lock(mutex_);
        events_.push_back({wm::kEcgRecordHeader, uint32_t(tableIndex), tableIndex});
        headers_.push_back(h);
    }
    void dataBlock(const BlockTag& tag, const SampleBlock&) override {
        {
            std::lock_guard lock(mutex_);
            events_.push_back({wm::kEcgData, tag.wParam(), tag.tableIndex});
        }
        if (onBlock)
            onBlock(tag);
    }
    void recordEnd(int, int recordNumber) override {
        std::lock_guard lock(mutex_);
        events_.push_back({wm::kEcgData, 0xFFFFFFFFu, recordNumber});
    }
    void linkStatus(int status) override {
        {
            std::lock_guard lock(mutex_);
            events_.push_back({wm::kEcgLinkStatus, 0, status});
            ended_ = ended_ || status == 0;
        }
        cv_.notify_all();
    }
    void showMessage(const Message& m) override {
        std::lock_guard lock(mutex_);
        events_.push_back({m.id, 0, 0});
        messages_.push_back(m.id);
    }

    bool waitForEnd(int timeoutMs = 30000) {
        std::unique_lock lock(mutex_);
        return cv_.wait_for(lock, std::chrono::milliseconds(timeoutMs), [this] { return ended_; });
    }
    std::vector<Event> events() const {
        std::lock_guard lock(mutex_);
        return events_;
    }
    std::vector<int> messages() const {
        std::lock_guard lock(mutex_);
        return messages_;
    }
    std::vector<AcqPacket> packets() const {
        std::lock_guard lock(mutex_);
        return packets_;
    }
    std::vector<DeviceRecordHeader> headers() const {
        std::lock_guard lock(mutex_);
        return headers_;
    }
    int count(int message) const {
        std::lock_guard lock(mutex_);
        int n = 0;
        for (const Event& e : events_)
            n += e.message == message ? 1 : 0;
        return n;
    }

private:
    mutable std::mutex mutex_;
    std::condition_variable cv_;
    std::vector<Event> events_;
    std::vector<int> messages_;
    std::vector<AcqPacket> packets_;
    std::vector<DeviceRecordHeader> headers_;
    bool ended_ = false;
};

} // namespace vantora::test
