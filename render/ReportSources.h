#pragma once

#include "core/Message.h"
#include "core/RecordingMode.h"
#include "records/PatientRecord.h"
#include "records/RecordIndexEntry.h"
#include "render/ReportLayout.h"

#include <QSize>

#include <memory>
#include <vector>

namespace vantora {

// One recording as its record report shows it.
struct RecordReportItem {
    std::vector<int32_t> samples; // 7500
    RecordIndexEntry entry;
    int number = 0;    // as listed, from 1
    QString diagnosis; // the recording's note
};

// The record reports of some recordings of one patient's store.
struct RecordReportSet {
    PatientRecord patient;
    int kind = ReportPage::kSnapRecord; // kContinuousRecord for the Continuous store
    std::vector<RecordReportItem> items;
    Message message; // the first failure; items read before it stay
};

// Reads recordings `indices` (0-based) of the patient at registry position
// `position` (1-based) from the store of `mode`, with their notes.
RecordReportSet ReadRecordReports(const QString& dataRoot, RecordingMode mode, int position,
                                  const std::vector<int>& indices);

// Report page `index` of the set on a sheet of `sheetUnits`.
std::unique_ptr<ReportPage> MakeRecordReportPage(const RecordReportSet& set, int index,
                                                 const QSize& sheetUnits);
// The analysis report of `samples` on a sheet of `sheetUnits`.
std::unique_ptr<ReportPage> MakeAnalysisReportPage(std::span<const int32_t> samples,
                                                   const AnalysisReportInput& input,
                                                   const QSize& sheetUnits);

} // namespace vantora
