// The trend of a full 48-hour Continuous store (5760 recordings): the way
// before the trend (the analysis page's run, library loaded and unloaded per
// recording), the batch without a cache on one and on two threads, and the
// load from a settled cache. Goals: cold on two cores under 0.5 s with the
// drawing (the drawing is the trend page's), cached under 50 ms, memory for
// the whole trend under 20 MB (the heap's peak growth during a cold load,
// and the series itself). Run with --benchmark_repetitions=5 for medians.
#include "analysis/AnalysisRun.h"
#include "analysis/TrendBatch.h"
#include "core/DataPaths.h"
#include "records/BinaryFile.h"
#include "records/EcgGenerator.h"
#include "records/RecordingStore.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <malloc.h>
#include <thread>

using namespace vantora;

namespace {

const QString kPatient = QStringLiteral("B1");
constexpr int kDistinctSegments = 97; // generated once, then repeated with their own times

// A data folder with a full Continuous store, filled once for all benchmarks.
class FullStore {
public:
    FullStore() {
        QDir(dir_.path()).mkpath(QStringLiteral("ContinueData"));
        std::vector<std::vector<AcqPacket>> segments;
        for (int k = 0; k < kDistinctSegments; ++k) {
            EcgParameters p;
            p.seed = uint64_t(k + 1);
            p.noiseMv = 0.02;
            p.wanderMv = 0.05;
            p.heartRateBpm = 55.0 + (k * 7) % 70;
            p.irregularity = k % 5 == 0 ? 0.25 : 0.0;
            p.stShiftMv = k % 7 == 3 ? -0.15 : 0.0;
            segments.push_back(packetsOf(EcgGenerator(p).nextRecording()));
        }
        BinaryFile::setSyncing(false);
        QDateTime end(QDate(2026, 11, 2), QTime(8, 0));
        for (int k = 0; k < kStoreCapacity; ++k) {
            end = end.addSecs(kSecondsPerRecording);
            ok_ = ok_ && store()
                             .appendContinuous(segments[size_t(k % kDistinctSegments)],
                                               SystemTime::fromDateTime(end))
                             .ok();
        }
        BinaryFile::setSyncing(true);
    }
    QString root() const { return dir_.path(); }
    RecordingStore store() const {
        return RecordingStore(dir_.path(), RecordingMode::Continuous, kPatient);
    }
    QString cache() const { return paths::continueTrendCache(dir_.path(), kPatient); }
    bool ok() const { return ok_; }

private:
    static std::vector<AcqPacket> packetsOf(const std::vector<int32_t>& samples) {
        std::vector<AcqPacket> packets(kPacketsPerSegment);
        for (size_t i = 0; i < packets.size(); ++i) {
            packets[i].valid = 1;
            packets[i].heartRate = 70;
            for (int s = 0; s < kAcqSamplesPerPacket; ++s)
                packets[i].samples[s] = samples[i * kAcqSamplesPerPacket + size_t(s)];
        }
        return packets;
    }
    QTemporaryDir dir_;
    bool ok_ = true;
};

FullStore& fullStore() {
    static FullStore store;
    return store;
}

// Before the trend: every recording read and run as the analysis page (and
// analyse --all) does, the library loaded and unloaded by file name each time.
void BM_PageRunPerRecording(benchmark::State& state) {
    FullStore& s = fullStore();
    const RecordingStore store = s.store();
    AnalysisRun run(QStringLiteral(BEATSCAN_LIBRARY_FILE));
    int valid = 0;
    for (auto _ : state)
        for (int k = 0; k < kStoreCapacity; ++k)
            valid += run.run(store.readSamples(k).value(), 0, kSamplesPerRecording - 1) ? 1 : 0;
    if (valid == 0 || run.libraryMissing())
        state.SkipWithError("the library found no beat or was not loaded");
}
BENCHMARK(BM_PageRunPerRecording)->Unit(benchmark::kMillisecond)->Iterations(1);

// Heap in use (small blocks and mapped ones), in bytes.
size_t heapInUse() {
    const struct mallinfo2 m = mallinfo2();
    return m.uordblks + m.hblkhd;
}

// No cache: every record read, digested and analysed; the cache written. The
// heap's growth is sampled at every progress report and at the end, with the
// series still held.
void BM_TrendCold(benchmark::State& state) {
    FullStore& s = fullStore();
    if (!s.ok())
        state.SkipWithError("store not filled");
    size_t peak = 0;
    for (auto _ : state) {
        state.PauseTiming();
        QFile::remove(s.cache());
        const size_t before = heapInUse();
        const auto sample = [&](TrendProgress) { peak = std::max(peak, heapInUse() - before); };
        state.ResumeTiming();
        TrendLoadStats stats;
        const auto trend = loadTrendWith({int(state.range(0)), &stats}, s.root(), kPatient, sample);
        benchmark::DoNotOptimize(trend.value().points.data());
        state.PauseTiming();
        sample({});
        if (stats.analysed != kStoreCapacity)
            state.SkipWithError("not every recording was analysed");
        state.ResumeTiming();
    }
    state.counters["heapPeakMB"] = double(peak) / (1024.0 * 1024.0);
}
BENCHMARK(BM_TrendCold)
    ->Arg(1)
    ->Arg(2)
    ->Unit(benchmark::kMillisecond)
    ->MeasureProcessCPUTime()
    ->UseRealTime();

// A settled cache: the store's stamps match and nothing is read but the index.
void BM_TrendCached(benchmark::State& state) {
    FullStore& s = fullStore();
    (void)loadTrend(s.root(), kPatient);
    // Stamps closer than a second to the store's last change are not trusted.
    std::this_thread::sleep_for(std::chrono::milliseconds(1100));
    QFile::remove(s.cache());
    (void)loadTrend(s.root(), kPatient);
    size_t bytes = 0;
    for (auto _ : state) {
        TrendLoadStats stats;
        const auto trend = loadTrendWith({0, &stats}, s.root(), kPatient);
        if (!stats.fromCache)
            state.SkipWithError("the cache was not used");
        bytes = trend.value().points.capacity() * sizeof(TrendPoint);
    }
    state.counters["seriesMB"] = double(bytes) / (1024.0 * 1024.0);
}
BENCHMARK(BM_TrendCached)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (!fullStore().ok()) {
        std::fprintf(stderr, "could not fill the store\n");
        return 1;
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
