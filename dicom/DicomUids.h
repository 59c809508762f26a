#pragma once

#include "core/RecordingMode.h"
#include "records/RecordIndexEntry.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

namespace vantora {

// UIDs derived from what they identify, so that building an object again
// gives the same UID and an archive takes a second send as the same object:
// "2.25." and the decimal value of the name-based (SHA-1, version 5) UUID of
// `name` in the station's own namespace (the standard's form for UIDs made
// from a UUID, no registered root needed). At most 44 characters.
QString nameBasedUid(QByteArrayView name);

// The decimal digits of a 128-bit unsigned value given big-endian.
QString decimalOf128(const QByteArray& bigEndian16);

// What the UIDs of one recording are made from: the patient, the store, the
// index entry and the record bytes. Each UID adds its role to this name.
QByteArray recordingIdentity(const QString& patientId, RecordingMode mode,
                             const RecordIndexEntry& entry, const QByteArray& record);

// An index entry's 24 bytes as the store holds them.
QByteArray entryBytes(const RecordIndexEntry& entry);

} // namespace vantora
