#pragma once

#include "device/RecordingClock.h"

#include <atomic>
#include <chrono>
#include <memory>

namespace vantora::test {

// A clock the test moves by hand: the recording's pace check sees exactly the
// time the test lets pass, and its stamps count from a fixed wall time.
class ManualClock {
public:
    static QDateTime wallStart() { return QDateTime(QDate(2026, 3, 4), QTime(10, 0)); }

    void advance(std::chrono::milliseconds d) { ms_->fetch_add(d.count()); }
    RecordingClock clock() const {
        RecordingClock c;
        c.monotonic = [ms = ms_] {
            return std::chrono::steady_clock::time_point(std::chrono::milliseconds(ms->load()));
        };
        c.wall = [] { return wallStart(); };
        return c;
    }

private:
    std::shared_ptr<std::atomic<long long>> ms_ = std::make_shared<std::atomic<long long>>(0);
};

} // namespace vantora::test
