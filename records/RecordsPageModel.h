#pragma once

#include "core/Message.h"
#include "core/RecordingMode.h"
#include "records/PatientListModel.h"
#include "records/RecordDialogs.h"
#include "records/RecordingStore.h"

#include <QString>
#include <QVector>

#include <vector>

namespace vantora {

class Prompter;
struct AppState;

// The record management page without widgets: the patient list with its
// search, the selected patient's recordings in the store of one mode, the
// information box and preview of the selected recording, and the commands
// delete, note, export and import. Every list is read again from the files
// after a selection, delete, export and import; no file stays open. Rows are
// 0-based, -1 when none is selected.
class RecordsPageModel {
public:
    static constexpr int kGainCaption = 61219;

    RecordsPageModel(QString dataRoot, RecordingMode mode);

    // The store kind listed: Continuous in Continuous mode, else Snap.
    RecordingMode mode() const { return mode_; }
    static RecordingMode storeModeOf(RecordingMode recordingMode);

    // First display: gain 1, search by id, one recording for delete and export;
    // the patient list with the first row selected; then the file the program
    // was handed (imported without the question, the flag cleared), or else
    // the first patient's recordings. The messages in the order they arose.
    QVector<Message> firstDisplay(AppState& state, Prompter& prompter, RecordDialogs& dialogs);
    // The mode changed or the registry may have: lists read again in `mode`,
    // the same patient selected when still listed.
    Message reload(RecordingMode mode);

    PatientListModel& patients() { return patients_; }
    const PatientListModel& patients() const { return patients_; }
    // A patient row chosen: its recordings listed when the selection moved.
    Message selectPatient(int row);
    // Find and show all of the search (the recordings of the row then selected).
    Message find();
    Message showAll();

    const std::vector<ListedRecording>& recordings() const { return recordings_; }
    int currentRecording() const { return recording_; }
    const PatientRecord* selectedPatient() const { return patients_.selectedRecord(); }
    // Counts every reading of the recording list: the page rebuilds its rows
    // when it changed.
    int listRevision() const { return listRevision_; }
    // A recording row chosen: information box and preview, when it moved.
    Message selectRecording(int row);

    // Information box: the description line (red) and the note (blue).
    const QString& infoLine() const { return infoLine_; }
    const QString& note() const { return note_; }
    // The preview: the selected recording's 7500 samples, empty for none.
    const std::vector<int32_t>& previewSamples() const { return preview_; }

    int gain() const { return gain_; }
    // Gain 1 or 2: the preview read again, the selection kept.
    Message setGain(int gain);
    QString gainCaption() const;

    bool deleteAll() const { return deleteAll_; }
    void setDeleteAll(bool all) { deleteAll_ = all; }
    bool exportAll() const { return exportAll_; }
    void setExportAll(bool all) { exportAll_ = all; }

    // Removes the selected recording or all of the patient's (the delete
    // choice) after the question; the list is read again and its first row
    // selected. deleteSelected removes the selected one whatever the choice.
    Message deleteRecordings(Prompter& prompter);
    Message deleteSelected(Prompter& prompter);
    // Opens the note dialog for the selected recording; its new text shown.
    Message editNote(RecordDialogs& dialogs);

    // Export through the save dialog. A ".bmp" target asks the page for the
    // strip picture: `picturePath` is set and nothing else happens.
    struct ExportOutcome {
        Message message;
        QString picturePath;
    };
    ExportOutcome exportRecordings(Prompter& prompter, RecordDialogs& dialogs);
    FileRequest exportRequest() const;
    // Import through the open dialog: ".cEcg" a chart, ".DAT" a card file
    // (compared case-sensitively); any other extension does nothing.
    Message importCommand(Prompter& prompter, RecordDialogs& dialogs);
    FileRequest importRequest() const;
    // Imports `path` as a card file (".dat" or ".DAT") or else a chart; `ask`
    // false skips the question (a file the program was handed). The patient
    // the recordings went to is selected afterwards.
    Message importPath(const QString& path, Prompter& prompter, RecordDialogs& dialogs, bool ask);

private:
    Message listRecordings();
    Message removeAndList(int k);
    Message showRecording();
    void clearRecording();
    Message selectPatientById(const QString& id);
    Message importCard(const QString& path, Prompter& prompter, RecordDialogs& dialogs, bool ask);

    QString root_;
    RecordingMode mode_;
    PatientListModel patients_;
    std::vector<ListedRecording> recordings_;
    int recording_ = -1;
    int listRevision_ = 0;
    QString infoLine_;
    QString note_;
    std::vector<int32_t> preview_;
    int gain_ = 1;
    bool deleteAll_ = false;
    bool exportAll_ = false;
};

} // namespace vantora
