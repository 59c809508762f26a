#include "dicom/StudyLinks.h"

#include "dicom/DicomUids.h"
#include "dicom/EcgObjectParts.h"
#include "records/DataFolderLock.h"
#include "records/RecordingStore.h"
#include "records/RecordingTime.h"
#include "records/SafeFileWriter.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <algorithm>
#include <tuple>

namespace vantora::StudyLinks {

namespace {

QJsonArray readLinks(const QString& dataRoot) {
    QFile file(path(dataRoot));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QJsonDocument doc = QJsonDocument::fromJson(file.readAll());
    return doc.object().value(QStringLiteral("links")).toArray();
}

// The patient's links, oldest choice first; entries that do not read whole
// are left out.
std::vector<StudyLink> linksOf(const QString& dataRoot, const QString& patientId) {
    std::vector<StudyLink> links;
    for (const QJsonValue& value : readLinks(dataRoot)) {
        const QJsonObject o = value.toObject();
        StudyLink link{o.value(QStringLiteral("patient")).toString(),
                       QDateTime::fromString(o.value(QStringLiteral("chosenAt")).toString(),
                                             Qt::ISODateWithMs),
                       {o.value(QStringLiteral("study")).toString(),
                        o.value(QStringLiteral("accession")).toString(),
                        o.value(QStringLiteral("procedure")).toString()}};
        if (link.patientId.compare(patientId, Qt::CaseInsensitive) == 0 &&
            link.chosenAt.isValid() && !link.study.studyInstanceUid.isEmpty())
            links.push_back(link);
    }
    std::stable_sort(links.begin(), links.end(), [](const StudyLink& a, const StudyLink& b) {
        return a.chosenAt < b.chosenAt;
    });
    return links;
}

// Recordings in the order they were made: start time, then store, then number.
using Order = std::tuple<QDateTime, int, int>;

} // namespace

QString path(const QString& dataRoot) {
    return dataRoot + QStringLiteral("/StudyLinks.json");
}

Result<> remember(const QString& dataRoot, const QString& patientId, const StudyIdentity& study,
                  const QDateTime& chosenAt) {
    const DataFolderLock lock = DataFolderLock::exclusive(dataRoot);
    if (!lock.held())
        return lock.message();
    QJsonArray links = readLinks(dataRoot);
    links.append(QJsonObject{{"patient", patientId},
                             {"chosenAt", chosenAt.toString(Qt::ISODateWithMs)},
                             {"study", study.studyInstanceUid},
                             {"accession", study.accessionNumber},
                             {"procedure", study.requestedProcedure}});
    const QByteArray bytes = QJsonDocument(QJsonObject{{"links", links}}).toJson();
    return writeWholeFile(path(dataRoot), bytes);
}

Resolver::Resolver(QString dataRoot, const QString& patientId)
    : root_(std::move(dataRoot)), links_(linksOf(root_, patientId)) {}

// True when no recording of the patient started at or after `since` before `key`.
bool Resolver::firstSince(const RecordingKey& key, const QDateTime& since, const QDateTime& start) {
    if (!made_) {
        made_.emplace();
        for (RecordingMode mode : {RecordingMode::Snap, RecordingMode::Continuous})
            for (const ListedRecording& r :
                 RecordingStore(root_, mode, key.patientId).listIndex().recordings)
                made_->emplace_back(mode, r.entry);
    }
    const Order own{start, toInt(key.mode), key.number};
    int numbers[3] = {0, 0, 0}; // per mode, as listed
    for (const auto& [mode, entry] : *made_) {
        const int number = ++numbers[toInt(mode)];
        const QDateTime other = recordingStart(mode, entry);
        if (other.isValid() && other >= since && Order{other, toInt(mode), number} < own)
            return false;
    }
    return true;
}

StudyIdentity Resolver::studyFor(const RecordingKey& key, const RecordIndexEntry& entry,
                                 const QByteArray& identity) {
    const StudyIdentity derived{nameBasedUid(identity + "/study"), {}, {}};
    const QDateTime start = recordingStart(key.mode, entry);
    const auto after = std::find_if(links_.rbegin(), links_.rend(),
                                    [&](const StudyLink& l) { return l.chosenAt <= start; });
    if (!start.isValid() || after == links_.rend() || !firstSince(key, after->chosenAt, start))
        return derived;
    return after->study;
}

Result<StudyIdentity> studyFor(const QString& dataRoot, const RecordingKey& key,
                               const RecordIndexEntry& entry, const QByteArray& identity) {
    return Resolver(dataRoot, key.patientId).studyFor(key, entry, identity);
}

Result<StudyIdentity> studyFor(const QString& dataRoot, const RecordingKey& key) {
    auto stored = dicom::readStored(dataRoot, key);
    if (!stored)
        return stored.message();
    return studyFor(dataRoot, key, stored.value().entry, stored.value().identity);
}

} // namespace vantora::StudyLinks
