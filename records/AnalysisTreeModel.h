#pragma once

#include "core/AppState.h"
#include "core/Message.h"
#include "core/RecordingMode.h"
#include "records/RecordingStore.h"

#include <QString>

#include <cstdint>
#include <vector>

namespace vantora {

class RecordDialogs;

// A patient of the analysis tree and the recordings both files of its store
// hold: an index entry without its record is never listed.
struct AnalysisTreePatient {
    QString id;
    QString text; // "id name", as the tree shows it
    std::vector<ListedRecording> recordings;
};

// A place in the tree: a patient row, and a recording row under it or -1 for
// the patient itself. No patient (-1) is no place.
struct TreePlace {
    int patient = -1;
    int recording = -1;
    bool isPatient() const { return patient >= 0 && recording < 0; }
    bool isRecording() const { return patient >= 0 && recording >= 0; }
    bool operator==(const TreePlace&) const = default;
};

// The analysis page's tree without widgets: the registry's patients and their
// recordings in the store of the current mode, the selected place, and the
// selected recording's samples, fields and note read from the files. A
// recording that the store no longer holds as listed (deleted or replaced by
// another process) is stale: it is never shown or exported.
class AnalysisTreeModel {
public:
    explicit AnalysisTreeModel(QString dataRoot);

    // Reads the tree again in the store kind of `recordingMode` (Continuous
    // in Continuous mode, else Snap); nothing is selected afterwards.
    void load(RecordingMode recordingMode);
    // Reads again; the selection stays when its patient and recording are
    // still listed alike in the same store kind. The place re-found, or none.
    TreePlace reload(RecordingMode recordingMode);

    // The selection as a page keeps it between visits, and the place it has
    // in the tree read now: none when its store kind, patient or recording
    // (same number, same entry) is no longer listed.
    AnalysisSelection remembered() const;
    TreePlace find(const AnalysisSelection& selection) const;

    RecordingMode mode() const { return mode_; }
    // A recording row's text: its number, then its time as the pages show it
    // ("1  2 Nov 2026 09:07:00"); a Continuous segment's "start – end" without
    // the date, which its tooltip (recordingTimeText) and the page's date
    // field give, so that both ends fit the tree.
    QString recordingLabel(const ListedRecording& r) const;
    const std::vector<AnalysisTreePatient>& patients() const { return patients_; }

    // Selects a place. A recording is read with its note; false when it is
    // stale (62030 in `message`, no samples; reload() then drops it).
    bool select(TreePlace place);
    TreePlace selected() const { return selected_; }
    const AnalysisTreePatient* selectedPatient() const;
    const ListedRecording* selectedRecording() const;

    // The selected recording: its samples (empty for none), rate field
    // ("..." for none), note, and the last problem reading it.
    const std::vector<int32_t>& samples() const { return samples_; }
    QString rateText() const;
    const QString& note() const { return note_; }
    void setNote(QString note) { note_ = std::move(note); }
    const Message& message() const { return message_; }

    // "Export for other tools" of the selected recording, or of all recordings
    // of the selected patient: 62305 without a selection, 62030 when stale.
    Message exportForOtherTools(RecordDialogs& dialogs) const;

private:
    bool stillStored(const AnalysisTreePatient& patient, const ListedRecording& r) const;
    void clearRecording();

    QString root_;
    RecordingMode mode_ = RecordingMode::None;
    std::vector<AnalysisTreePatient> patients_;
    TreePlace selected_;
    std::vector<int32_t> samples_;
    QString note_;
    Message message_;
};

} // namespace vantora
