// Dates and times for people (the locale's) and for programs (ISO 8601), and
// the start and end of a recording from its index entry.
#include "records/RecordingTime.h"

#include "core/SignalFormat.h"

namespace vantora {

// The locale's long time format without its zone fields ("t" outside quotes).
QString stationTimeFormat(const QLocale& locale) {
    const QString format = locale.timeFormat(QLocale::LongFormat);
    QString out;
    bool quoted = false;
    for (QChar c : format) {
        if (c == u'\'')
            quoted = !quoted;
        if (quoted || c != u't')
            out += c;
    }
    return out.simplified();
}

QString stationDateTimeFormat(const QLocale& locale) {
    return locale.dateFormat(QLocale::ShortFormat) + u' ' + stationTimeFormat(locale);
}

QString stationTimeText(const QTime& at, const QLocale& locale) {
    return at.isValid() ? locale.toString(at, stationTimeFormat(locale)) : QString();
}

QString stationDateTimeText(const QDateTime& at, const QLocale& locale) {
    return at.isValid() ? locale.toString(at, stationDateTimeFormat(locale)) : QString();
}

QString isoDateTimeText(const QDateTime& at) {
    return at.isValid() ? at.toOffsetFromUtc(at.offsetFromUtc()).toString(Qt::ISODate) : QString();
}

QDateTime localDateTime(const SystemTime& t) {
    return QDateTime(QDate(t.year, t.month, t.day),
                     QTime(t.hour, t.minute, t.second, t.milliseconds));
}

RecordingSpan recordingSpan(RecordingMode mode, const RecordIndexEntry& entry) {
    const QDateTime stored = localDateTime(entry.time);
    if (mode == RecordingMode::Continuous)
        return {stored.addSecs(-kSecondsPerRecording), stored};
    return {stored, stored.addSecs(kSecondsPerRecording)};
}

QDateTime recordingStart(RecordingMode mode, const RecordIndexEntry& entry) {
    return recordingSpan(mode, entry).start;
}

QStringList recordingTimeLines(RecordingMode mode, const RecordIndexEntry& entry,
                               const QLocale& locale) {
    const RecordingSpan span = recordingSpan(mode, entry);
    const QString start = stationDateTimeText(span.start, locale);
    if (start.isEmpty())
        return {};
    if (mode != RecordingMode::Continuous)
        return {start};
    const QString end = span.end.date() == span.start.date()
                            ? stationTimeText(span.end.time(), locale)
                            : stationDateTimeText(span.end, locale);
    return {start + QStringLiteral(" \u2013"), end};
}

QString recordingTimeText(RecordingMode mode, const RecordIndexEntry& entry,
                          const QLocale& locale) {
    return recordingTimeLines(mode, entry, locale).join(u' ');
}

} // namespace vantora
