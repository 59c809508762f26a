#include "records/PatientRecord.h"
#include "records/RecordingStore.h"
#include "records/StoreFiles.h"
#include "records/StoreMessages.h"

#include <QFileInfo>

namespace vantora {

RecordingPage RecordingStore::readPage(int p) const {
    RecordingPage result;
    result.page = p;
    StoreFiles files(root_, mode_, id_);
    if (!isValidPatientId(id_)) {
        result.message = {msg::kInvalidPatientId, id_};
        return result;
    }
    // Reading never creates a store (see RecordingStore.cpp): a missing file is an empty store.
    if (!QFileInfo::exists(dataPath()) || !QFileInfo::exists(indexPath()))
        return result;
    if (result.message = files.open(DataFolderLock::Kind::Shared); !result.message.isNone())
        return result;
    const auto n = files.dataCount();
    if (!n.ok()) {
        result.message = n.message();
        return result;
    }
    result.pageCount = (n.value() + kRecordingsPerPage - 1) / kRecordingsPerPage;
    if (p < 0 || p >= result.pageCount)
        return result;
    const int s = recordBytes();
    const int end = std::min(n.value(), kRecordingsPerPage * p + kRecordingsPerPage);
    for (int k = kRecordingsPerPage * p; k < end; ++k) {
        PagedRecording r;
        r.number = k + 1;
        r.data.resize(s - 2);
        uint8_t entry[RecordIndexEntry::kPayloadBytes];
        // Reading stops at the first recording or entry the files do not hold.
        if (!files.data.readAt(kStoreHeaderBytes + qint64(k) * s + 2, r.data.data(), s - 2) ||
            !files.index.readAt(kStoreHeaderBytes + qint64(k) * RecordIndexEntry::kBytes + 2, entry,
                                sizeof entry))
            break;
        r.entry = RecordIndexEntry::fromPayload(entry);
        result.recordings.push_back(std::move(r));
    }
    return result;
}

} // namespace vantora
