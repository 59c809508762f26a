#pragma once

#include "core/RecordingMode.h"
#include "records/RecordIndexEntry.h"

#include <QDateTime>
#include <QLocale>
#include <QString>
#include <QStringList>

namespace vantora {

// The station's one way of writing a date and time for a person, from the
// locale: its short date and its long time without the zone (stored times
// are local and carry none), so seconds always show.
QString stationDateTimeText(const QDateTime& at, const QLocale& locale = QLocale::system());
QString stationTimeText(const QTime& at, const QLocale& locale = QLocale::system());
// The formats behind them, for reading such a text back.
QString stationDateTimeFormat(const QLocale& locale = QLocale::system());
QString stationTimeFormat(const QLocale& locale = QLocale::system());

// ISO 8601 with the local offset from UTC, for output that programs read.
QString isoDateTimeText(const QDateTime& at);

// A stored time as local date and time; invalid when its fields are no date.
QDateTime localDateTime(const SystemTime& t);

// The instants a recording covers. A Snap entry holds the recorder's start;
// a Continuous entry is written when the segment's last packet arrived, so
// it holds the end of its 30 s.
struct RecordingSpan {
    QDateTime start;
    QDateTime end;
};
RecordingSpan recordingSpan(RecordingMode mode, const RecordIndexEntry& entry);
QDateTime recordingStart(RecordingMode mode, const RecordIndexEntry& entry);

// A recording's time as every page, report and picture shows it: a Snap
// recording its start, a Continuous one "start – end" (the end's date only
// when the segment crosses midnight). Empty for a time that is no date.
QString recordingTimeText(RecordingMode mode, const RecordIndexEntry& entry,
                          const QLocale& locale = QLocale::system());
// The same text in lines for a narrow place: the start (with " –" after it
// for a Continuous recording), then the end; joined by a space they give
// recordingTimeText(). No lines for a time that is no date.
QStringList recordingTimeLines(RecordingMode mode, const RecordIndexEntry& entry,
                               const QLocale& locale = QLocale::system());

} // namespace vantora
