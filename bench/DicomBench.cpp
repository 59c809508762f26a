// The hospital link's costs. Export: a patient's full 48-hour Continuous
// store (5760 recordings) made into ECG waveform objects, each with the
// analysis page's run for its six results (goal < 5 s).
#include "dicom/EcgObject.h"
#include "records/BinaryFile.h"
#include "records/EcgGenerator.h"
#include "records/PatientRegistry.h"
#include "records/RecordingStore.h"

#include <QDir>
#include <QGuiApplication>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <numeric>

using namespace vantora;

namespace {

struct FullContinuousStore {
    QTemporaryDir dir;
    PatientRecord patient;
    FullContinuousStore() {
        BinaryFile::setSyncing(false); // the filling is not what is measured
        QDir(dir.path()).mkpath(QStringLiteral("ContinueData"));
        QDir(dir.path()).mkpath(QStringLiteral("SnapData"));
        patient.id = QStringLiteral("B1");
        patient.name = QStringLiteral("Bench");
        (void)PatientRegistry(dir.path()).appendRecord(patient);
        EcgGenerator generator;
        const RecordingStore store(dir.path(), RecordingMode::Continuous, patient.id);
        QDateTime end(QDate(2026, 3, 14), QTime(0, 0, 30));
        for (int k = 0; k < kStoreCapacity; ++k, end = end.addSecs(30)) {
            std::vector<AcqPacket> packets(kPacketsPerSegment);
            const std::vector<int32_t> samples = generator.nextRecording();
            for (size_t i = 0; i < samples.size(); ++i)
                packets[i / kAcqSamplesPerPacket].samples[i % kAcqSamplesPerPacket] = samples[i];
            (void)store.appendContinuous(packets, SystemTime::fromDateTime(end));
        }
        BinaryFile::setSyncing(true);
    }
};

void BM_ExportFullContinuousStore(benchmark::State& state) {
    const FullContinuousStore full;
    std::vector<int> all(kStoreCapacity);
    std::iota(all.begin(), all.end(), 1);
    qint64 bytes = 0;
    for (auto _ : state) {
        int made = 0;
        const Result<> done =
            buildStoreObjects(full.dir.path(), full.patient.id, RecordingMode::Continuous, all,
                              "BENCH", false, [&](int, RecordingObjects&& objects) {
                                  bytes += objects.waveform.file.size();
                                  return ++made > 0;
                              });
        if (!done || made != kStoreCapacity)
            state.SkipWithError("the store was not exported whole");
    }
    state.counters["MB"] = benchmark::Counter(double(bytes) / 1e6 / double(state.iterations()));
}
BENCHMARK(BM_ExportFullContinuousStore)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv); // the analysis library is found beside the program
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
