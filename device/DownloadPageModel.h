#pragma once

#include "core/DeviceRecordHeader.h"
#include "core/Message.h"
#include "device/DownloadCollector.h"

#include <QString>

#include <memory>
#include <vector>

namespace vantora {

// Save state of a download row, kept in the row's item data. A row already
// in the chosen patient's store is marked as stored and never saved again.
enum SaveState { kSaveNotChosen = 0, kSaveChosen = 1, kSaveStored = 2, kSaveDone = 3 };

// One row of the download list: one table entry of the recorder. A chunk of
// a recording kept in several chunks is a row of its own.
struct DownloadRow {
    int tableIndex = 0;
    DeviceRecordHeader header;
    int saveState = kSaveChosen;

    QString numberText() const;    // table position + 1
    QString listByteText() const;  // the header's list byte
    QString heartRateText() const; // "-" when the recorder had none
    QString startTimeText() const; // in the station's date and time format
};

// What the progress window shows.
struct DownloadProgress {
    QString title; // empty: the window keeps its title
    QString text;
    int percent = 0;
};

// The download page without its widgets. It is fed on the user-interface
// thread with what the download reader reports (in the reader's order) and
// keeps every table entry in the same DownloadCollector the command-line
// download uses, so both list and save the same recordings. Rows appear with
// a chunk's first block; when the link ends, rows whose transfer did not
// finish are dropped, so only whole recordings can be saved.
class DownloadPageModel {
public:
    DownloadPageModel();

    // The download command: everything cleared, nothing received (-1).
    void reset();

    // Reader reports. linkStatus returns true when the link has ended (0).
    bool linkStatus(int status);
    void recordHeader(int tableIndex, const DeviceRecordHeader& header);
    // Returns the row the block belongs to, or -1 when it has none.
    int dataBlock(const BlockTag& tag, const SampleBlock& block);
    void recordEnd(int tableIndex, int recordNumber);
    LinkSink& collector() { return *collector_; }

    const DownloadProgress& progress() const { return progress_; }
    const std::vector<DownloadRow>& rows() const { return rows_; }
    // Whole recordings received; -1 before any download ended.
    int received() const { return received_; }
    bool linkRunning() const { return running_; }
    bool selectAllEnabled() const { return selectAllEnabled_; }
    bool saveEnabled() const { return saveEnabled_; }

    // Click on a save mark: 1 <-> 0; a saved or stored row stays. True when changed.
    bool toggle(int row);
    // The select-all box: every row not yet saved chosen (1) or not (0).
    void chooseAll(bool chosen);
    int chosenCount() const;
    // What the select-all box shows: every row that can still be chosen is.
    bool allChosen() const;

    // Marks the rows the patient's Snap store already holds as stored (2);
    // rows marked for another patient before are chosen again. Returns the
    // number of rows marked.
    int markStored(const QString& dataRoot, const QString& patientId);

    // Saves the chosen rows, in order, to the Snap store of the patient.
    // Rows stored become kSaveDone; a full store (61286) or a failed write
    // (61341) stops with the rows before it saved. Nothing received: 61328.
    Message save(const QString& dataRoot, const QString& patientId);
    // After a save: nothing left to save disables the save and select-all.
    void afterSave();

private:
    void dropIncompleteRows();
    static bool isOpen(const DownloadRow& row); // may still be chosen or not
    int rowOf(int tableIndex) const;

    std::unique_ptr<DownloadCollector> collector_;
    std::vector<DownloadRow> rows_;
    std::vector<DeviceRecordHeader> headers_; // by table entry, appended
    DownloadProgress progress_;
    int total_ = 0;
    int received_ = -1;
    bool running_ = false;
    bool selectAllEnabled_ = false;
    bool saveEnabled_ = false;
};

} // namespace vantora
