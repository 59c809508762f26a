// vantora-cli dicom export: a recording as a DICOM ECG waveform file and, on
// request, its analysis report as an encapsulated PDF file, as they would go
// to the archive.
#include "dicom/EcgObject.h"
#include "records/SafeFileWriter.h"
#include "tools/cli/DicomCommand.h"
#include "tools/cli/StoreOptions.h"

#include <QDir>
#include <QJsonObject>

namespace vantora::cli {

namespace {

QJsonObject written(const DicomObject& object, const QString& path) {
    check(writeWholeFile(path, object.file));
    return QJsonObject{{"out", path},
                       {"sopClassUid", object.sopClassUid},
                       {"sopInstanceUid", object.sopInstanceUid},
                       {"studyInstanceUid", object.studyInstanceUid},
                       {"bytes", int(object.file.size())}};
}

QString outputPath(const QString& given) {
    return QDir(QDir::currentPath()).absoluteFilePath(given);
}

} // namespace

int runDicomExport(CliContext& ctx) {
    const RecordingMode mode = requireMode(ctx);
    const PatientRef patient = requirePatient(ctx);
    const int k = requireRecordingChoice(ctx, false);
    const QString out = outputPath(ctx.requireOption("out"));
    const std::optional<QString> report = ctx.takeOption("report");
    const DicomSettings settings = takeDicomSettings(ctx);
    ctx.finish();

    const RecordingObjects objects =
        valueOf(buildRecordingObjects(ctx.dataRoot, RecordingKey{patient.id, mode, k + 1},
                                      settings.stationAet, report.has_value()));
    QJsonObject result{{"waveform", written(objects.waveform, out)}};
    if (report)
        result.insert(QStringLiteral("report"), written(*objects.report, outputPath(*report)));
    if (ctx.json) {
        ctx.printJson(result);
    } else {
        ctx.printLine(
            QStringLiteral("%1: ECG waveform %2").arg(out, objects.waveform.sopInstanceUid));
        if (report)
            ctx.printLine(QStringLiteral("%1: analysis report %2")
                              .arg(outputPath(*report), objects.report->sopInstanceUid));
    }
    return 0;
}

} // namespace vantora::cli
