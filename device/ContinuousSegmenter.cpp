#include "device/ContinuousSegmenter.h"
#include "core/StringIds.h"

#include <algorithm>

namespace vantora {

namespace {} // namespace

Message notStoredMessage(int packets) {
    if (packets <= 0)
        return {};
    const int seconds = std::max(1, packets * ContinuousSegmenter::kFrameMs / 1000);
    return {ids::kNotStored, QString::number(seconds)};
}

ContinuousSegmenter::ContinuousSegmenter(Append append, RecordingClock clock)
    : append_(std::move(append)), clock_(std::move(clock)) {
    start();
}

void ContinuousSegmenter::start() {
    startedAt_ = clock_.monotonic();
    startedWall_ = clock_.wall();
    frames_ = 0;
    shift_ = 0;
    storedEnd_ = 0;
    backlog_ = 0;
}

Message ContinuousSegmenter::reset() {
    const Message dropped = notStoredMessage(int(pending_.size()));
    pending_.clear();
    retrying_ = false;
    lastReported_ = {};
    start();
    return dropped;
}

long long ContinuousSegmenter::framesDue() const {
    const auto elapsed =
        std::chrono::duration_cast<std::chrono::milliseconds>(clock_.monotonic() - startedAt_);
    return std::max<long long>(0, elapsed.count() / kFrameMs);
}

// Frames beyond the clock came before the start: the oldest ones are retimed
// as that backlog, and any that now fall before the last stored segment's end
// (or before the start) are dropped.
void ContinuousSegmenter::keepPace() {
    const long long excess = frames_ - shift_ - (framesDue() + kPaceTolerance);
    if (excess <= 0)
        return;
    backlog_ += excess;
    shift_ += excess;
    while (!pending_.empty() && pending_.front().frame - shift_ <= storedEnd_)
        pending_.pop_front();
}

Message ContinuousSegmenter::addPacket(const AcqPacket& packet) {
    ++frames_;
    if (packet.valid != 0)
        pending_.push_back({packet, frames_});
    keepPace();
    if (retrying_) {
        while (int(pending_.size()) > kSegmentPackets)
            pending_.pop_front(); // still refused: keep the latest 30 s
    }
    if (int(pending_.size()) < kSegmentPackets)
        return {};
    const long long end = pending_[kSegmentPackets - 1].frame - shift_;
    if (end > framesDue())
        return {}; // the signal is a little ahead of the clock: wait for its time
    return store(end);
}

Message ContinuousSegmenter::store(long long endFrame) {
    std::vector<AcqPacket> segment;
    segment.reserve(kSegmentPackets);
    for (int i = 0; i < kSegmentPackets; ++i)
        segment.push_back(pending_[size_t(i)].packet);
    const SystemTime stamp = SystemTime::fromDateTime(startedWall_.addMSecs(endFrame * kFrameMs));
    const Message result = append_(segment, stamp).message();
    if (!result.isNone() && result.id != ids::kWriteFailed) {
        ++failedAttempts_;
        retrying_ = true;
        return report(result);
    }
    pending_.erase(pending_.begin(), pending_.begin() + kSegmentPackets);
    storedEnd_ = endFrame;
    retrying_ = false;
    if (!result.isNone())
        return report(result);
    ++written_;
    lastReported_ = {};
    return {};
}

Message ContinuousSegmenter::report(const Message& m) {
    if (m == lastReported_)
        return {};
    lastReported_ = m;
    return m;
}

} // namespace vantora
