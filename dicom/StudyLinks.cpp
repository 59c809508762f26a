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

struct Link {
    QString patientId;
    QDateTime chosenAt;
    StudyIdentity study;
};

QJsonArray readLinks(const QString& dataRoot) {
    QFile file(path(dataRoot));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QJsonDocument doc = QJsonDocument::fromJson(file.readAll());
    return doc.object().value(QStringLiteral("links")).toArray();
}

// The patient's links, oldest choice first; entries that do not read whole
// are left out.
std::vector<Link> linksOf(const QString& dataRoot, const QString& patientId) {
    std::vector<Link> links;
    for (const QJsonValue& value : readLinks(dataRoot)) {
        const QJsonObject o = value.toObject();
        Link link{o.value(QStringLiteral("patient")).toString(),
                  QDateTime::fromString(o.value(QStringLiteral("chosenAt")).toString(),
                                        Qt::ISODateWithMs),
                  {o.value(QStringLiteral("study")).toString(),
                   o.value(QStringLiteral("accession")).toString(),
                   o.value(QStringLiteral("procedure")).toString()}};
        if (link.patientId.compare(patientId, Qt::CaseInsensitive) == 0 &&
            link.chosenAt.isValid() && !link.study.studyInstanceUid.isEmpty())
            links.push_back(link);
    }
    std::stable_sort(links.begin(), links.end(),
                     [](const Link& a, const Link& b) { return a.chosenAt < b.chosenAt; });
    return links;
}

// Recordings in the order they were made: start time, then store, then number.
using Order = std::tuple<QDateTime, int, int>;

// True when no recording of the patient started at or after `since` before `key`.
bool firstSince(const QString& dataRoot, const RecordingKey& key, const QDateTime& since,
                const Order& own) {
    for (RecordingMode mode : {RecordingMode::Snap, RecordingMode::Continuous}) {
        const RecordingListing listing = RecordingStore(dataRoot, mode, key.patientId).listIndex();
        for (const ListedRecording& r : listing.recordings) {
            const QDateTime start = recordingStart(mode, r.entry);
            if (start.isValid() && start >= since && Order{start, toInt(mode), r.number} < own)
                return false;
        }
    }
    return true;
}

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

Result<StudyIdentity> studyFor(const QString& dataRoot, const RecordingKey& key,
                               const RecordIndexEntry& entry, const QByteArray& identity) {
    StudyIdentity derived{nameBasedUid(identity + "/study"), {}, {}};
    const QDateTime start = recordingStart(key.mode, entry);
    const std::vector<Link> links = linksOf(dataRoot, key.patientId);
    const auto after = std::find_if(links.rbegin(), links.rend(),
                                    [&](const Link& l) { return l.chosenAt <= start; });
    if (!start.isValid() || after == links.rend())
        return derived;
    if (!firstSince(dataRoot, key, after->chosenAt, Order{start, toInt(key.mode), key.number}))
        return derived;
    return after->study;
}

Result<StudyIdentity> studyFor(const QString& dataRoot, const RecordingKey& key) {
    auto stored = dicom::readStored(dataRoot, key);
    if (!stored)
        return stored.message();
    return studyFor(dataRoot, key, stored.value().entry, stored.value().identity);
}

} // namespace vantora::StudyLinks
