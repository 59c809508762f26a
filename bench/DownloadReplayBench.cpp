// The download and replay pages' own work. Replay: a page of 15 recordings
// read, decoded and drawn to thumbnails (goal < 30 ms median) plus the large
// trace of the selection. Download: the page's cost per received block (the
// model's bookkeeping, the decode and the block's trace points).
#include "device/DownloadPageModel.h"
#include "records/EcgGenerator.h"
#include "records/PatientRegistry.h"
#include "records/ReplayPageModel.h"
#include "render/DetailReduction.h"
#include "render/DownloadPointList.h"
#include "render/ReplayRowImage.h"
#include "render/StripPointBuilder.h"

#include <QDir>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

using namespace vantora;

namespace {

const QString kId = QStringLiteral("B1");
constexpr int kThumbnailWidth = 236; // as the replay page draws them
constexpr int kTraceColumns = 750;
constexpr int kDownloadTraceWidth = 300;

struct ReplayStore {
    QTemporaryDir dir;
    explicit ReplayStore(int count) {
        QDir(dir.path()).mkpath(QStringLiteral("SnapData"));
        PatientRecord patient;
        patient.id = kId;
        patient.name = QStringLiteral("Bench");
        (void)PatientRegistry(dir.path()).appendRecord(patient);
        EcgGenerator generator;
        std::vector<SnapRecording> all;
        for (int i = 0; i < count; ++i) {
            SnapRecording r;
            r.header.startTime = {2026, 12, 0, 8, 1, 2, 3, 0};
            r.header.recordingType = 3;
            r.header.heartRate = 72;
            r.blocks = generator.nextSnapBlocks();
            all.push_back(r);
        }
        RecordingStore(dir.path(), RecordingMode::Snap, kId).appendSnap(all);
    }
};

void BM_ReplayPageOf15ToThumbnails(benchmark::State& state) {
    const ReplayStore store(30);
    ReplayPageModel model(store.dir.path());
    model.showPatient(RecordingMode::Snap, kId);
    if (model.thumbnails().size() != size_t(kRecordingsPerPage)) {
        state.SkipWithError("the store was not written");
        return;
    }
    int page = 0;
    for (auto _ : state) {
        model.loadPage(page);
        page = 1 - page;
        for (const ReplayThumbnail& t : model.thumbnails()) {
            const QImage image = ReplayRowImage::render(
                kThumbnailWidth, buildReplayRowPoints(t.samples, 0, kThumbnailWidth));
            benchmark::DoNotOptimize(image.constBits());
        }
        const auto trace =
            DetailReduction::compute(model.selectedThumbnail()->samples, kTraceColumns + 15)
                .stretch(kTraceColumns + 15, 0, kThumbnailWidth);
        benchmark::DoNotOptimize(trace.data());
    }
}
BENCHMARK(BM_ReplayPageOf15ToThumbnails)->Unit(benchmark::kMillisecond);

void BM_DownloadBlockOnThePage(benchmark::State& state) {
    EcgGenerator generator;
    const SnapBlocks blocks = generator.nextSnapBlocks();
    DownloadPageModel model;
    DownloadPointList points;
    DeviceRecordHeader header;
    header.count = 255;
    int entry = 0;
    int block = 0;
    model.reset();
    for (auto _ : state) {
        if (block == 0) {
            header.index = uint16_t(entry);
            model.recordHeader(entry, header);
        }
        const BlockTag tag{entry, entry + 1, block};
        const SampleBlock& b = blocks[size_t(block)];
        benchmark::DoNotOptimize(model.dataBlock(tag, b));
        const auto samples = b.decode();
        points.addBlock(entry, block, samples, 0, kDownloadTraceWidth);
        if (++block == kBlocksPerRecording) {
            model.recordEnd(entry, entry + 1);
            block = 0;
            entry = (entry + 1) % 255;
            if (entry == 0) {
                state.PauseTiming();
                model.reset();
                points.clear();
                state.ResumeTiming();
            }
        }
    }
}
BENCHMARK(BM_DownloadBlockOnThePage)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
