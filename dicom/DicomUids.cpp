#include "dicom/DicomUids.h"

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

// A stable digest of the record, mixed word by word: the name must not grow
// with the record, and a cryptographic hash of 30 kB per recording would be
// most of the cost of exporting a store. It only tells recordings apart.
QByteArray recordDigest(const QByteArray& record) {
    uint64_t lanes[2] = {0x9E3779B97F4A7C15ull, 0xC2B2AE3D27D4EB4Full};
    const auto mix = [](uint64_t x) {
        x ^= x >> 31;
        x *= 0xBF58476D1CE4E5B9ull;
        x ^= x >> 27;
        return x * 0x94D049BB133111EBull;
    };
    const auto* p = reinterpret_cast<const uint8_t*>(record.constData());
    const qsizetype n = record.size();
    for (qsizetype i = 0; i < n; i += 8) {
        uint64_t word = 0;
        for (qsizetype k = 0; k < 8 && i + k < n; ++k)
            word |= uint64_t(p[i + k]) << (8 * k);
        const int lane = int((i / 8) & 1);
        lanes[lane] = mix(lanes[lane] ^ word) + uint64_t(i);
    }
    QByteArray digest;
    for (uint64_t lane : lanes)
        digest += QByteArray::number(mix(lane ^ uint64_t(n)), 16);
    return digest;
}

QByteArray recordingIdentity(const QString& patientId, RecordingMode mode,
                             const RecordIndexEntry& entry, const QByteArray& record) {
    QByteArray name = patientId.toUtf8();
    name += '\0';
    name += QByteArray::number(toInt(mode));
    name += '\0';
    name += entryBytes(entry);
    name += recordDigest(record);
    return name;
}

} // namespace vantora
