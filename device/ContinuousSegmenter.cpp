#include "device/ContinuousSegmenter.h"

namespace vantora {

namespace {

constexpr int kWriteFailed = 61341;

} // namespace

ContinuousSegmenter::ContinuousSegmenter(Append append) : append_(std::move(append)) {
    buffer_.reserve(kSegmentPackets);
}

void ContinuousSegmenter::reset() {
    buffer_.clear();
    lastReported_ = {};
}

Message ContinuousSegmenter::addPacket(const AcqPacket& packet) {
    if (packet.valid == 0)
        return {};
    if (int(buffer_.size()) >= kSegmentPackets)
        buffer_.erase(buffer_.begin()); // still refused: keep the latest 30 s
    buffer_.push_back(packet);
    if (int(buffer_.size()) < kSegmentPackets)
        return {};
    const Message result = append_(buffer_);
    if (result.isNone() || result.id == kWriteFailed) {
        buffer_.clear();
        if (result.isNone()) {
            ++written_;
            lastReported_ = {};
            return {};
        }
    } else {
        ++failedAttempts_;
    }
    return report(result);
}

Message ContinuousSegmenter::report(const Message& m) {
    if (m == lastReported_)
        return {};
    lastReported_ = m;
    return m;
}

} // namespace vantora
