#include "records/EdfExport.h"

#include "core/SignalFormat.h"
#include "records/SafeFileWriter.h"

#include <QDate>
#include <QFile>
#include <QTextBoundaryFinder>

#include <edflib.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <memory>

namespace vantora {

namespace {

constexpr int kSeveralFiles = 62622;
constexpr int kDigitalLimit = 32767; // EDF's 16-bit samples
constexpr qint64 kRecordingMs = qint64(kSecondsPerRecording) * 1000;
constexpr qint64 kFollowToleranceMs = 1000;
constexpr long long kEdfTimeUnitsPerSecond = 10000; // annotations: 100 us units
constexpr int kAnnotationBytes = 40;                // EDFlib keeps 40 bytes of a text
constexpr int kMaxAnnotationSignals = 64;           // EDFlib's limit
// Fixed header fields (ASCII numbers) that give the file's length.
constexpr int kHeaderBytesField = 184; // 8: bytes of the header
constexpr int kRecordCountField = 236; // 8: number of data records
constexpr int kSignalCountField = 252; // 4: number of signals
constexpr int kSignalFieldBytes = 216; // per signal, before the samples-per-record field
constexpr int kMainHeaderBytes = 256;

// Letters that do not decompose into a base letter and marks.
struct AsciiLetter {
    char16_t letter;
    const char* ascii;
};
constexpr AsciiLetter kAsciiLetters[] = {
    {u'\u0141', "L"},  {u'\u0142', "l"},  {u'\u00D8', "O"},  {u'\u00F8', "o"},
    {u'\u0110', "D"},  {u'\u0111', "d"},  {u'\u00DF', "ss"}, {u'\u00C6', "AE"},
    {u'\u00E6', "ae"}, {u'\u0152', "OE"}, {u'\u0153', "oe"}, {u'\u00DE', "Th"},
    {u'\u00FE', "th"}, {u'\u00D0', "D"},  {u'\u00F0', "d"},  {u'\u0131', "i"}};

// Whole millivolts k with 512 +- 175 k covering every sample of the run.
int millivoltSpan(const ExchangeSet& set, const std::vector<size_t>& run) {
    int widest = 1;
    for (size_t i : run)
        for (int32_t s : set.recordings[i].samples)
            widest = std::max(widest, std::abs(s - kSampleBaseline));
    const int k = (widest + kUnitsPerMillivolt - 1) / kUnitsPerMillivolt;
    return std::min(k, (kDigitalLimit - kSampleBaseline) / kUnitsPerMillivolt);
}

// Text for the ASCII header: letters lose their accents (Élodie: Elodie,
// Łukasiewicz: Lukasiewicz); what has no ASCII form becomes "?".
QByteArray asciiText(const QString& text) {
    QByteArray out;
    for (const QChar c : text) {
        const auto* own = std::find_if(std::begin(kAsciiLetters), std::end(kAsciiLetters),
                                       [c](const AsciiLetter& l) { return l.letter == c; });
        if (own != std::end(kAsciiLetters)) {
            out += own->ascii;
            continue;
        }
        for (const QChar d : QString(c).normalized(QString::NormalizationForm_KD)) {
            if (d.category() == QChar::Mark_NonSpacing || d.category() == QChar::Mark_Enclosing ||
                d.category() == QChar::Mark_SpacingCombining)
                continue;
            out += d.unicode() >= 0x20 && d.unicode() < 0x7F ? char(d.unicode()) : '?';
        }
    }
    return out;
}

// A text as UTF-8 pieces of at most 40 bytes, cut between characters (whole
// graphemes where one fits), so that every annotation is valid UTF-8 and the
// pieces read in order give the whole text.
std::vector<QByteArray> annotationPieces(const QString& text) {
    std::vector<QByteArray> pieces(1);
    QTextBoundaryFinder graphemes(QTextBoundaryFinder::Grapheme, text);
    qsizetype from = 0;
    for (qsizetype to = graphemes.toNextBoundary(); to > 0; to = graphemes.toNextBoundary()) {
        const QString cluster = text.mid(from, to - from);
        from = to;
        for (const QString& part : cluster.toUtf8().size() <= kAnnotationBytes
                                       ? QStringList{cluster}
                                       : cluster.split(QString(), Qt::SkipEmptyParts)) {
            const QByteArray bytes = part.toUtf8();
            if (pieces.back().size() + bytes.size() > kAnnotationBytes)
                pieces.emplace_back();
            pieces.back() += bytes;
        }
    }
    return pieces;
}

// The annotation texts of a run with their onsets (100 us units).
std::vector<std::pair<long long, QByteArray>> annotationsOf(const ExchangeSet& set,
                                                            const std::vector<size_t>& run) {
    std::vector<std::pair<long long, QByteArray>> out;
    long long onset = 0; // from the file's start: the samples written before
    for (size_t i : run) {
        const ExchangeRecording& r = set.recordings[i];
        const QString what =
            QStringLiteral("Recording %1").arg(r.number) +
            (r.description.isEmpty() ? QString() : QStringLiteral(": ") + r.description);
        for (const QString& text : {what, r.note.simplified()})
            if (!text.isEmpty())
                for (QByteArray& piece : annotationPieces(text))
                    out.emplace_back(onset, std::move(piece));
        onset += (long long)(r.samples.size() / kSamplesPerSecond) * kEdfTimeUnitsPerSecond;
    }
    return out;
}

int runSeconds(const ExchangeSet& set, const std::vector<size_t>& run) {
    int seconds = 0;
    for (size_t i : run)
        seconds += int(set.recordings[i].samples.size()) / kSamplesPerSecond;
    return seconds;
}

void setHeader(int h, const ExchangeSet& set, const std::vector<size_t>& run, int k) {
    const PatientRecord& p = set.patient;
    edf_set_samplefrequency(h, 0, kSamplesPerSecond);
    edf_set_digital_minimum(h, 0, kSampleBaseline - k * kUnitsPerMillivolt);
    edf_set_digital_maximum(h, 0, kSampleBaseline + k * kUnitsPerMillivolt);
    edf_set_physical_minimum(h, 0, -k);
    edf_set_physical_maximum(h, 0, k);
    edf_set_label(h, 0, "ECG");
    edf_set_physical_dimension(h, 0, "mV");
    edf_set_patientcode(h, asciiText(p.id).constData());
    edf_set_patientname(h, asciiText(p.name).constData());
    const int sex = sexChoiceOf(p.sex); // 0 first (male), 1 second (female)
    if (sex == 0 || sex == 1)
        edf_set_gender(h, sex == 0 ? 1 : 0);
    if (const QDate birth = parsePatientDate(p.date); birth.isValid())
        edf_set_birthdate(h, birth.year(), birth.month(), birth.day());
    const QDateTime start = set.recordings[run.front()].start;
    edf_set_startdatetime(h, start.date().year(), start.date().month(), start.date().day(),
                          start.time().hour(), start.time().minute(), start.time().second());
    edf_set_equipment(h, "VantoraECG single-lead recorder");
}

bool writeSamples(int h, const ExchangeSet& set, const std::vector<size_t>& run, int k) {
    const int low = kSampleBaseline - k * kUnitsPerMillivolt;
    const int high = kSampleBaseline + k * kUnitsPerMillivolt;
    std::vector<int> second(kSamplesPerSecond);
    for (size_t i : run) {
        const std::vector<int32_t>& s = set.recordings[i].samples;
        for (size_t at = 0; at + kSamplesPerSecond <= s.size(); at += kSamplesPerSecond) {
            for (int j = 0; j < kSamplesPerSecond; ++j)
                second[size_t(j)] = std::clamp(s[at + size_t(j)], low, high);
            if (edfwrite_digital_samples(h, second.data()) != 0)
                return false;
        }
    }
    return true;
}

bool writeAnnotations(int h, const std::vector<std::pair<long long, QByteArray>>& annotations) {
    for (const auto& [onset, text] : annotations)
        if (edfwrite_annotation_utf8(h, onset, -1, text.constData()) != 0)
            return false;
    return true;
}

// The length the file's own header gives (header plus data records), or -1
// when the header is not whole or does not hold `records` data records.
qint64 headerFileSize(const QString& path, int records) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray head = file.read(kMainHeaderBytes);
    const auto number = [](const QByteArray& bytes, int at, int width) {
        bool ok = false;
        const qint64 v = bytes.mid(at, width).trimmed().toLongLong(&ok);
        return ok ? v : -1;
    };
    const qint64 headerBytes = number(head, kHeaderBytesField, 8);
    const qint64 signalCount = number(head, kSignalCountField, 4);
    if (head.size() != kMainHeaderBytes || number(head, kRecordCountField, 8) != records ||
        signalCount < 1 || headerBytes != kMainHeaderBytes * (signalCount + 1))
        return -1;
    const QByteArray signalFields = file.read(headerBytes - kMainHeaderBytes);
    qint64 recordBytes = 0;
    for (qint64 sgn = 0; sgn < signalCount; ++sgn) {
        const qint64 n = number(signalFields, int(kSignalFieldBytes * signalCount + 8 * sgn), 8);
        if (n < 1)
            return -1;
        recordBytes += 2 * n;
    }
    return headerBytes + records * recordBytes;
}

QString runPath(const QString& path, size_t run) {
    if (run == 0)
        return path;
    const QString suffix = QStringLiteral("-%1").arg(run + 1);
    return path.endsWith(QLatin1String(".edf"), Qt::CaseInsensitive)
               ? path.left(path.size() - 4) + suffix + path.right(4)
               : path + suffix;
}

// One run into `file`'s temporary file: EDFlib's results and the length its
// header promises decide whether it is finished for the rename.
Message writeRun(SafeFileWriter& file, const ExchangeSet& set, const std::vector<size_t>& run) {
    if (!file.open())
        return file.message();
    errno = 0;
    const int h = edfopen_file_writeonly(QFile::encodeName(file.tempPath()).constData(),
                                         EDFLIB_FILETYPE_EDFPLUS, 1);
    if (h < 0) {
        file.fail(errno ? errno : EIO);
        return file.message();
    }
    const int k = millivoltSpan(set, run);
    const int seconds = runSeconds(set, run);
    const auto annotations = annotationsOf(set, run);
    setHeader(h, set, run, k);
    // Each data record holds one annotation per annotation signal.
    edf_set_number_of_annotation_signals(
        h,
        std::clamp(int(annotations.size()) / std::max(seconds, 1) + 1, 1, kMaxAnnotationSignals));
    const bool written = writeSamples(h, set, run, k) && writeAnnotations(h, annotations);
    const int error = errno;
    const bool closed = edfclose_file(h) == 0;
    if (!written || !closed) {
        file.fail(error ? error : errno ? errno : EIO);
        return file.message();
    }
    const qint64 expected = headerFileSize(file.tempPath(), seconds);
    if (expected < 0) {
        file.fail(ENOSPC); // the library lost part of the file without saying so
        return file.message();
    }
    return file.finish(expected) ? Message{} : file.message();
}

} // namespace

