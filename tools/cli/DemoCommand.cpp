// vantora-cli demo --data DIR: a data folder with a few patients and recordings
// of both kinds from the ECG generator. The same folder results on every run.
// Patient 1002's Continuous store goes on for --trend-hours (default 3) with
// a rhythm change and an ST episode, for the trend page.
#include "core/StringIds.h"
#include "records/BinaryFile.h"
#include "records/EcgGenerator.h"
#include "records/PatientIdMap.h"
#include "records/PatientRegistry.h"
#include "records/RecordingStore.h"
#include "tools/cli/CliContext.h"
#include "tools/cli/StoreOptions.h"

#include <QDate>
#include <QJsonObject>

#include <cmath>
#include <numbers>
#include <vector>

namespace vantora::cli {

namespace {

struct DemoRecording {
    EcgParameters shape;
    int32_t recorderType; // Snap only
    int32_t rhythmCode;   // Continuous only: event code of the middle packets
};

struct DemoPatient {
    PatientFields fields;
    std::vector<DemoRecording> snap;
    std::vector<DemoRecording> continuous;
};

EcgParameters shape(double rate, uint64_t seed) {
    EcgParameters p;
    p.heartRateBpm = rate;
    p.seed = seed;
    p.noiseMv = 0.01;
    p.wanderMv = 0.05;
    return p;
}

std::vector<DemoPatient> demoPatients() {
    EcgParameters irregular = shape(96, 31);
    irregular.irregularity = 0.3;
    irregular.pAmplitudeMv = 0.0;
    EcgParameters inverted = shape(64, 32);
    inverted.invertedT = true;
    EcgParameters fast = shape(118, 33);
    fast.qrsAmplitudeMv = 1.6;
    return {
        {{QStringLiteral("1001"),
          QStringLiteral("Anna Berg"),
          1,
          QString(),
          QStringLiteral("168"),
          QStringLiteral("61.5"),
          QStringLiteral("030 5550 1001"),
          QStringLiteral("Lindenstrasse 12, Berlin"),
          QStringLiteral("Palpitations"),
          {}},
         {{shape(72, 11), 3, 0}, {fast, 84, 0}, {irregular, 9, 0}},
         {{shape(70, 12), 0, 0}, {irregular, 0, 5}}},
        {{QStringLiteral("1002"),
          QStringLiteral("Jonas Weber"),
          0,
          QString(),
          QStringLiteral("181"),
          QStringLiteral("84"),
          QStringLiteral("040 5550 1002"),
          QStringLiteral("Hafenweg 3, Hamburg"),
          QStringLiteral("Chest pain at rest"),
          {}},
         {{inverted, 4, 0}, {shape(58, 21), 20, 0}},
         {{shape(76, 22), 0, 2}}},
        {{QStringLiteral("1003"),
          QStringLiteral("Mara Costa"),
          1,
          QString(),
          QStringLiteral("159"),
          QStringLiteral("55.2"),
          {},
          {},
          {},
          {}},
         {{shape(88, 41), 6, 0}},
         {}},
    };
}

// The patient whose Continuous store spans hours, for the trend page.
const QString kTrendPatient = QStringLiteral("1002");
constexpr int kDemoTrendHours = 3;

SystemTime demoTime(int day, int hour, int minute) {
    const QDateTime t(QDate(2026, 11, day), QTime(hour, minute));
    SystemTime s = SystemTime::fromDateTime(t);
    s.milliseconds = 0;
    return s;
}

int addSnap(const QString& root, const QString& id, const std::vector<DemoRecording>& list,
            int day) {
    std::vector<SnapRecording> recordings;
    int minute = 0;
    for (const DemoRecording& r : list) {
        SnapRecording rec;
        rec.header.startTime = demoTime(day, 9, minute += 7).fields();
        rec.header.startTime[2] = 0; // the recorder reports no day of week
        rec.header.recordingType = r.recorderType;
        rec.header.heartRate = uint16_t(r.shape.heartRateBpm);
        rec.blocks = EcgGenerator(r.shape).nextSnapBlocks();
        recordings.push_back(rec);
    }
    const SnapAppendResult result =
        RecordingStore(root, RecordingMode::Snap, id).appendSnap(recordings);
    failOnMessage(result.message);
    return result.saved;
}

// The recorder's packets of one segment: the rate as it reports it, and the
// rhythm code in the middle packets.
std::vector<AcqPacket> segmentPackets(const DemoRecording& r) {
    const auto samples = EcgGenerator(r.shape).nextRecording();
    std::vector<AcqPacket> packets(kPacketsPerSegment);
    for (int i = 0; i < kPacketsPerSegment; ++i) {
        AcqPacket& p = packets[size_t(i)];
        p.valid = 1;
        p.heartRate = int32_t(r.shape.heartRateBpm) + (i % 3) - 1;
        p.rhythmCode = (i > 900 && i < 1000) ? r.rhythmCode : 0;
        for (int s = 0; s < kAcqSamplesPerPacket; ++s)
            p.samples[s] = samples[size_t(i * kAcqSamplesPerPacket + s)];
    }
    return packets;
}

int addContinuous(const QString& root, const QString& id, const std::vector<DemoRecording>& list,
                  int day) {
    const RecordingStore store(root, RecordingMode::Continuous, id);
    int minute = 30;
    for (const DemoRecording& r : list)
        check(store.appendContinuous(segmentPackets(r), demoTime(day, 14, minute += 1)));
    return int(list.size());
}

// Segment k of the long Continuous recording: a sinus rhythm whose rate
// drifts, with a spell of irregular fast rhythm and an ST depression during
// a faster rate, repeated every three hours.
DemoRecording longSegment(int k) {
    constexpr int kCycle = 360; // three hours of 30 s segments
    const int at = k % kCycle;
    const double drift = 4.0 * std::sin(2.0 * std::numbers::pi * k / 50.0);
    EcgParameters p = shape(std::round(10.0 * (74.0 + drift)) / 10.0, 1000 + uint64_t(k));
    int32_t rhythm = 0;
    if (at >= 100 && at < 140) { // 20 min of irregular fast rhythm without P waves
        p.heartRateBpm = 112.0 + drift;
        p.irregularity = 0.3;
        p.pAmplitudeMv = 0.0;
        rhythm = 4;                     // irregular rhythm
    } else if (at >= 200 && at < 240) { // 20 min of ST depression, rate up
        p.heartRateBpm = 96.0 + drift;
        p.stShiftMv = -0.3;
    }
    return {p, 0, rhythm};
}

// The long recording of the trend page, following the short ones of `day`.
int addLongContinuous(const QString& root, const QString& id, int day, int hours) {
    const RecordingStore store(root, RecordingMode::Continuous, id);
    const int segments = std::min(hours * 3600 / kSecondsPerRecording, kStoreCapacity);
    QDateTime end(QDate(2026, 11, day), QTime(15, 0));
    // A sync per segment would make hours of them take seconds; the store is
    // synced once when complete (a demo cut short is made again).
    BinaryFile::setSyncing(false);
    for (int k = 0; k < segments; ++k) {
        end = end.addSecs(kSecondsPerRecording);
        const auto appended =
            store.appendContinuous(segmentPackets(longSegment(k)), SystemTime::fromDateTime(end));
        if (!appended.ok())
            BinaryFile::setSyncing(true);
        check(appended);
    }
    BinaryFile::setSyncing(true);
    for (const QString& path : {store.dataPath(), store.indexPath()}) {
        BinaryFile file;
        if (!file.open(path, BinaryFile::Mode::ReadWrite) || !file.sync())
            throw CommandFailure{{ids::kFileNotWritten, path}};
    }
    return segments;
}

} // namespace

int runDemo(CliContext& ctx) {
    const int trendHours = ctx.takeIntOption("trend-hours").value_or(kDemoTrendHours);
    ctx.finish();
    if (trendHours < 0 || trendHours > kStoreCapacity * kSecondsPerRecording / 3600)
        throw UsageError("demo: --trend-hours is from 0 to 48");
    const QString root = ctx.dataRoot;
    if (!ctx.dataReady)
        throw CommandFailure{{ids::kCannotOpen, root}};
    const PatientRegistry registry(root);
    const auto existing = registry.count();
    failOnMessage(existing.message());
    if (existing.value() > 0)
        throw CommandFailure{{ids::kDemoFolderInUse, root}};
    PatientIdMap ids;
    int snap = 0;
    int continuous = 0;
    int day = 2;
    int patients = 0;
    for (DemoPatient& p : demoPatients()) {
        p.fields.date = formatPatientDate(QDate(1950 + day * 7, day, 10 + day));
        valueOf(registry.add(p.fields, ids, true));
        snap += addSnap(root, p.fields.id, p.snap, day);
        continuous += addContinuous(root, p.fields.id, p.continuous, day);
        if (p.fields.id == kTrendPatient)
            continuous += addLongContinuous(root, p.fields.id, day, trendHours);
        day += 3;
        ++patients;
    }
    if (ctx.json)
        ctx.printJson(QJsonObject{
            {"data", root}, {"patients", patients}, {"snap", snap}, {"continuous", continuous}});
    else
        ctx.printLine(QStringLiteral("demo data in %1: %2 patients, %3 Snap and %4 continuous "
                                     "recordings")
                          .arg(root)
                          .arg(patients)
                          .arg(snap)
                          .arg(continuous));
    return 0;
}

} // namespace vantora::cli
