#include "dicom/DicomUids.h"

#include <QCryptographicHash>
#include <QUuid>

namespace vantora {

namespace {

// The station's namespace for name-based UUIDs (a fixed random UUID).
const QUuid kStationNamespace(QStringLiteral("{6b0f3a52-8d1e-4c57-9f2a-3e51c8d07a14}"));

} // namespace

QString decimalOf128(const QByteArray& bigEndian16) {
    unsigned __int128 value = 0;
    for (char c : bigEndian16.first(16))
        value = (value << 8) | uint8_t(c);
    if (value == 0)
        return QStringLiteral("0");
    QString digits;
    while (value != 0) {
        digits.prepend(QChar(u'0' + int(value % 10)));
        value /= 10;
    }
    return digits;
}

QString nameBasedUid(QByteArrayView name) {
    const QUuid uuid = QUuid::createUuidV5(kStationNamespace, name.toByteArray());
    return QStringLiteral("2.25.") + decimalOf128(uuid.toRfc4122());
}

QByteArray entryBytes(const RecordIndexEntry& entry) {
    const auto bytes = entry.toBytes();
    return QByteArray(reinterpret_cast<const char*>(bytes.data()), qsizetype(bytes.size()));
}

QByteArray recordingIdentity(const QString& patientId, RecordingMode mode,
                             const RecordIndexEntry& entry, const QByteArray& record) {
    // The record enters by its digest: the name stays short whatever the size.
    QByteArray name = patientId.toUtf8();
    name += '\0';
    name += QByteArray::number(toInt(mode));
    name += '\0';
    name += entryBytes(entry);
    name += QCryptographicHash::hash(record, QCryptographicHash::Sha256);
    return name;
}

} // namespace vantora
