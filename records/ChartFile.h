#pragma once

#include "core/Message.h"
#include "core/RecordingMode.h"
#include "records/PatientRecord.h"

#include <QString>

#include <array>

namespace vantora {

class Prompter;

// ChartFile (".cEcg"): one patient record and one or all recordings of one kind.
//   0                       4  item count M
//   4                    1388  PatientRecord
//   1392 + j*(24+S)        24  index entry of item j (marker + payload)
//   1392 + j*(24+S) + 24    S  record of item j (marker + data)
// Markers: 0x55 0xAA in Snap charts, 0x77 0xEE in Continuous charts; the
// marker of item 0 (offset 1392) tells the kind.
namespace chart {
constexpr int kCountOffset = 0;
constexpr int kPatientOffset = 4;
constexpr int kItemsOffset = 4 + PatientRecord::kSize; // 1392
int itemBytes(RecordingMode mode);                     // 7541 Snap, 30026 Continuous
std::array<uint8_t, 2> markerOf(RecordingMode mode);   // 0x55 0xAA Snap, 0x77 0xEE Continuous
} // namespace chart

struct ChartExportResult {
    int exported = 0;              // recordings written (and removed from the store)
    bool pictureRequested = false; // target ends in ".bmp": the page saves a picture
    Message message;               // none on success or when the user declined
    bool declined = false;
};

struct ChartImportResult {
    int imported = 0;
    QString patientId;       // the registered spelling the recordings went to
    bool registered = false; // the patient was added to the registry
    bool declined = false;
    Message message;

    static ChartImportResult refused(Message why) {
        ChartImportResult r;
        r.message = std::move(why);
        return r;
    }
};

// Export and import of chart files, and import of the recorder's card file,
// in the store of one RecordingMode. Imports and exports that fail part-way
// leave the registry and the store as they were.
class ChartFile {
public:
    ChartFile(QString dataRoot, RecordingMode mode);

    // The file name the export dialog proposes: "Snap " or "Continuous " + id +
    // ".cEcg" for all recordings, or + "-n.cEcg" with the recording's number as
    // the list counts (k is 0-based, n = k + 1).
    static QString proposedName(RecordingMode mode, const QString& patientId, int k);

    // Exports recording k (0-based) or all (k = -1) of the patient at the
    // 1-based registry position to `target`, then removes them from the store.
    // An existing target is replaced only after the question 61266; an
    // extension other than ".cEcg" (any case) gives 61345; a failure 61344.
    ChartExportResult exportRecordings(int position, int k, const QString& target,
                                       Prompter& prompter) const;

    // Imports a chart of this mode's kind: 61261 (Snap) or 61313 (Continuous)
    // for the other kind; asks 61264 unless `ask` is false (a file the program
    // was started with); registers an unknown patient; 61286 when the store
    // would pass capacity.
    ChartImportResult importChart(const QString& path, Prompter& prompter, bool ask = true) const;

    // Imports the recorder's card file into the patient at the 1-based
    // registry position: 61313 when the recognition bytes all differ.
    ChartImportResult importCard(const QString& path, int position, Prompter& prompter,
                                 bool ask = true) const;

    // The card file's recognition bytes (file offsets 19-21: 0x55 0xAA 0x05);
    // one matching byte is enough.
    static bool looksLikeCardFile(const QString& path);
    // A file handed over at start-up: ".dat" or ".DAT" is a card file, any
    // other a chart.
    static bool isCardFileName(const QString& path);

private:
    QString root_;
    RecordingMode mode_;
};

} // namespace vantora
