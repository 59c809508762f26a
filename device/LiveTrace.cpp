#include "device/LiveTrace.h"

#include "core/SampleRange.h"

#include <cstdlib>

namespace vantora {

void LiveTrace::reset() {
    ring_.fill(kResetValue);
    write_ = 0;
    points_.clear();
}

void LiveTrace::push(int32_t sample) {
    ring_[size_t(write_)] = clampSample(sample);
    write_ = write_ + 1 < kSamples ? write_ + 1 : 0;
}

void LiveTrace::push(const AcqPacket& packet) {
    for (int32_t s : packet.samples)
        push(s);
}

int LiveTrace::yOf(int32_t value) {
    int t = (1024 - clampSample(value)) * 2; // callers outside the ring too
    t /= 9;
    t *= 11;
    t /= 12;
    t *= 11;
    t /= 12;
    return t + 141;
}

// Ring order, not time order: the column of ring entry i is fixed, so the
// sweep overwrites the picture in place. The entry that opens a new column
// is weighed before the previous column's point is emitted, so it may stand
// for that column.
void LiveTrace::rebuild() {
    points_.clear();
    points_.reserve(kPoints);
    int previousColumn = 1;
    int bestDeviation = -1;
    int32_t candidate = 0;
    for (int i = 0; i < kSamples; ++i) {
        const int32_t s = ring_[size_t(i)];
        const int deviation = std::abs(s - kSampleBaseline);
        if (deviation > bestDeviation) {
            candidate = s;
            bestDeviation = deviation;
        }
        const int column = int(0.3 * i + 1.5);
        if (column != previousColumn) {
            points_.emplace_back(column - 1, yOf(candidate));
            bestDeviation = -1;
        }
        previousColumn = column;
    }
}

LiveTrace::Sweep LiveTrace::sweep() const {
    const int count = int(points_.size());
    int g = int(write_ * 3 * 0.1);
    if (count < g)
        g = 0;
    const int resume = g < count - kSweepGapPoints ? g + kSweepGapPoints : count;
    return {g, resume};
}

} // namespace vantora
