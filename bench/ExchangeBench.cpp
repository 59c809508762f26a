// Pictures and exports for other tools: the analysis picture composed and
// encoded as PNG (goal: median < 50 ms), and a full Continuous store (5760
// segments, 48 hours that follow each other) read and written as one EDF+
// file (goal < 3 s).
#include "bench/FullContinuousStore.h"
#include "records/BinaryFile.h"
#include "records/EcgGenerator.h"
#include "records/EdfExport.h"
#include "records/ExchangeExport.h"
#include "records/PatientRegistry.h"
#include "records/RecordingStore.h"
#include "render/AnalysisPageModel.h"
#include "render/AnalysisPicture.h"
#include "render/PictureWriters.h"

#include <QDir>
#include <QGuiApplication>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

using namespace vantora;

namespace {

constexpr int kFullContinuousStore = 5760; // 48 h of 30 s segments

AnalysisPictureContent pictureContent(const AnalysisPageModel& page) {
    AnalysisPictureContent c;
    c.patientText = QStringLiteral("B1 Bench");
    c.patientId = QStringLiteral("B1");
    c.recordingTime = QStringLiteral("14/03/2026 09:00");
    c.secondField = QStringLiteral("72");
    c.diagnosis = QStringLiteral("Sinus rhythm, no ST change.");
    c.font = QGuiApplication::font();
    addModelPictures(page, c);
    return c;
}

void BM_PictureComposeAndPng(benchmark::State& state) {
    AnalysisPageModel page(QStringLiteral(BEATSCAN_LIBRARY_FILE));
    page.showRecording(EcgGenerator().nextRecording());
    const AnalysisPictureContent content = pictureContent(page);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("picture.png"));
    for (auto _ : state)
        benchmark::DoNotOptimize(
            savePicture(composeAnalysisPicture(content), path, QStringLiteral("png")).message().id);
}
BENCHMARK(BM_PictureComposeAndPng)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(15)
    ->ReportAggregatesOnly(true);

using bench::FullContinuousStore;

void BM_EdfExportFullContinuousStore(benchmark::State& state) {
    const FullContinuousStore full;
    const QString out = full.dir.filePath(QStringLiteral("all.edf"));
    for (auto _ : state) {
        const auto set =
            readExchangeSet(full.dir.path(), RecordingMode::Continuous, full.patient, -1);
        const Result<QStringList> written = writeEdf(set.value(), out);
        if (set.value().recordings.size() != size_t(kFullContinuousStore) ||
            written.value().size() != 1)
            state.SkipWithError("the store was not exported as one file");
    }
}
BENCHMARK(BM_EdfExportFullContinuousStore)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv); // fonts for the picture's texts
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
