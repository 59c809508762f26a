#include "device/LiveRecording.h"

namespace vantora {

LiveRecording::LiveRecording(ContinuousSegmenter::Append append, int segmentsWanted,
                             std::function<void()> onDone, RecordingClock clock)
    : segmenter_(std::move(append), std::move(clock)), onDone_(std::move(onDone)),
      segmentsWanted_(segmentsWanted) {}

bool LiveRecording::wantsMore() const {
    return segmentsWanted_ <= 0 || segmenter_.segmentsWritten() < segmentsWanted_;
}

void LiveRecording::livePacket(const AcqPacket& packet) {
    bool done = false;
    {
        std::lock_guard lock(mutex_);
        ++packets_;
        invalid_ += packet.valid == 0 ? 1 : 0;
        if (!wantsMore())
            return;
        const Message m = segmenter_.addPacket(packet);
        if (!m.isNone())
            messages_.push_back(m.id);
        done = segmentsWanted_ > 0 && segmenter_.segmentsWritten() == segmentsWanted_;
    }
    if (done && onDone_)
        onDone_();
}

void LiveRecording::linkStatus(int status) {
    if (status != 0)
        return;
    {
        std::lock_guard lock(mutex_);
        // Any link end (or failed open) leaves no half segment behind. What
        // comes after the wanted segments was never meant to be kept.
        const bool recording = wantsMore();
        const Message dropped = segmenter_.reset();
        if (recording && !dropped.isNone()) {
            notStored_ = dropped;
            messages_.push_back(dropped.id);
        }
    }
    ended_.release();
}

void LiveRecording::showMessage(const Message& message) {
    std::lock_guard lock(mutex_);
    messages_.push_back(message.id);
}

Message LiveRecording::notStored() const {
    std::lock_guard lock(mutex_);
    return notStored_;
}

int LiveRecording::segments() const {
    std::lock_guard lock(mutex_);
    return segmenter_.segmentsWritten();
}

int LiveRecording::packets() const {
    std::lock_guard lock(mutex_);
    return packets_;
}

int LiveRecording::invalidPackets() const {
    std::lock_guard lock(mutex_);
    return invalid_;
}

std::vector<int> LiveRecording::messageIds() const {
    std::lock_guard lock(mutex_);
    return messages_;
}

} // namespace vantora
