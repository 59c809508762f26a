#pragma once

#include "device/LinkEndLatch.h"
#include "device/LinkSink.h"
#include "records/RecordingStore.h"

#include <bitset>
#include <mutex>
#include <vector>

namespace vantora {

// Keeps what a download delivers, one slot per record table entry. A chunk
// of a recording the recorder keeps in several chunks is a whole 30-second
// recording of its own: it is kept in its own slot with its own header, never
// placed by record number. Only entries whose transfer completed (header, 15
// blocks and the end-of-record message) are offered for saving. Safe to read
// from another thread than the reader's.
class DownloadCollector : public LinkSink {
public:
    void recordHeader(int tableIndex, const DeviceRecordHeader& header) override;
    void dataBlock(const BlockTag& tag, const SampleBlock& block) override;
    void recordEnd(int tableIndex, int recordNumber) override;
    void linkStatus(int status) override;
    void showMessage(const Message& message) override;

    // The complete recordings, in table order.
    std::vector<SnapRecording> completeRecordings() const;
    int headersReceived() const;
    int blocksDelivered() const;
    std::vector<int> messageIds() const;
    std::vector<int> statuses() const;
    // Waits until the link has ended (linkStatus 0); false on time-out.
    bool waitForEnd(int timeoutMs) const { return ended_.wait(timeoutMs); }

private:
    struct Slot {
        bool hasHeader = false;
        bool complete = false;
        DeviceRecordHeader header;
        SnapBlocks blocks;
        std::bitset<kBlocksPerRecording> received;
    };
    Slot* slotAt(int tableIndex); // grows the table; null when out of range

    mutable std::mutex mutex_;
    std::vector<Slot> slots_;
    std::vector<int> messages_;
    std::vector<int> statuses_;
    int blocksDelivered_ = 0;
    LinkEndLatch ended_;
};

} // namespace vantora