std::vector<std::vector<size_t>> contiguousRuns(const std::vector<ExchangeRecording>& recordings) {
    std::vector<std::vector<size_t>> runs;
    for (size_t i = 0; i < recordings.size(); ++i) {
        const bool follows =
            i > 0 && std::abs(recordings[i - 1].start.msecsTo(recordings[i].start) -
                              kRecordingMs) <= kFollowToleranceMs;
        if (!follows)
            runs.emplace_back();
        runs.back().push_back(i);
    }
    return runs;
}

Result<QStringList> writeEdf(const ExchangeSet& set, const QString& path) {
    const auto runs = contiguousRuns(set.recordings);
    // All files are made whole before the first replaces anything: a failed
    // export leaves every earlier file as it was.
    std::vector<std::unique_ptr<SafeFileWriter>> files;
    for (size_t r = 0; r < runs.size(); ++r) {
        files.push_back(std::make_unique<SafeFileWriter>(runPath(path, r)));
        if (const Message why = writeRun(*files.back(), set, runs[r]); !why.isNone())
            return why;
    }
    QStringList written;
    for (size_t r = 0; r < runs.size(); ++r) {
        if (!files[r]->commit())
            return files[r]->message();
        written << runPath(path, r);
    }
    return written;
}

Message severalFilesNotice(const QStringList& files) {
    return files.size() > 1 ? Message{kSeveralFiles, files.join(u'\n')} : Message{};
}

} // namespace vantora
