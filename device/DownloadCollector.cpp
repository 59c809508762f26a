#include "device/DownloadCollector.h"

#include "device/WireProtocol.h"

namespace vantora {

DownloadCollector::Slot* DownloadCollector::slotAt(int tableIndex) {
    if (tableIndex < 0 || tableIndex >= wire::kMaxTableEntries)
        return nullptr;
    if (size_t(tableIndex) >= slots_.size())
        slots_.resize(size_t(tableIndex) + 1);
    return &slots_[size_t(tableIndex)];
}

void DownloadCollector::recordHeader(int tableIndex, const DeviceRecordHeader& header) {
    std::lock_guard lock(mutex_);
    Slot* slot = slotAt(tableIndex);
    if (slot == nullptr || slot->hasHeader)
        return; // a header already held is not replaced
    slot->hasHeader = true;
    slot->header = header;
}

void DownloadCollector::dataBlock(const BlockTag& tag, const SampleBlock& block) {
    std::lock_guard lock(mutex_);
    Slot* slot = slotAt(tag.tableIndex);
    if (slot == nullptr || tag.blockNumber < 0)
        return;
    // Block numbers continue past 14 for later chunks; within a slot only the
    // block's place in its own chunk counts.
    const int b = tag.blockNumber % kBlocksPerRecording;
    slot->blocks[size_t(b)] = block; // a resent chunk replaces the earlier copy
    slot->received.set(size_t(b));
    ++blocksDelivered_;
}

void DownloadCollector::recordEnd(int tableIndex, int) {
    std::lock_guard lock(mutex_);
    Slot* slot = slotAt(tableIndex);
    if (slot != nullptr && slot->received.all())
        slot->complete = true;
}

void DownloadCollector::linkStatus(int status) {
    {
        std::lock_guard lock(mutex_);
        statuses_.push_back(status);
    }
    if (status == 0)
        ended_.release();
}

void DownloadCollector::showMessage(const Message& message) {
    std::lock_guard lock(mutex_);
    messages_.push_back(message.id);
}

std::vector<SnapRecording> DownloadCollector::completeRecordings() const {
    std::lock_guard lock(mutex_);
    std::vector<SnapRecording> out;
    for (const Slot& s : slots_) {
        if (s.hasHeader && s.complete)
            out.push_back(SnapRecording{s.header, s.blocks});
    }
    return out;
}

int DownloadCollector::headersReceived() const {
    std::lock_guard lock(mutex_);
    int n = 0;
    for (const Slot& s : slots_)
        n += s.hasHeader ? 1 : 0;
    return n;
}

int DownloadCollector::blocksDelivered() const {
    std::lock_guard lock(mutex_);
    return blocksDelivered_;
}

std::vector<int> DownloadCollector::messageIds() const {
    std::lock_guard lock(mutex_);
    return messages_;
}

std::vector<int> DownloadCollector::statuses() const {
    std::lock_guard lock(mutex_);
    return statuses_;
}

} // namespace vantora
