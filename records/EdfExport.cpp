#include "records/EdfExport.h"

#include "records/SampleBlock.h"

#include <QDate>
#include <QFile>

#include <edflib.h>

#include <algorithm>
#include <cmath>

namespace vantora {

namespace {

constexpr int kEdfNotWritten = 62303;
constexpr int kSamplesPerSecond = 250;
constexpr int kZeroCount = 512;
constexpr int kDigitalLimit = 32767; // EDF's 16-bit samples
constexpr qint64 kRecordingMs = 30000;
constexpr qint64 kFollowToleranceMs = 1000;
constexpr long long kEdfTimeUnitsPerSecond = 10000; // annotations: 100 us units

// Whole millivolts k with 512 +- 175 k covering every sample of the run.
int millivoltSpan(const ExchangeSet& set, const std::vector<size_t>& run) {
    int widest = 1;
    for (size_t i : run)
        for (int32_t s : set.recordings[i].samples)
            widest = std::max(widest, std::abs(s - kZeroCount));
    const int k = (widest + kCountsPerMillivolt - 1) / kCountsPerMillivolt;
    return std::min(k, (kDigitalLimit - kZeroCount) / kCountsPerMillivolt);
}

void setHeader(int h, const ExchangeSet& set, const std::vector<size_t>& run, int k) {
    const PatientRecord& p = set.patient;
    edf_set_samplefrequency(h, 0, kSamplesPerSecond);
    edf_set_digital_minimum(h, 0, kZeroCount - k * kCountsPerMillivolt);
    edf_set_digital_maximum(h, 0, kZeroCount + k * kCountsPerMillivolt);
    edf_set_physical_minimum(h, 0, -k);
    edf_set_physical_maximum(h, 0, k);
    edf_set_label(h, 0, "ECG");
    edf_set_physical_dimension(h, 0, "mV");
    edf_set_patientcode(h, p.id.toUtf8().constData());
    edf_set_patientname(h, p.name.toUtf8().constData());
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
    const int low = kZeroCount - k * kCountsPerMillivolt;
    const int high = kZeroCount + k * kCountsPerMillivolt;
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

bool writeAnnotations(int h, const ExchangeSet& set, const std::vector<size_t>& run) {
    bool ok = true;
    long long onset = 0; // from the file's start: the samples written before
    for (size_t i : run) {
        const ExchangeRecording& r = set.recordings[i];
        const QString what =
            QStringLiteral("Recording %1").arg(r.number) +
            (r.description.isEmpty() ? QString() : QStringLiteral(": ") + r.description);
        ok = ok && edfwrite_annotation_utf8(h, onset, -1, what.toUtf8().constData()) == 0;
        if (!r.note.isEmpty())
            ok = ok && edfwrite_annotation_utf8(h, onset, -1,
                                                r.note.simplified().toUtf8().constData()) == 0;
        onset += (long long)(r.samples.size() / kSamplesPerSecond) * kEdfTimeUnitsPerSecond;
    }
    return ok;
}

QString runPath(const QString& path, size_t run) {
    if (run == 0)
        return path;
    const QString suffix = QStringLiteral("-%1").arg(run + 1);
    return path.endsWith(QLatin1String(".edf"), Qt::CaseInsensitive)
               ? path.left(path.size() - 4) + suffix + path.right(4)
               : path + suffix;
}

bool writeRun(const QString& path, const ExchangeSet& set, const std::vector<size_t>& run) {
    const int h =
        edfopen_file_writeonly(QFile::encodeName(path).constData(), EDFLIB_FILETYPE_EDFPLUS, 1);
    if (h < 0)
        return false;
    const int k = millivoltSpan(set, run);
    setHeader(h, set, run, k);
    const bool ok = writeSamples(h, set, run, k) && writeAnnotations(h, set, run);
    return edfclose_file(h) == 0 && ok;
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

EdfExportResult writeEdf(const ExchangeSet& set, const QString& path) {
    EdfExportResult result;
    const auto runs = contiguousRuns(set.recordings);
    for (size_t r = 0; r < runs.size(); ++r) {
        const QString file = runPath(path, r);
        if (!writeRun(file, set, runs[r])) {
            QFile::remove(file);
            result.message = Message{kEdfNotWritten, file};
            return result;
        }
        result.files << file;
    }
    return result;
}

} // namespace vantora
