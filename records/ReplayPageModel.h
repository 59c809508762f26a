#pragma once

#include "core/Message.h"
#include "core/RecordingMode.h"
#include "records/RecordingStore.h"

#include <QString>
#include <QStringList>

#include <cstdint>
#include <vector>

namespace vantora {

// One thumbnail of a replay page: the recording's number, entry and samples.
struct ReplayThumbnail {
    int number = 0; // 1-based in the store
    RecordIndexEntry entry;
    std::vector<int32_t> samples; // 7500
};

// The paging controls of a page of recordings: the caption (string 61245
// "%s %d/%d"; 0/0 for a page that does not exist) and the four buttons, all
// disabled with one page or none.
struct PagingControls {
    int captionPage = 0;
    int captionCount = 0;
    bool first = false;
    bool previous = false;
    bool next = false;
    bool last = false;

    QString caption() const;
    static PagingControls of(const RecordingPage& page);
};

// The replay page without its widgets: the selected patient's store of the
// current kind, read a page of 15 recordings at a time, the selected
// thumbnail and the gain. The page draws what it holds.
class ReplayPageModel {
public:
    explicit ReplayPageModel(QString dataRoot) : root_(std::move(dataRoot)) {}

    // A patient was selected (empty id: none): page 0 of the kind's store.
    Message showPatient(RecordingMode mode, const QString& patientId);
    // Page p (0-based); the first thumbnail selected. A store that holds
    // recordings but cannot be read gives 61340 and no thumbnails.
    Message loadPage(int p);
    Message firstPage() { return loadPage(0); }
    Message lastPage() { return loadPage(page_.pageCount - 1); }
    Message nextPage() { return loadPage(page_.page + 1); }
    Message previousPage() { return loadPage(page_.page - 1); }

    const RecordingPage& page() const { return page_; }
    PagingControls paging() const { return PagingControls::of(page_); }
    const std::vector<ReplayThumbnail>& thumbnails() const { return thumbs_; }
    RecordingMode mode() const { return mode_; }
    const QString& patientId() const { return id_; }

    // Only a real change to a valid thumbnail counts; true when it did.
    bool select(int index);
    int selected() const { return selected_; }
    const ReplayThumbnail* selectedThumbnail() const;

    // The selected recording's fields; empty (description "...") without one.
    QString timeText() const;
    QString heartRateText() const;
    QString descriptionText() const;
    // The note's lines (first shown red, the rest blue); 61256 on failure.
    Result<QStringList> noteLines() const;

    int gain() const { return gain_; }
    void setGain(int gain) { gain_ = gain == 2 ? 2 : 1; }
    // The gain choice's items and caption.
    static QStringList gainItems();
    static QString gainCaption(int gain);

private:
    QString root_;
    RecordingMode mode_ = RecordingMode::Snap;
    QString id_;
    RecordingPage page_;
    std::vector<ReplayThumbnail> thumbs_;
    int selected_ = -1;
    int gain_ = 1;
};

} // namespace vantora
