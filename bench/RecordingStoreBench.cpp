// Recording store at capacity: listing 5760 entries (goal < 10 ms), reading a
// page of 15 (goal < 5 ms), appending a continuous segment, decoding a Snap
// recording, and a chart of 5760 recordings exported and imported again.
#include "core/Prompter.h"
#include "records/BinaryFile.h"
#include "records/ChartFile.h"
#include "records/DataFolderLock.h"
#include "records/EcgGenerator.h"
#include "records/PatientRegistry.h"
#include "records/RecordingStore.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

using namespace vantora;

namespace {

const QString kId = QStringLiteral("B1");

struct FullStore {
    QTemporaryDir dir;
    int position = 0;
    // Filled without syncing: the filling is not what is measured.
    FullStore(RecordingMode mode, int count) {
        BinaryFile::setSyncing(false);
        QDir(dir.path()).mkpath(QStringLiteral("SnapData"));
        QDir(dir.path()).mkpath(QStringLiteral("ContinueData"));
        PatientRecord patient;
        patient.id = kId;
        patient.name = QStringLiteral("Bench");
        position = PatientRegistry(dir.path()).appendRecord(patient).value().position;
        if (mode == RecordingMode::Snap)
            fillSnap(count);
        BinaryFile::setSyncing(true);
    }
    void fillSnap(int count) const {
        EcgGenerator generator;
        SnapRecording r;
        r.header.startTime = {2026, 12, 0, 8, 1, 2, 3, 0};
        r.header.recordingType = 3;
        r.header.heartRate = 72;
        r.blocks = generator.nextSnapBlocks();
        std::vector<SnapRecording> all(size_t(count), r);
        RecordingStore(dir.path(), RecordingMode::Snap, kId).appendSnap(all);
    }
    RecordingStore store(RecordingMode mode) const { return RecordingStore(dir.path(), mode, kId); }
};

void BM_ListIndex5760(benchmark::State& state) {
    const FullStore full(RecordingMode::Snap, kStoreCapacity);
    const RecordingStore store = full.store(RecordingMode::Snap);
    for (auto _ : state)
        benchmark::DoNotOptimize(store.listIndex().recordings.size());
}
BENCHMARK(BM_ListIndex5760)->Unit(benchmark::kMillisecond);

void BM_ReadPageOf15(benchmark::State& state) {
    const FullStore full(RecordingMode::Snap, kStoreCapacity);
    const RecordingStore store = full.store(RecordingMode::Snap);
    int page = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(store.readPage(page).recordings.size());
        page = (page + 37) % (kStoreCapacity / kRecordingsPerPage);
    }
}
BENCHMARK(BM_ReadPageOf15)->Unit(benchmark::kMillisecond);

// Appends one recording per iteration; a full store is emptied untimed.
// Syncing is switched back on afterwards.
template <class Append>
void appendUntilFull(benchmark::State& state, const RecordingStore& store, Append append) {
    int count = 0;
    for (auto _ : state) {
        if (++count == kStoreCapacity) {
            state.PauseTiming();
            (void)store.removeAll();
            count = 1;
            state.ResumeTiming();
        }
        benchmark::DoNotOptimize(append());
    }
    BinaryFile::setSyncing(true);
}

// Argument 1: durable (record and entry synced before each count, four
// fdatasync calls); 0: flushed only, to show what durability costs.
void BM_AppendContinuousSegment(benchmark::State& state) {
    const FullStore full(RecordingMode::Continuous, 0);
    BinaryFile::setSyncing(state.range(0) != 0);
    const RecordingStore store = full.store(RecordingMode::Continuous);
    const auto samples = EcgGenerator().nextRecording();
    std::vector<AcqPacket> packets(kPacketsPerSegment);
    for (size_t i = 0; i < packets.size(); ++i) {
        packets[i].heartRate = 72;
        for (int s = 0; s < kAcqSamplesPerPacket; ++s)
            packets[i].samples[s] = samples[i * kAcqSamplesPerPacket + size_t(s)];
    }
    const SystemTime stamp{2026, 12, 2, 8, 1, 2, 3, 0};
    appendUntilFull(state, store,
                    [&] { return store.appendContinuous(packets, stamp).message().id; });
}
BENCHMARK(BM_AppendContinuousSegment)->Arg(1)->Arg(0)->Unit(benchmark::kMicrosecond);

