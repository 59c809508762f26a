// The record management page: selecting a patient with a full store (5760
// Snap recordings) to its recording list read and the first recording's
// preview drawn in three rows, in the model and on the page itself (list
// widget filled, preview rendered). Goal: median under 50 ms. Run with
// --benchmark_repetitions=10 for the median.
#include "core/AppState.h"
#include "core/Langpack.h"
#include "records/EcgGenerator.h"
#include "records/PatientRegistry.h"
#include "records/RecordingStore.h"
#include "records/RecordsPageModel.h"
#include "render/RecordRows.h"
#include "ui/frame/MainFrame.h"
#include "ui/frame/PageIds.h"
#include "ui/pages/RecordsPage.h"
#include "ui/widgets/RecordPreview.h"

#include <QApplication>
#include <QDir>
#include <QTemporaryDir>
#include <QTreeView>

#include <benchmark/benchmark.h>

#include <cstdio>

using namespace vantora;

namespace {

// A data folder with a patient without recordings (row 0) and one whose Snap
// store is full (row 1): one generated recording stored 5760 times, a minute apart.
class Fixture {
public:
    Fixture() {
        QDir(dir_.path()).mkpath(QStringLiteral("SnapData"));
        for (const char* id : {"1", "2"}) {
            PatientRecord patient;
            patient.id = QString::fromLatin1(id);
            patient.name = QStringLiteral("Bench");
            (void)PatientRegistry(dir_.path()).appendRecord(patient);
        }
        EcgParameters p;
        p.noiseMv = 0.02;
        SnapRecording r;
        r.header.recordingType = 3;
        r.header.heartRate = 72;
        r.blocks = EcgGenerator(p).nextSnapBlocks();
        std::vector<SnapRecording> all(kStoreCapacity, r);
        const QDateTime start(QDate(2026, 1, 1), QTime(0, 0));
        for (int i = 0; i < kStoreCapacity; ++i)
            all[size_t(i)].header.startTime =
                SystemTime::fromDateTime(start.addSecs(60 * i)).fields();
        saved_ = RecordingStore(dir_.path(), RecordingMode::Snap, QStringLiteral("2"))
                     .appendSnap(all)
                     .saved;
    }
    QString root() const { return dir_.path(); }
    bool ready() const { return saved_ == kStoreCapacity; }

private:
    QTemporaryDir dir_;
    int saved_ = 0;
};

Fixture& fixture() {
    static Fixture f;
    return f;
}

void BM_SelectFullPatientToListAndPreview(benchmark::State& state) {
    RecordsPageModel page(fixture().root(), RecordingMode::Snap);
    page.patients().load();
    for (auto _ : state) {
        page.selectPatient(1);
        const RecordRowImages rows = renderRecordRows(page.previewSamples(), page.mode(), 1);
        benchmark::DoNotOptimize(rows[2].constBits());
        state.PauseTiming();
        page.selectPatient(0);
        state.ResumeTiming();
    }
    page.selectPatient(1);
    if (page.recordings().size() != size_t(kStoreCapacity) || page.previewSamples().empty())
        state.SkipWithError("the full store was not listed");
}
BENCHMARK(BM_SelectFullPatientToListAndPreview)->Unit(benchmark::kMillisecond);

void BM_ListFullIndex(benchmark::State& state) {
    const RecordingStore store(fixture().root(), RecordingMode::Snap, QStringLiteral("2"));
    for (auto _ : state)
        benchmark::DoNotOptimize(store.listIndex().recordings.data());
}
BENCHMARK(BM_ListFullIndex)->Unit(benchmark::kMillisecond);

void BM_RenderPreviewRows(benchmark::State& state) {
    const auto samples = RecordingStore(fixture().root(), RecordingMode::Snap, QStringLiteral("2"))
                             .readSamples(0)
                             .value();
    for (auto _ : state)
        benchmark::DoNotOptimize(renderRecordRows(samples, RecordingMode::Snap, 1)[2].constBits());
}
BENCHMARK(BM_RenderPreviewRows)->Unit(benchmark::kMillisecond);

// The page as the user drives it: the patient row clicked, the recording rows
// filled, the first recording shown.
void BM_PageSelectFullPatient(benchmark::State& state) {
    AppState app;
    app.dataRoot = fixture().root();
    app.recordingMode = RecordingMode::Snap;
    PageRegistry pages;
    pages.add(page::kRecordManagement, [](PageHost& f) { return new RecordsPage(f); });
    MainFrame frame(app, pages);
    frame.OnCreate();
    auto* page = static_cast<RecordsPage*>(frame.ShowPage(page::kRecordManagement));
    QTreeView* patients = page->patientList();
    for (auto _ : state) {
        patients->setCurrentIndex(patients->model()->index(1, 0));
        benchmark::DoNotOptimize(page->preview()->rows()[2].constBits());
        state.PauseTiming();
        patients->setCurrentIndex(patients->model()->index(0, 0));
        state.ResumeTiming();
    }
    patients->setCurrentIndex(patients->model()->index(1, 0));
    if (page->recordingList()->model()->rowCount() != kStoreCapacity)
        state.SkipWithError("the page did not list the full store");
}
BENCHMARK(BM_PageSelectFullPatient)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    if (!Langpack::loadBesideExecutable()) {
        std::fprintf(stderr, "RecordsPageBench: langpack.rcc not found beside the program\n");
        return 1;
    }
    if (!fixture().ready()) {
        std::fprintf(stderr, "RecordsPageBench: the full store could not be written\n");
        return 1;
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
