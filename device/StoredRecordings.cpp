#include "device/StoredRecordings.h"

#include "core/Langpack.h"

#include <cstring>
#include <optional>

namespace vantora {

namespace {

bool sameBlocks(const QByteArray& data, const SnapBlocks& blocks) {
    if (data.size() != kSnapBlockBytes)
        return false;
    for (size_t b = 0; b < blocks.size(); ++b) {
        const char* at = data.constData() + b * SampleBlock::kBytes;
        if (std::memcmp(at, blocks[b].bytes.data(), SampleBlock::kBytes) != 0)
            return false;
    }
    return true;
}

} // namespace

std::vector<bool> alreadyStored(const RecordingStore& store,
                                std::span<const SnapRecording> received) {
    std::vector<bool> stored(received.size(), false);
    if (received.empty())
        return stored;
    for (const ListedRecording& listed : store.listIndex().recordings) {
        // A record is read only when a start time matches, and then once.
        std::optional<QByteArray> data;
        for (size_t i = 0; i < received.size(); ++i) {
            if (stored[i] ||
                SystemTime::fromFields(received[i].header.startTime) != listed.entry.time)
                continue;
            if (!data) {
                const auto read = store.readRecordData(listed.number - 1);
                data = read.ok() ? read.value() : QByteArray();
            }
            stored[i] = sameBlocks(*data, received[i].blocks);
        }
    }
    return stored;
}

Message saveQuestion(const QString& patient, int count) {
    const QString what =
        fillDollar(Langpack::format(msg::kNewRecordingsFor, QString::number(count)), patient);
    return {msg::kSaveNewQuestion, what};
}

} // namespace vantora