// The data-folder lock every read and write takes: one take and release,
// exclusive (argument 1) or shared (0): all that it adds to an operation.
void BM_DataFolderLock(benchmark::State& state) {
    const FullStore full(RecordingMode::Snap, 0);
    const auto kind =
        state.range(0) ? DataFolderLock::Kind::Exclusive : DataFolderLock::Kind::Shared;
    for (auto _ : state)
        benchmark::DoNotOptimize(DataFolderLock::take(full.dir.path(), kind).held());
}
BENCHMARK(BM_DataFolderLock)->Arg(1)->Arg(0)->Unit(benchmark::kMicrosecond);

// One Snap recording appended, durable (argument 1) or flushed only (0).
void BM_AppendSnapRecording(benchmark::State& state) {
    const FullStore full(RecordingMode::Snap, 0);
    BinaryFile::setSyncing(state.range(0) != 0);
    const RecordingStore store = full.store(RecordingMode::Snap);
    SnapRecording r;
    r.header.startTime = {2026, 12, 0, 8, 1, 2, 3, 0};
    r.blocks = EcgGenerator().nextSnapBlocks();
    appendUntilFull(state, store, [&] { return store.appendSnap({&r, 1}).saved; });
}
BENCHMARK(BM_AppendSnapRecording)->Arg(1)->Arg(0)->Unit(benchmark::kMicrosecond);

void BM_DecodeSnapRecording(benchmark::State& state) {
    const SnapBlocks blocks = EcgGenerator().nextSnapBlocks();
    std::vector<uint8_t> bytes;
    for (const SampleBlock& b : blocks)
        bytes.insert(bytes.end(), b.bytes.begin(), b.bytes.end());
    const std::span<const uint8_t, kSnapBlockBytes> data(bytes.data(), kSnapBlockBytes);
    for (auto _ : state)
        benchmark::DoNotOptimize(decodeSnapData(data).back());
}
BENCHMARK(BM_DecodeSnapRecording)->Unit(benchmark::kMicrosecond);

void BM_ReadSnapRecordingSamples(benchmark::State& state) {
    const FullStore full(RecordingMode::Snap, kStoreCapacity);
    const RecordingStore store = full.store(RecordingMode::Snap);
    int k = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(store.readSamples(k).value().size());
        k = (k + 977) % kStoreCapacity;
    }
}
BENCHMARK(BM_ReadSnapRecordingSamples)->Unit(benchmark::kMicrosecond);

// One iteration exports all 5760 Snap recordings (emptying the store) and
// imports the chart back.
void BM_ExportImportChart5760(benchmark::State& state) {
    const FullStore full(RecordingMode::Snap, kStoreCapacity);
    BinaryFile::setSyncing(state.range(0) != 0);
    const ChartFile charts(full.dir.path(), RecordingMode::Snap);
    const QString chart = full.dir.filePath(QStringLiteral("all.cEcg"));
    FixedPrompter yes(true);
    for (auto _ : state) {
        const auto out = charts.exportRecordings(full.position, -1, chart, yes);
        const auto in = charts.importChart(chart, yes, false);
        if (out.exported != kStoreCapacity || in.imported != kStoreCapacity)
            state.SkipWithError("export or import failed");
    }
    BinaryFile::setSyncing(true);
}
BENCHMARK(BM_ExportImportChart5760)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond)->Iterations(5);

} // namespace

BENCHMARK_MAIN();
