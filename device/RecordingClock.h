#pragma once

#include <QDateTime>

#include <atomic>
#include <chrono>
#include <functional>
#include <memory>

namespace vantora {

// Where a live recording reads the time: a monotonic clock for the pace
// check (no more signal than has passed since the start) and the wall clock
// for the start its segment stamps count from. Tests hand in a clock of
// their own, so an unpaced simulator can stand for minutes of recording.
struct RecordingClock {
    using Monotonic = std::function<std::chrono::steady_clock::time_point()>;
    using Wall = std::function<QDateTime()>;
    Monotonic monotonic = [] { return std::chrono::steady_clock::now(); };
    Wall wall = [] { return QDateTime::currentDateTime(); };

    // For streams replayed faster than real time (benchmarks, fuzzing, tests
    // on an unpaced simulator): every reading is a second after the one
    // before, more than the one frame per reading such a stream brings, so
    // the pace never holds a segment back.
    static RecordingClock unpaced() {
        RecordingClock c;
        c.monotonic = [n = std::make_shared<std::atomic<long long>>(0)] {
            return std::chrono::steady_clock::time_point(std::chrono::seconds(++*n));
        };
        return c;
    }
};

} // namespace vantora
