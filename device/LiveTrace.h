#pragma once

#include "core/AcqPacket.h"
#include "core/SignalFormat.h"

#include <QPoint>

#include <array>
#include <cstdint>
#include <vector>

namespace vantora {

// The sweeping monitor's data: the last 9 s of live samples in a ring that is
// overwritten in place (250 samples/s, 2250 samples), reduced to one point per
// pixel column at 0.3 px per sample (75 px/s), keeping in each column the
// sample farthest from the baseline 512. y grows downwards: 512 lies at 235,
// 1023 at 141, and the reset value far below the visible area, so a fresh
// trace shows nothing. The drawing itself is LiveTracePainter's; LiveTraceTest
// checks the point lists.
class LiveTrace {
public:
    static constexpr int kRingEntries = 3000;              // of which kSamples are used
    static constexpr int kSamples = 9 * kSamplesPerSecond; // 2250
    static constexpr int32_t kResetValue = -5000;
    static constexpr int kPoints = 675; // pixel columns of kSamples
    static constexpr int kSweepGapPoints = 10;

    LiveTrace() { reset(); }

    void reset();
    void push(int32_t sample);
    void push(const AcqPacket& packet); // its four samples in order
    void rebuild();

    // Pixel row of a sample value, in integers as the monitor has always had it.
    static int yOf(int32_t value);

    int writePosition() const { return write_; }
    int32_t sampleAt(int ringIndex) const { return ring_[size_t(ringIndex)]; }
    const std::vector<QPoint>& points() const { return points_; }

    // The polyline stops at point `firstEnd` and resumes at `secondStart`: the
    // erase bar just ahead of the newest sample. secondStart == size(): none.
    struct Sweep {
        int firstEnd = 0;
        int secondStart = 0;
    };
    Sweep sweep() const;

private:
    std::array<int32_t, kRingEntries> ring_{};
    int write_ = 0;
    std::vector<QPoint> points_;
};

} // namespace vantora
