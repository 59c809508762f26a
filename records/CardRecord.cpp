#include "records/CardRecord.h"

#include "core/DataPaths.h"
#include "records/BinaryFile.h"
#include "records/RecordingStore.h"

namespace vantora::card {

RecordIndexEntry entryOf(const uint8_t* r) {
    RecordIndexEntry e;
    e.marker = kStoreMarker;
    e.time.year = uint16_t(2000 + r[1]);
    e.time.month = r[2];
    e.time.day = r[3];
    e.time.hour = r[4];
    e.time.minute = r[5];
    e.kind = recordingTypeCode(r[11]);
    const uint16_t rate = getLE16(r + 6);
    e.heartRate = rate > kMaxReportedHeartRate ? 0 : rate;
    return e;
}

QByteArray storeRecordOf(const uint8_t* r, RecordingMode mode) {
    QByteArray record(recordBytesOf(mode), Qt::Uninitialized);
    auto* out = reinterpret_cast<uint8_t*>(record.data());
    out[0] = kStoreMarker[0];
    out[1] = kStoreMarker[1];
    const std::span<const uint8_t, kSnapBlockBytes> blocks(r + kBlocksOffset, kSnapBlockBytes);
    if (mode == RecordingMode::Snap) {
        std::copy(blocks.begin(), blocks.end(), out + 2);
        return record;
    }
    const auto samples = decodeSnapData(blocks);
    for (int i = 0; i < kSamplesPerRecording; ++i)
        putLE32(out + 2 + 4 * i, uint32_t(samples[i]));
    return record;
}

} // namespace vantora::card
