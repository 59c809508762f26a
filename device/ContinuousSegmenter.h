#pragma once

#include "core/AcqPacket.h"
#include "core/Message.h"
#include "core/Result.h"
#include "device/RecordingClock.h"
#include "records/RecordIndexEntry.h"

#include <deque>
#include <functional>
#include <span>
#include <vector>

namespace vantora {

// Cuts the live stream into Continuous segments: every 1875 valid packets
// (7500 samples, 30 s of signal) are handed to the store. Packets without a
// valid signal are never stored, so a segment may span more wall time.
//
// - The recorder sends 62.5 frames/s. The segmenter keeps the recorder's time
//   from the start (construction or reset()): frame n ends n * 16 ms after it.
//   More frames than the time since the start allows (beyond kPaceTolerance)
//   are a backlog from before the start (a line that buffered while no one
//   read it): the oldest frames are taken as that backlog and dropped, so
//   what is kept is the latest signal.
// - A segment is stored once the time of its last frame has come, never
//   earlier: segment k needs k * 30 s since the start. Its stamp is the start
//   plus that time, not the moment its bytes were read.
// - reset() (a link start or end) discards the unfinished segment and says
//   how many seconds of signal that was.
// - While the store refuses a segment (files cannot be opened, store full),
//   the latest 1875 valid packets are kept, dropping the oldest one per new
//   packet, and the store is tried again with every new packet; a segment
//   written later is the last 30 s of signal, ending at its time stamp.
// - Each message is reported once until a segment is stored again, not per packet.
// ContinuousSegmenterTest covers these; LiveLinkTest runs it on the simulator.
class ContinuousSegmenter {
public:
    static constexpr int kSegmentPackets = 1875; // liveSegmentFrames
    static constexpr int kFrameMs = 16;          // 62.5 frames/s
    static constexpr int kPaceTolerance = 32;    // frames ahead of the clock, about 0.5 s

    // Stores one segment that ends at `stamp`. None: written. 61341: a write
    // failed, the segment is handled (not tried again). Anything else:
    // nothing written, try again.
    using Append = std::function<Result<>(std::span<const AcqPacket>, const SystemTime& stamp)>;

    explicit ContinuousSegmenter(Append append, RecordingClock clock = {});

    // Drops the unfinished segment and starts the clock again. Returns 62650
    // with the seconds dropped, or none when nothing was waiting.
    Message reset();
    // One packet of the live reader; returns a message to show, or none.
    Message addPacket(const AcqPacket& packet);

    int bufferedPackets() const { return int(pending_.size()); }
    int segmentsWritten() const { return written_; }
    int failedAttempts() const { return failedAttempts_; }
    // Frames dropped as a backlog since the start.
    long long backlogFrames() const { return backlog_; }

private:
    struct Pending {
        AcqPacket packet;
        long long frame = 0; // frames since the start, this one included
    };

    void start();
    long long framesDue() const; // whole frame times since the start
    void keepPace();
    Message store(long long endFrame);
    Message report(const Message& m);

    Append append_;
    RecordingClock clock_;
    std::chrono::steady_clock::time_point startedAt_;
    QDateTime startedWall_;
    std::deque<Pending> pending_;
    long long frames_ = 0;    // frames received since the start
    long long shift_ = 0;     // frames taken as backlog: they came before the start
    long long storedEnd_ = 0; // recorder time of the last segment handled
    long long backlog_ = 0;
    bool retrying_ = false;
    Message lastReported_;
    int written_ = 0;
    int failedAttempts_ = 0;
};

// The message of a recording cut before its segment was whole: 62650 with
// the seconds of `packets` valid packets, or none.
Message notStoredMessage(int packets);

} // namespace vantora
