#pragma once

#include "core/AcqPacket.h"
#include "core/Message.h"

#include <functional>
#include <span>
#include <vector>

namespace vantora {

// Cuts the live stream into Continuous segments: every 1875 valid packets
// (7500 samples, 30 s of signal) are handed to the store. Packets without a
// valid signal are never stored, so a segment may span more wall time.
//
// - A link start or end discards the unfinished segment (reset()).
// - The buffer never holds more than 1875 packets. While the store refuses a
//   segment (files cannot be opened, store full), the buffer keeps the latest
//   1875 valid packets, dropping the oldest one per new packet, and the store
//   is tried again with every new valid packet; a segment written later is
//   the last 30 s of signal, ending at its time stamp.
// - Each message is reported once until a segment is stored again, not per packet.
// ContinuousSegmenterTest covers these; LiveLinkTest runs it on the simulator.
class ContinuousSegmenter {
public:
    static constexpr int kSegmentPackets = 1875; // liveSegmentFrames

    // Stores one segment. None: written. 61341: a write failed, the segment is
    // handled (not tried again). Anything else: nothing written, try again.
    using Append = std::function<Message(std::span<const AcqPacket>)>;

    explicit ContinuousSegmenter(Append append);

    void reset();
    // One packet of the live reader; returns a message to show, or none.
    Message addPacket(const AcqPacket& packet);

    int bufferedPackets() const { return int(buffer_.size()); }
    int segmentsWritten() const { return written_; }
    int failedAttempts() const { return failedAttempts_; }

private:
    Message report(const Message& m);

    Append append_;
    std::vector<AcqPacket> buffer_;
    Message lastReported_;
    int written_ = 0;
    int failedAttempts_ = 0;
};

} // namespace vantora
