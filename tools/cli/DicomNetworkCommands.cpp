// vantora-cli dicom echo|worklist|send|find|get: the station's peers over
// the network. Sending goes through the outbox, so what the archive did not
// confirm waits there for `dicom send --waiting` or the window.
#include "core/StringIds.h"
#include "dicom/DicomNetwork.h"
#include "dicom/EcgObject.h"
#include "dicom/Outbox.h"
#include "records/RecordingStore.h"
#include "tools/cli/DicomCommand.h"
#include "tools/cli/StoreOptions.h"

#include <QJsonArray>
#include <QJsonObject>

#include <algorithm>
#include <tuple>

namespace vantora::cli {

namespace {

const QString kPdfClass = QStringLiteral("1.2.840.10008.5.1.4.1.1.104.1");

DicomNode requireArchive(const DicomSettings& settings) {
    if (!settings.archive.isSet())
        throw CommandFailure{Message{ids::kNoArchiveSet, {}}};
    return settings.archive;
}

QString dateText(const QDateTime& time) {
    return time.isValid() ? time.toString(Qt::ISODate) : QString();
}

// Sends what waits; the report on stdout, a failure as the exit status.
int sendOutbox(CliContext& ctx, const DicomSettings& settings) {
    const outbox::SendReport report =
        outbox::sendWaiting(ctx.dataRoot, settings.stationAet, requireArchive(settings));
    if (ctx.json)
        ctx.printJson(QJsonObject{
            {"sent", report.sent}, {"failed", report.failed}, {"waiting", report.waiting}});
    else {
        ctx.printLine(Message{ids::kOutboxSent, QString::number(report.sent)}.text());
        if (report.waiting > 0)
            ctx.printLine(Message{ids::kOutboxWaiting, QString::number(report.waiting)}.text());
    }
    failOnMessage(report.problem);
    return 0;
}

int runEcho(CliContext& ctx) {
    const std::optional<QString> worklist = ctx.takeOption("worklist");
    const std::optional<QString> archive = ctx.takeOption("archive");
    const DicomSettings settings = takeDicomSettings(ctx);
    ctx.finish();
    if (worklist && archive)
        throw UsageError("give either --archive or --worklist");
    const DicomNode peer = worklist  ? valueOf(DicomNode::parse(*worklist))
                           : archive ? valueOf(DicomNode::parse(*archive))
                                     : requireArchive(settings);
    const EchoOutcome outcome = valueOf(echo(settings.stationAet, peer));
    if (ctx.json)
        ctx.printJson(QJsonObject{{"peer", peer.text()}, {"roundTripMs", outcome.roundTripMs}});
    else
        ctx.printLine(
            Message{ids::kDicomEchoAnswered, QString::number(outcome.roundTripMs)}.text());
    return 0;
}

int runWorklist(CliContext& ctx) {
    const std::optional<QString> dayText = ctx.takeOption("date");
    const DicomSettings settings = takeDicomSettings(ctx);
    ctx.finish();
    const QDate day = dayText ? QDate::fromString(*dayText, Qt::ISODate) : QDate::currentDate();
    if (!day.isValid())
        throw UsageError("--date takes YYYY-MM-DD");
    if (!settings.worklist.isSet())
        throw CommandFailure{Message{ids::kNoWorklistSet, {}}};
    const auto items = valueOf(queryWorklist(settings.stationAet, settings.worklist, day));
    QJsonArray list;
    for (const WorklistItem& item : items) {
        list.append(QJsonObject{{"patientName", item.patientName},
                                {"patientId", item.patientId},
                                {"birthDate", item.birthDate.toString(Qt::ISODate)},
                                {"sex", item.sex},
                                {"scheduled", dateText(item.scheduled)},
                                {"accessionNumber", item.accessionNumber},
                                {"requestedProcedure", item.requestedProcedure},
                                {"studyInstanceUid", item.studyInstanceUid},
                                {"stepId", item.stepId}});
        if (!ctx.json)
            ctx.printLine(QStringList{item.scheduled.time().toString(QStringLiteral("HH:mm")),
                                      item.patientName, item.patientId,
                                      item.birthDate.toString(Qt::ISODate), item.sex,
                                      item.accessionNumber, item.requestedProcedure}
                              .join(u'\t'));
    }
    if (ctx.json)
        ctx.printJson(list);
    return 0;
}

int runSend(CliContext& ctx) {
    if (ctx.takeFlag("waiting")) {
        const DicomSettings settings = takeDicomSettings(ctx);
        ctx.finish();
        return sendOutbox(ctx, settings);
    }
    const RecordingMode mode = requireMode(ctx);
    const PatientRef patient = requirePatient(ctx);
    const int choice = requireRecordingChoice(ctx, true);
    const DicomSettings settings = takeDicomSettings(ctx);
    ctx.finish();
    requireArchive(settings);
    const int count =
        choice >= 0 ? 1 : valueOf(RecordingStore(ctx.dataRoot, mode, patient.id).count());
    // Into the outbox first: from there nothing is lost, whatever the archive does.
    for (int i = 0; i < count; ++i) {
        const RecordingKey key{patient.id, mode, (choice >= 0 ? choice : i) + 1};
        const RecordingObjects objects =
            valueOf(buildRecordingObjects(ctx.dataRoot, key, settings.stationAet, true));
        check(
            outbox::enqueue(ctx.dataRoot, objects.waveform.sopInstanceUid, objects.waveform.file));
        if (objects.report)
            check(outbox::enqueue(ctx.dataRoot, objects.report->sopInstanceUid,
                                  objects.report->file));
    }
    return sendOutbox(ctx, settings);
}

int runFind(CliContext& ctx) {
    const PatientRef patient = requirePatient(ctx);
    const DicomSettings settings = takeDicomSettings(ctx);
    ctx.finish();
    const auto studies =
        valueOf(findStudies(settings.stationAet, requireArchive(settings), patient.id));
    QJsonArray list;
    for (const ArchivedStudy& study : studies) {
        list.append(QJsonObject{{"studyInstanceUid", study.studyInstanceUid},
                                {"time", dateText(study.studyTime)},
                                {"station", study.stationName},
                                {"description", study.description},
                                {"instances", study.instances}});
        if (!ctx.json)
            ctx.printLine(QStringList{dateText(study.studyTime), study.stationName,
                                      study.description, study.studyInstanceUid}
                              .join(u'\t'));
    }
    if (ctx.json)
        ctx.printJson(list);
    return 0;
}

// In the order they were recorded, so the store reads as the sender's does.
bool recordedEarlier(const ReceivedRecording& a, const ReceivedRecording& b) {
    const SystemTime& x = a.entry.time;
    const SystemTime& y = b.entry.time;
    return std::tie(x.year, x.month, x.day, x.hour, x.minute, x.second, x.milliseconds) <
           std::tie(y.year, y.month, y.day, y.hour, y.minute, y.second, y.milliseconds);
}

// Each retrieved waveform of the patient and mode goes into the store as it
// was sent; reports are the archive's copy of what the analysis shows and
// are not stored. Objects the station cannot take are named, not stored.
int runGet(CliContext& ctx) {
    const RecordingMode mode = requireMode(ctx);
    const PatientRef patient = requirePatient(ctx);
    const std::optional<QString> study = ctx.takeOption("study");
    const bool all = ctx.takeFlag("all");
    const DicomSettings settings = takeDicomSettings(ctx);
    ctx.finish();
    if (study.has_value() == all)
        throw UsageError("give either --study UID or --all");
    const DicomNode archive = requireArchive(settings);
    QStringList studies;
    if (study)
        studies << *study;
    else
        for (const ArchivedStudy& s :
             valueOf(findStudies(settings.stationAet, archive, patient.id)))
            studies << s.studyInstanceUid;
    QJsonArray results;
    std::vector<std::pair<QString, ReceivedRecording>> recordings;
    for (const QString& uid : studies) {
        for (const QByteArray& file : valueOf(getStudy(settings.stationAet, archive, uid))) {
            if (sopClassOf(file) == kPdfClass)
                continue;
            auto received = readEcgObject(file);
            if (!received) {
                results.append(
                    QJsonObject{{"studyInstanceUid", uid}, {"refused", received.message().text()}});
                continue;
            }
            // Another store's or patient's recording in the same study.
            if (received.value().mode == mode &&
                received.value().patientId.compare(patient.id, Qt::CaseInsensitive) == 0)
                recordings.emplace_back(uid, std::move(received).value());
        }
    }
    std::stable_sort(recordings.begin(), recordings.end(), [](const auto& a, const auto& b) {
        return recordedEarlier(a.second, b.second);
    });
    for (const auto& [uid, recording] : recordings) {
        const auto number = importEcgObject(ctx.dataRoot, recording);
        results.append(
            number ? QJsonObject{{"studyInstanceUid", uid}, {"number", number.value()}}
                   : QJsonObject{{"studyInstanceUid", uid}, {"refused", number.message().text()}});
    }
    if (ctx.json)
        ctx.printJson(results);
    else
        for (const QJsonValue& r : results)
            ctx.printLine(r["studyInstanceUid"].toString() + u'\t' +
                          (r.toObject().contains("number") ? QString::number(r["number"].toInt())
                                                           : r["refused"].toString()));
    return 0;
}

} // namespace

int runDicomEcho(CliContext& ctx) {
    return runEcho(ctx);
}
int runDicomWorklist(CliContext& ctx) {
    return runWorklist(ctx);
}
int runDicomSend(CliContext& ctx) {
    return runSend(ctx);
}
int runDicomFind(CliContext& ctx) {
    return runFind(ctx);
}
int runDicomGet(CliContext& ctx) {
    return runGet(ctx);
}

} // namespace vantora::cli
