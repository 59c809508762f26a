#pragma once

#include "core/RecordingMode.h"
#include "core/SignalFormat.h"
#include "records/PatientRecord.h"
#include "records/RecordIndexEntry.h"
#include "render/ReportPage.h"

#include <array>

namespace vantora {

// The strip's height above the frame's bottom before it is moved under the
// boxes or the patient block: 130 mm as the layout fixes it.
constexpr double kStripHeightUnits = 3070.8661417322833;

// What the analysis report shows beside the page's samples.
struct AnalysisReportInput {
    QString patientId;   // the patient item's identifier string
    QString patientText; // the patient as the tree lists it
    QString diagnosis;
    RecordIndexEntry header;
    RecordingMode mode = RecordingMode::Snap; // the store `header` comes from
    AveragedBeat beat{};
    ParameterBlock parameters{};
    int start = 0;
    int end = kSamplesPerRecording - 1;
};

// Fills the page's elements (kind 2).
void BuildAnalysisReport(ReportPage& page, const AnalysisReportInput& input);
// Fills the page's elements for a record report; kind is set by the caller
// (0 Snap, 1 Continuous) before building.
void BuildRecordReport(ReportPage& page, const PatientRecord& patient, int recordNumber,
                       const RecordIndexEntry& header, const QString& diagnosis);

// The kind field as the record report shows it: kind 1 joins the event
// names of the set bits with ","; kind 0 names the recording type.
QString kindFieldText(int pageKind, uint16_t kindField);

} // namespace vantora
