#pragma once

#include "core/Result.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>

#include <dcmtk/dcmdata/dcfilefo.h>

#include <memory>

// Small helpers over DCMTK's data sets: what the station's objects write and
// read again. Texts are UTF-8 (Specific Character Set "ISO_IR 192").
namespace vantora::dicom {

// A coded concept: value, coding scheme designator, meaning.
struct Code {
    const char* value;
    const char* scheme;
    const char* meaning;
};

// The whole Part-10 file (preamble, meta header, data set) in explicit VR
// little endian, made in memory; empty when DCMTK refuses to encode.
QByteArray part10Bytes(DcmFileFormat& file);
// Reads a whole Part-10 file from memory; the reason DCMTK gives on failure.
Result<std::shared_ptr<DcmFileFormat>> readPart10(const QByteArray& bytes);

void putText(DcmItem& item, const DcmTag& tag, const QString& text);
void putAscii(DcmItem& item, const DcmTag& tag, const char* text);
// A sequence of one item holding the code.
void putCode(DcmItem& item, const DcmTagKey& sequence, const Code& code);
// A new item appended to the sequence (created when missing).
DcmItem* appendItem(DcmItem& item, const DcmTagKey& sequence);
void putBytes(DcmItem& item, const DcmTag& tag, const QByteArray& bytes);

QString textOf(DcmItem& item, const DcmTagKey& tag);
// The value's bytes, or nothing when the element is missing.
std::optional<QByteArray> bytesOf(DcmItem& item, const DcmTagKey& tag);

// DA, TM and DT values of a local time without a zone.
QString dicomDate(const QDate& date);
QString dicomTime(const QTime& time);
QString dicomDateTime(const QDateTime& at);

// A person's name as PN allows: no component or value separators.
QString personName(const QString& name);

} // namespace vantora::dicom
