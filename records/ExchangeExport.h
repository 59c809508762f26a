#pragma once

#include "core/RecordingMode.h"
#include "core/Result.h"
#include "records/PatientRecord.h"
#include "records/RecordIndexEntry.h"
#include "records/RecordingTime.h"

#include <QDateTime>
#include <QString>

#include <vector>

namespace vantora {

// Recordings read out of a store for other tools (EDF+, CSV). Nothing is
// removed from the store, unlike chart export.
struct ExchangeRecording {
    int number = 0;      // 1-based, as listed
    QDateTime start;     // local time of the first sample
    QString description; // recording type or event names
    QString note;
    std::vector<int32_t> samples; // 7500 converter counts
};

struct ExchangeSet {
    PatientRecord patient;
    RecordingMode mode = RecordingMode::None;
    std::vector<ExchangeRecording> recordings;
};

// Recording `k` (0-based) or, with k < 0, every recording the store holds.
Result<ExchangeSet> readExchangeSet(const QString& dataRoot, RecordingMode mode,
                                    const PatientRecord& patient, int k);

// Millivolts of a converter count: (count - 512) / 175.
double countToMillivolts(int32_t count);

// CSV: a commented header with the patient and each recording, then one row
// per sample: recording number, seconds from the first recording's start,
// millivolts.
QByteArray exchangeCsv(const ExchangeSet& set);

// "Export for other tools" on the record pages: the save dialog with the EDF+
// and CSV types, then the recording `k` (0-based; -1 all) of the patient
// written as the chosen extension says (".csv": CSV, otherwise EDF+). Nothing
// is removed from the store. 62305 when nothing is selected; 62622 listing
// the files when the EDF+ export wrote several.
class RecordDialogs;
Message exportForOtherTools(const QString& dataRoot, RecordingMode mode,
                            const PatientRecord* patient, int k, RecordDialogs& dialogs);

// Writes the CSV text as the whole of `path`, or nothing (62620, "FILE: reason").
Result<> writeExchangeCsv(const ExchangeSet& set, const QString& path);

} // namespace vantora
