// Sending a recording to the archive as the station does it: the waveform
// and report objects built from the store, put into the outbox and sent by
// C-STORE to a local Orthanc until the outbox is empty again. Target: median
// under 150 ms. Needs the built vantora-cli (for the demo data) and Orthanc.
#include "dicom/DicomNetwork.h"
#include "dicom/EcgObject.h"
#include "dicom/Outbox.h"
#include "support/DicomServers.h"

#include <QGuiApplication>
#include <QProcess>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <cstdio>

using namespace vantora;

namespace {

QTemporaryDir* dataRoot = nullptr;
test::OrthancArchive* archive = nullptr;

void BuildAndSendOneRecordingWithReport(benchmark::State& state) {
    const QString aet = QStringLiteral("VANTORAECG");
    const RecordingKey key{QStringLiteral("1001"), RecordingMode::Snap, 1};
    for (auto _ : state) {
        const auto objects = buildRecordingObjects(dataRoot->path(), key, aet, true);
        if (!objects.ok() || !objects.value().report) {
            state.SkipWithError("the recording's objects were not built");
            return;
        }
        const RecordingObjects& o = objects.value();
        (void)outbox::enqueue(dataRoot->path(), o.waveform.sopInstanceUid, o.waveform.file);
        (void)outbox::enqueue(dataRoot->path(), o.report->sopInstanceUid, o.report->file);
        const auto report = outbox::sendWaiting(dataRoot->path(), aet, archive->node());
        if (report.sent != 2 || report.waiting != 0) {
            state.SkipWithError(report.problem.text().toStdString().c_str());
            return;
        }
    }
}
BENCHMARK(BuildAndSendOneRecordingWithReport)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(10)
    ->Repetitions(5)
    ->ComputeStatistics("max", [](const std::vector<double>& v) {
        return *std::max_element(v.begin(), v.end());
    });

// The parts: building the two objects, and the two C-STOREs over one
// association without the outbox's durable writes.
void BuildObjectsOnly(benchmark::State& state) {
    const RecordingKey key{QStringLiteral("1001"), RecordingMode::Snap, 1};
    for (auto _ : state)
        benchmark::DoNotOptimize(
            buildRecordingObjects(dataRoot->path(), key, QStringLiteral("VANTORAECG"), true));
}
BENCHMARK(BuildObjectsOnly)->Unit(benchmark::kMillisecond)->Iterations(10)->Repetitions(3);

void StoreTwoObjectsOnly(benchmark::State& state) {
    const RecordingKey key{QStringLiteral("1001"), RecordingMode::Snap, 1};
    const auto objects =
        buildRecordingObjects(dataRoot->path(), key, QStringLiteral("VANTORAECG"), true);
    if (!objects.ok() || !objects.value().report) {
        state.SkipWithError("the recording's objects were not built");
        return;
    }
    const std::vector<QByteArray> files{objects.value().waveform.file,
                                        objects.value().report->file};
    for (auto _ : state) {
        const auto sent = storeObjects(QStringLiteral("VANTORAECG"), archive->node(), 2,
                                       [&](int i) { return files[size_t(i)]; });
        if (!sent.ok() || sent.value().stored != 2) {
            state.SkipWithError("not stored");
            return;
        }
    }
}
BENCHMARK(StoreTwoObjectsOnly)->Unit(benchmark::kMillisecond)->Iterations(10)->Repetitions(3);

} // namespace

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv); // fonts for the report
    QTemporaryDir root;
    test::OrthancArchive orthanc;
    if (!orthanc.installed() || !orthanc.start()) {
        std::fprintf(stderr, "no archive: %s\n", qPrintable(orthanc.error()));
        return 1;
    }
    QProcess demo;
    demo.start(QStringLiteral(VANTORA_BIN_DIR "/vantora-cli"),
               {QStringLiteral("demo"), QStringLiteral("--data"), root.path()});
    if (!demo.waitForFinished(120000) || demo.exitCode() != 0) {
        std::fprintf(stderr, "vantora-cli demo failed\n");
        return 1;
    }
    dataRoot = &root;
    archive = &orthanc;
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
