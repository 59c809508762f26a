#include "records/ExchangeExport.h"

#include "core/Langpack.h"
#include "core/SignalFormat.h"
#include "core/StringIds.h"
#include "records/EdfExport.h"
#include "records/RecordDialogs.h"
#include "records/RecordingDescription.h"
#include "records/RecordingNotes.h"
#include "records/RecordingStore.h"
#include "records/SafeFileWriter.h"

namespace vantora {

namespace {
constexpr double kSecondsPerSample = 1.0 / kSamplesPerSecond;

// One line of header text: line breaks of a note would end the comment.
QString oneLine(QString text) {
    text.replace(u'\r', u' ');
    text.replace(u'\n', u' ');
    return text;
}
} // namespace

double countToMillivolts(int32_t count) {
    return (count - kSampleBaseline) / double(kUnitsPerMillivolt);
}

Result<ExchangeSet> readExchangeSet(const QString& dataRoot, RecordingMode mode,
                                    const PatientRecord& patient, int k) {
    ExchangeSet set{patient, mode, {}};
    const RecordingStore store(dataRoot, mode, patient.id);
    const RecordingNotes notes(dataRoot, mode, patient.id);
    const RecordingListing listing = store.listIndex();
    if (!listing.message.isNone())
        return listing.message;
    const int held = store.count().value();
    for (const ListedRecording& r : listing.recordings) {
        if (r.number > held || (k >= 0 && r.number != k + 1))
            continue;
        auto samples = store.readSamples(r.number - 1);
        if (!samples.ok())
            return samples.message();
        const auto note = notes.read(r.entry.time);
        if (!note.ok())
            return note.message();
        set.recordings.push_back({r.number, recordingStart(mode, r.entry),
                                  recordingDescription(mode, r.entry), note.value(),
                                  std::move(samples).value()});
    }
    return set;
}

QByteArray exchangeCsv(const ExchangeSet& set) {
    QByteArray out;
    const PatientRecord& p = set.patient;
    out += ("# patient: " + oneLine(p.id) + ", " + oneLine(p.name) + ", " + oneLine(p.sex) + ", " +
            oneLine(p.date) + "\n")
               .toUtf8();
    for (const ExchangeRecording& r : set.recordings)
        out += QStringLiteral("# recording %1: start %2, %3, note: %4\n")
                   .arg(r.number)
                   .arg(r.start.toString(Qt::ISODate), oneLine(r.description), oneLine(r.note))
                   .toUtf8();
    out += "recording,time_s,mV\n";
    if (set.recordings.empty())
        return out;
    const QDateTime first = set.recordings.front().start;
    for (const ExchangeRecording& r : set.recordings) {
        const double offset = first.msecsTo(r.start) / 1000.0;
        for (size_t i = 0; i < r.samples.size(); ++i)
            out += QByteArray::number(r.number) + ',' +
                   QByteArray::number(offset + double(i) * kSecondsPerSample, 'f', 3) + ',' +
                   QByteArray::number(countToMillivolts(r.samples[i]), 'f', 6) + '\n';
    }
    return out;
}

Result<> writeExchangeCsv(const ExchangeSet& set, const QString& path) {
    return writeWholeFile(path, exchangeCsv(set));
}

Message exportForOtherTools(const QString& dataRoot, RecordingMode mode,
                            const PatientRecord* patient, int k, RecordDialogs& dialogs) {
    if (!patient)
        return Message{ids::kSelectForExport, {}};
    FileRequest request;
    request.kind = FileRequest::Kind::Save;
    request.title = Langpack::text(ids::kExportForOtherTools);
    request.filters = {QStringLiteral("EDF+ Files (*.edf)"), QStringLiteral("CSV Files (*.csv)")};
    request.defaultSuffix = QStringLiteral("edf");
    request.proposedName = patient->id + QStringLiteral(".edf");
    request.directory = dataRoot;
    const std::optional<QString> path = dialogs.chooseFile(request);
    if (!path)
        return {};
    const auto set = readExchangeSet(dataRoot, mode, *patient, k);
    if (!set.ok())
        return set.message();
    if (set.value().recordings.empty())
        return Message{ids::kSelectForExport, {}};
    if (path->endsWith(QLatin1String(".csv"), Qt::CaseInsensitive))
        return writeExchangeCsv(set.value(), *path).message();
    const Result<QStringList> written = writeEdf(set.value(), *path);
    return written.ok() ? severalFilesNotice(written.value()) : written.message();
}

} // namespace vantora
