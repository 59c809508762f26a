// The hospital link's costs. Export: a patient's full 48-hour Continuous
// store (5760 recordings) made into ECG waveform objects, each with the
// analysis page's run for its six results (goal < 5 s).
#include "bench/FullContinuousStore.h"
#include "dicom/EcgObject.h"

#include <QGuiApplication>

#include <benchmark/benchmark.h>

#include <numeric>

using namespace vantora;

namespace {

void BM_ExportFullContinuousStore(benchmark::State& state) {
    const bench::FullContinuousStore full(false);
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
