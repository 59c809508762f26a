// vantora-cli export-edf and export-csv: recordings for other tools (EDF
// viewers, MNE, spreadsheets). Nothing leaves the store.
#include "records/EdfExport.h"
#include "records/ExchangeExport.h"
#include "records/PatientRegistry.h"
#include "tools/cli/StoreOptions.h"

namespace vantora::cli {

namespace {

struct ExportRequest {
    ExchangeSet set;
    QString out;
};

ExportRequest readRequest(CliContext& ctx) {
    const RecordingMode mode = requireMode(ctx);
    const PatientRef patient = requirePatient(ctx);
    const int k = requireRecordingChoice(ctx, true);
    const QString out = ctx.requireOption("out");
    ctx.finish();
    const PatientRecord record = valueOf(PatientRegistry(ctx.dataRoot).read(patient.position));
    requireWholeStore(ctx.dataRoot, mode, record.id);
    auto set = readExchangeSet(ctx.dataRoot, mode, record, k);
    failOnMessage(set.message());
    if (set.value().recordings.empty())
        throw UsageError("no such recording in the store");
    return {std::move(set.value()), out};
}

} // namespace

int runExportEdf(CliContext& ctx) {
    const ExportRequest request = readRequest(ctx);
    const QStringList written = valueOf(writeEdf(request.set, request.out));
    // Several files: say so above the list.
    const Message several = severalFilesNotice(written);
    ctx.printLine(several.isNone() ? written.join(u'\n') : several.text());
    return 0;
}

int runExportCsv(CliContext& ctx) {
    const ExportRequest request = readRequest(ctx);
    check(writeExchangeCsv(request.set, request.out));
    return 0;
}

} // namespace vantora::cli
