// Replay page logic: paging through a patient's store, the selected
// thumbnail's fields and the peak-keeping reduction of its large trace.
// Tested by tests/records/ReplayPageModelTest.cpp and, through the page, by
// tests/records/ReplayPageTest.cpp.
#include "records/ReplayPageModel.h"

#include "core/Langpack.h"
#include "core/SampleRange.h"
#include "core/StringIds.h"
#include "records/RecordingDescription.h"
#include "records/RecordingNotes.h"
#include "records/RecordingTime.h"

#include <QFileInfo>

#include <cstdlib>

namespace vantora {

PagingControls PagingControls::of(const RecordingPage& page) {
    PagingControls c;
    const bool exists = page.page >= 0 && page.page < page.pageCount;
    c.captionPage = exists ? page.page + 1 : 0;
    c.captionCount = exists ? page.pageCount : 0;
    c.first = c.previous = page.pageCount > 1 && page.page > 0;
    c.next = c.last = page.pageCount > 1 && page.page < page.pageCount - 1;
    return c;
}

QString PagingControls::caption() const {
    return QStringLiteral("%1 %2/%3")
        .arg(Langpack::text(ids::kPage))
        .arg(captionPage)
        .arg(captionCount);
}

namespace {} // namespace

Message ReplayPageModel::showPatient(RecordingMode mode, const QString& patientId) {
    mode_ = mode;
    id_ = patientId;
    if (id_.isEmpty()) {
        page_ = {};
        thumbs_.clear();
        selected_ = -1;
        return {};
    }
    return loadPage(0);
}

Message ReplayPageModel::loadPage(int p) {
    selected_ = -1;
    thumbs_.clear();
    if (id_.isEmpty())
        return {};
    const RecordingStore store(root_, mode_, id_);
    page_ = store.readPage(p);
    if (!page_.message.isNone() || page_.recordings.empty()) {
        // A store with recordings in its file that gives none cannot be read.
        const bool holdsRecordings = QFileInfo(store.dataPath()).size() > kStoreHeaderBytes;
        const bool pageExists = p >= 0 && p < page_.pageCount;
        const bool failed = !page_.message.isNone() || pageExists;
        page_.recordings.clear();
        return holdsRecordings && failed ? Message{ids::kCannotReadRecordings, {}} : page_.message;
    }
    for (const PagedRecording& r : page_.recordings) {
        ReplayThumbnail thumb{r.number, r.entry, {}};
        const auto* bytes = reinterpret_cast<const uint8_t*>(r.data.constData());
        if (mode_ == RecordingMode::Snap && r.data.size() == kSnapBlockBytes) {
            thumb.samples = decodeSnapData(
                std::span<const uint8_t, kSnapBlockBytes>(bytes, size_t(kSnapBlockBytes)));
        } else if (r.data.size() == 4 * kSamplesPerRecording) {
            thumb.samples = continuousSamples(bytes);
        }
        thumbs_.push_back(std::move(thumb));
    }
    page_.recordings.clear(); // the thumbnails hold the samples
    select(0);
    return {};
}

bool ReplayPageModel::select(int index) {
    if (index < 0 || index >= int(thumbs_.size()) || index == selected_)
        return false;
    selected_ = index;
    return true;
}

const ReplayThumbnail* ReplayPageModel::selectedThumbnail() const {
    return selected_ >= 0 && selected_ < int(thumbs_.size()) ? &thumbs_[size_t(selected_)]
                                                             : nullptr;
}

QString ReplayPageModel::timeText() const {
    const ReplayThumbnail* t = selectedThumbnail();
    return t ? recordingTimeText(mode_, t->entry) : QString();
}

QString ReplayPageModel::heartRateText() const {
    const ReplayThumbnail* t = selectedThumbnail();
    return t ? storedHeartRateText(t->entry.heartRate) : QString();
}

QString ReplayPageModel::descriptionText() const {
    const ReplayThumbnail* t = selectedThumbnail();
    return t ? recordingDescription(mode_, t->entry) : QStringLiteral("...");
}

Result<QStringList> ReplayPageModel::noteLines() const {
    const ReplayThumbnail* t = selectedThumbnail();
    if (t == nullptr)
        return {};
    const auto note = RecordingNotes(root_, mode_, id_).read(t->entry.time);
    if (!note.ok())
        return note.message();
    if (note.value().isEmpty())
        return QStringList{};
    return note.value().split(u'\n');
}

QStringList ReplayPageModel::gainItems() {
    return {QStringLiteral("X  1 "), QStringLiteral("X  2 ")};
}

QString ReplayPageModel::gainCaption(int gain) {
    return Langpack::text(ids::kGain) +
           (gain == 2 ? QStringLiteral(" 20mm/1mv") : QStringLiteral("  10mm/1mv"));
}

std::vector<int32_t> ReplayPageModel::reduceToColumns(std::span<const int32_t> samples,
                                                      int columns) {
    std::vector<int32_t> out;
    if (columns <= 0 || samples.empty())
        return out;
    const size_t n = samples.size();
    out.reserve(size_t(columns));
    for (int c = 0; c < columns; ++c) {
        const size_t first = n * size_t(c) / size_t(columns);
        const size_t end = std::max(first + 1, n * size_t(c + 1) / size_t(columns));
        int32_t kept = clampSample(samples[first]);
        for (size_t i = first; i < end && i < n; ++i) {
            const int32_t sample = clampSample(samples[i]);
            if (std::abs(sample - kSampleBaseline) > std::abs(kept - kSampleBaseline))
                kept = sample;
        }
        out.push_back(kept);
    }
    return out;
}

} // namespace vantora
