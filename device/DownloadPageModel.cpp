// The download page's data handling: rows per record table entry, the
// progress texts, save marks and the save into a patient's Snap store.
// Tested by tests/device/DownloadPageModelTest.cpp and, through the page and
// the simulated recorder, by tests/records/DownloadPageTest.cpp.
#include "device/DownloadPageModel.h"

#include "core/Langpack.h"
#include "core/StringIds.h"
#include "device/StoredRecordings.h"
#include "records/RecordIndexEntry.h"
#include "records/RecordingDescription.h"
#include "records/RecordingStore.h"
#include "records/RecordingTime.h"

#include <algorithm>

namespace vantora {

namespace {
constexpr int kPercentPerStage = 10; // stages 1 to 4 show 10 to 40 %
constexpr int kBlockBarShare = 97;   // blocks move the bar from 3 to 100 %

QString countsText(int headersDone, int headersTotal, int ecgDone, int ecgTotal) {
    return QString::asprintf("%s:  %3d/%3d        %s:  %3d/%3d",
                             Langpack::text(ids::kHeaders).toUtf8().constData(), headersDone,
                             headersTotal, Langpack::text(ids::kEcg).toUtf8().constData(), ecgDone,
                             ecgTotal);
}
} // namespace

QString DownloadRow::numberText() const {
    return QString::number(tableIndex + 1);
}
QString DownloadRow::listByteText() const {
    return QString::number(header.listByte);
}
QString DownloadRow::heartRateText() const {
    return storedHeartRateText(header.heartRate);
}
QString DownloadRow::startTimeText() const {
    RecordIndexEntry entry;
    entry.time = SystemTime::fromFields(header.startTime);
    return recordingTimeText(RecordingMode::Snap, entry);
}

DownloadPageModel::DownloadPageModel() : collector_(std::make_unique<DownloadCollector>()) {}

void DownloadPageModel::reset() {
    collector_ = std::make_unique<DownloadCollector>();
    rows_.clear();
    headers_.clear();
    progress_ = {};
    total_ = 0;
    received_ = -1;
    running_ = true;
    selectAllEnabled_ = false;
    saveEnabled_ = false;
}

bool DownloadPageModel::linkStatus(int status) {
    collector_->linkStatus(status);
    if (status >= 1 && status <= 4) {
        progress_.text =
            QString::asprintf("%s: %d%% ", Langpack::text(ids::kReceiving).toUtf8().constData(),
                              status * kPercentPerStage);
        progress_.percent = status * kPercentPerStage;
        return false;
    }
    if (status != 0)
        return false;
    running_ = false;
    dropIncompleteRows();
    received_ = int(rows_.size());
    saveEnabled_ = received_ > 0;
    selectAllEnabled_ = received_ > 0;
    return true;
}

void DownloadPageModel::recordHeader(int tableIndex, const DeviceRecordHeader& header) {
    collector_->recordHeader(tableIndex, header);
    if (tableIndex < int(headers_.size()))
        return; // an entry already held keeps its first header
    headers_.resize(size_t(tableIndex) + 1);
    headers_[size_t(tableIndex)] = header;
    total_ = header.count;
    progress_.title = Langpack::text(ids::kDownloading);
    progress_.text = countsText(tableIndex + 1, total_, 0, total_);
    if (total_ > 0)
        progress_.percent = (2 * tableIndex + 2) / total_ + 1;
}

int DownloadPageModel::dataBlock(const BlockTag& tag, const SampleBlock& block) {
    collector_->dataBlock(tag, block);
    const int inChunk = tag.blockNumber % kBlocksPerRecording;
    int row = rowOf(tag.tableIndex);
    if (row < 0 && inChunk == 0 && tag.tableIndex >= 0 && tag.tableIndex < int(headers_.size())) {
        rows_.push_back(DownloadRow{tag.tableIndex, headers_[size_t(tag.tableIndex)]});
        row = int(rows_.size()) - 1;
    }
    const int position = tag.tableIndex * kBlocksPerRecording + inChunk;
    progress_.text = countsText(total_, total_, tag.recordNumber, total_);
    if (total_ > 0)
        progress_.percent =
            std::min(100, (position + 1) * kBlockBarShare / (total_ * kBlocksPerRecording) + 3);
    return row;
}

void DownloadPageModel::recordEnd(int tableIndex, int recordNumber) {
    collector_->recordEnd(tableIndex, recordNumber);
    selectAllEnabled_ = true;
}

void DownloadPageModel::dropIncompleteRows() {
    std::vector<int> complete;
    for (const SnapRecording& r : collector_->completeRecordings())
        complete.push_back(r.header.index);
    std::erase_if(rows_, [&](const DownloadRow& row) {
        return std::find(complete.begin(), complete.end(), row.tableIndex) == complete.end();
    });
}

int DownloadPageModel::rowOf(int tableIndex) const {
    for (size_t i = 0; i < rows_.size(); ++i) {
        if (rows_[i].tableIndex == tableIndex)
            return int(i);
    }
    return -1;
}

bool DownloadPageModel::isOpen(const DownloadRow& row) {
    return row.saveState == kSaveChosen || row.saveState == kSaveNotChosen;
}

bool DownloadPageModel::toggle(int row) {
    if (row < 0 || row >= int(rows_.size()) || !isOpen(rows_[size_t(row)]))
        return false;
    int& state = rows_[size_t(row)].saveState;
    state = state == kSaveChosen ? kSaveNotChosen : kSaveChosen;
    return true;
}

void DownloadPageModel::chooseAll(bool chosen) {
    for (DownloadRow& row : rows_) {
        if (isOpen(row))
            row.saveState = chosen ? kSaveChosen : kSaveNotChosen;
    }
}

bool DownloadPageModel::allChosen() const {
    return std::any_of(rows_.begin(), rows_.end(), isOpen) &&
           std::none_of(rows_.begin(), rows_.end(),
                        [](const DownloadRow& r) { return r.saveState == kSaveNotChosen; });
}

int DownloadPageModel::markStored(const QString& dataRoot, const QString& patientId) {
    const std::vector<SnapRecording> complete = collector_->completeRecordings();
    const std::vector<bool> stored =
        alreadyStored(RecordingStore(dataRoot, RecordingMode::Snap, patientId), complete);
    int marked = 0;
    for (DownloadRow& row : rows_) {
        if (row.saveState == kSaveDone)
            continue;
        bool held = false;
        for (size_t i = 0; i < complete.size(); ++i)
            held = held || (stored[i] && complete[i].header.index == row.tableIndex);
        if (held) {
            row.saveState = kSaveStored;
            ++marked;
        } else if (row.saveState == kSaveStored) {
            row.saveState = kSaveChosen;
        }
    }
    return marked;
}

int DownloadPageModel::chosenCount() const {
    return int(std::count_if(rows_.begin(), rows_.end(),
                             [](const DownloadRow& r) { return r.saveState == kSaveChosen; }));
}

Message DownloadPageModel::save(const QString& dataRoot, const QString& patientId) {
    if (received_ <= 0) {
        saveEnabled_ = false;
        return Message{ids::kNothingReceived, {}};
    }
    const std::vector<SnapRecording> complete = collector_->completeRecordings();
    std::vector<SnapRecording> chosen;
    std::vector<DownloadRow*> chosenRows;
    for (DownloadRow& row : rows_) {
        if (row.saveState != kSaveChosen)
            continue;
        for (const SnapRecording& r : complete) {
            if (r.header.index == row.tableIndex) {
                chosen.push_back(r);
                chosenRows.push_back(&row);
            }
        }
    }
    if (chosen.empty())
        return {};
    const SnapAppendResult result =
        RecordingStore(dataRoot, RecordingMode::Snap, patientId).appendSnap(chosen);
    for (int i = 0; i < result.saved && i < int(chosenRows.size()); ++i)
        chosenRows[size_t(i)]->saveState = kSaveDone;
    afterSave();
    return result.message;
}

void DownloadPageModel::afterSave() {
    const bool allSaved = std::none_of(rows_.begin(), rows_.end(), isOpen);
    if (rows_.empty() || allSaved) {
        saveEnabled_ = false;
        selectAllEnabled_ = false;
    }
}

} // namespace vantora
