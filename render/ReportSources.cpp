// Gathers what a report shows from the stores, so the pages and the command
// line build the same report pages.
#include "render/ReportSources.h"

#include "core/DataPaths.h"
#include "records/PatientRegistry.h"
#include "records/RecordingNotes.h"
#include "records/RecordingStore.h"

namespace vantora {

RecordReportSet ReadRecordReports(const QString& dataRoot, RecordingMode mode, int position,
                                  const std::vector<int>& indices) {
    RecordReportSet set;
    set.kind =
        mode == RecordingMode::Continuous ? ReportPage::kContinuousRecord : ReportPage::kSnapRecord;
    const Result<PatientRecord> read = PatientRegistry(dataRoot).read(position);
    if (!read.ok()) {
        set.message = read.message();
        return set;
    }
    set.patient = read.value();
    const RecordingStore store(dataRoot, mode, set.patient.id);
    const RecordingNotes notes(dataRoot, mode, set.patient.id);
    for (const int k : indices) {
        RecordReportItem item;
        auto samples = store.readSamples(k);
        auto entry = store.readEntry(k);
        if (!samples.ok() || !entry.ok()) {
            set.message = samples.ok() ? entry.message() : samples.message();
            return set;
        }
        item.samples = std::move(samples).value();
        item.entry = entry.value();
        item.number = k + 1;
        item.diagnosis = notes.read(entry.value().time).value(); // no note: no diagnosis
        set.items.push_back(std::move(item));
    }
    return set;
}

std::unique_ptr<ReportPage> MakeRecordReportPage(const RecordReportSet& set, int index,
                                                 const QSize& sheetUnits) {
    const RecordReportItem& item = set.items.at(size_t(index));
    auto page = std::make_unique<ReportPage>(sheetUnits.width(), sheetUnits.height(), item.samples);
    page->kind = set.kind;
    BuildRecordReport(*page, set.patient, item.number, item.entry, item.diagnosis);
    return page;
}

std::unique_ptr<ReportPage> MakeAnalysisReportPage(std::span<const int32_t> samples,
                                                   const AnalysisReportInput& input,
                                                   const QSize& sheetUnits) {
    auto page = std::make_unique<ReportPage>(sheetUnits.width(), sheetUnits.height(), samples);
    BuildAnalysisReport(*page, input);
    return page;
}

} // namespace vantora
