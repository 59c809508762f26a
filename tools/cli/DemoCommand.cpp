// vantora-cli demo --data DIR: a data folder with a few patients and recordings
// of both kinds from the ECG generator. The same folder results on every run.
#include "core/StringIds.h"
#include "records/EcgGenerator.h"
#include "records/PatientIdMap.h"
#include "records/PatientRegistry.h"
#include "records/RecordingStore.h"
#include "tools/cli/CliContext.h"
#include "tools/cli/StoreOptions.h"

#include <QDate>
#include <QJsonObject>

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

int addContinuous(const QString& root, const QString& id, const std::vector<DemoRecording>& list,
                  int day) {
    const RecordingStore store(root, RecordingMode::Continuous, id);
    int minute = 30;
    for (const DemoRecording& r : list) {
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
        check(store.appendContinuous(packets, demoTime(day, 14, minute += 1)));
    }
    return int(list.size());
}

} // namespace

int runDemo(CliContext& ctx) {
    ctx.finish();
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
