// The analysis page's road from selecting a recording to results and rows
// drawn: read and decode the Snap recording, analyse it with the library
// loaded and unloaded by file name, build the strip points, render the three
// rows and the averaged-beat panel. Goal: median under 8 ms. Run with
// --benchmark_repetitions=10 for the median.
#include "records/EcgGenerator.h"
#include "records/PatientRegistry.h"
#include "records/RecordingStore.h"
#include "render/AnalysisPageModel.h"
#include "render/AveragedBeatPanel.h"
#include "render/StripGeometry.h"
#include "render/StripPointBuilder.h"
#include "render/StripRowRenderer.h"

#include <QDir>
#include <QGuiApplication>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <cstdio>

using namespace vantora;

namespace {

const QString kLibrary = QStringLiteral(BEATSCAN_LIBRARY_FILE);
const QString kPatient = QStringLiteral("1001");

// A data folder with one patient and one Snap recording from the generator.
class Fixture {
public:
    Fixture() {
        QDir(dir_.path()).mkpath(QStringLiteral("SnapData"));
        PatientRecord patient;
        patient.id = kPatient;
        patient.name = QStringLiteral("Bench");
        (void)PatientRegistry(dir_.path()).appendRecord(patient);
        SnapRecording r;
        r.header.startTime = SystemTime::now().fields();
        r.header.recordingType = 3;
        r.header.heartRate = 72;
        EcgParameters p;
        p.noiseMv = 0.02;
        p.irregularity = 0.1;
        r.blocks = EcgGenerator(p).nextSnapBlocks();
        const std::vector<SnapRecording> one{r};
        saved_ = store().appendSnap(one).saved;
    }
    RecordingStore store() const {
        return RecordingStore(dir_.path(), RecordingMode::Snap, kPatient);
    }

    bool ready() const { return saved_ == 1; }

private:
    QTemporaryDir dir_;
    int saved_ = 0;
};

Fixture& fixture() {
    static Fixture f;
    return f;
}

// What the page's windows draw: the three rows and the panel with the beat.
void renderAll(const AnalysisPageModel& page, AveragedBeatPanel& panel) {
    for (int r = 0; r < strip::kRowCount; ++r)
        benchmark::DoNotOptimize(renderAnalysisRow(r, AnalysisPageModel::rowSize(), page.gain(),
                                                   page.points(), page.firstCursor(),
                                                   page.secondCursor()));
    panel.setData(page.run().beat(), page.run().parameters());
    benchmark::DoNotOptimize(panel.picture(QSize(265, 210)).constBits());
}

void BM_SelectRecordingToRowsDrawn(benchmark::State& state) {
    const RecordingStore store = fixture().store();
    AnalysisPageModel page(kLibrary);
    AveragedBeatPanel panel;
    for (auto _ : state) {
        const auto read = store.readSamples(0);
        page.showRecording(read.value());
        renderAll(page, panel);
    }
    if (!page.analysisValid())
        state.SkipWithError("the analysis found no beat");
}
BENCHMARK(BM_SelectRecordingToRowsDrawn)->Unit(benchmark::kMillisecond);

void BM_ReadAndDecode(benchmark::State& state) {
    const RecordingStore store = fixture().store();
    for (auto _ : state)
        benchmark::DoNotOptimize(store.readSamples(0).value().data());
}
BENCHMARK(BM_ReadAndDecode)->Unit(benchmark::kMillisecond);

void BM_AnalysisRunWithLoadAndUnload(benchmark::State& state) {
    const auto samples = fixture().store().readSamples(0).value();
    AnalysisRun run(kLibrary);
    for (auto _ : state)
        benchmark::DoNotOptimize(run.run(samples, 0, 7499));
}
BENCHMARK(BM_AnalysisRunWithLoadAndUnload)->Unit(benchmark::kMillisecond);

void BM_BuildStripPoints(benchmark::State& state) {
    const auto samples = fixture().store().readSamples(0).value();
    StripRows rows;
    rows.fill(StripRow{0, strip::kAnalysisRowHeight});
    for (auto _ : state)
        benchmark::DoNotOptimize(buildStripPoints(samples, rows, 1).points.data());
}
BENCHMARK(BM_BuildStripPoints)->Unit(benchmark::kMicrosecond);

void BM_RenderRowsAndPanel(benchmark::State& state) {
    AnalysisPageModel page(kLibrary);
    page.showRecording(fixture().store().readSamples(0).value());
    AveragedBeatPanel panel;
    for (auto _ : state)
        renderAll(page, panel);
}
BENCHMARK(BM_RenderRowsAndPanel)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv); // fonts for the gain labels
    if (!fixture().ready()) {
        std::fprintf(stderr, "AnalysisBench: the bench recording could not be stored\n");
        return 1;
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
