#pragma once

#include "device/ContinuousSegmenter.h"
#include "device/LinkEndLatch.h"
#include "device/LinkSink.h"

#include <functional>
#include <mutex>
#include <vector>

namespace vantora {

// Records a live link into Continuous segments: every packet goes through the
// segmenter, a link start or end discards the unfinished segment (and says
// how much signal that was, 62650), and every message is kept for the caller
// (shown once per cause by the segmenter).
// After `segmentsWanted` segments (0: no limit) the rest of the stream is
// only counted and `onDone` is called once, inside the packet's call, so the
// caller can stop the link at once. Used by the command-line `record`.
class LiveRecording : public LinkSink {
public:
    LiveRecording(ContinuousSegmenter::Append append, int segmentsWanted,
                  std::function<void()> onDone = {}, RecordingClock clock = {});

    void livePacket(const AcqPacket& packet) override;
    void linkStatus(int status) override;
    void showMessage(const Message& message) override;

    // Waits until the link has ended; false on time-out.
    bool waitForEnd(int timeoutMs) const { return ended_.wait(timeoutMs); }

    int segments() const;
    int packets() const;
    int invalidPackets() const;
    std::vector<int> messageIds() const;
    // 62650 when the link ended with signal that did not make a whole segment.
    Message notStored() const;

private:
    bool wantsMore() const; // with mutex_ held

    mutable std::mutex mutex_;
    ContinuousSegmenter segmenter_;
    std::function<void()> onDone_;
    int segmentsWanted_;
    int packets_ = 0;
    int invalid_ = 0;
    std::vector<int> messages_;
    Message notStored_;
    LinkEndLatch ended_;
};

} // namespace vantora
