// Speed of the analysis library: one QRS call on each of the 60 real
// recordings (tests/data/ecg), a plain pass over the same data for scale, and
// the program's whole cycle per analysis: load the library by file name,
// resolve, call, copy 1000 + 40 bytes out, unload. The reentrant engine on one
// and on two threads, as the trend's batch runs it.
//
// With BEATSCAN_BASELINE_LIBRARY=<another libbeatscan.so> the per-call
// measures run on that library too, in the same run, and a paired measure
// alternates the two per recording: before and after figures side by side.
#include "Engine.h"
#include "beatscan.h"

#include <benchmark/benchmark.h>
#include <dlfcn.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

constexpr int RecordingCount = 60;
constexpr int SamplesPerRecording = 7500;

using QrsFunction = decltype(&QRS);
using PointerFunction = decltype(&Get_ptr_plus);

const std::vector<std::vector<int32_t>>& recordings() {
    static const std::vector<std::vector<int32_t>> all = [] {
        std::ifstream in(std::string(VANTORA_TEST_DATA_DIR) + "/ecg/mitdb100_mlii_250hz.i16",
                         std::ios::binary);
        std::vector<std::vector<int32_t>> r(RecordingCount,
                                            std::vector<int32_t>(SamplesPerRecording));
        for (auto& recording : r) {
            for (int32_t& sample : recording) {
                unsigned char bytes[2];
                if (!in.read(reinterpret_cast<char*>(bytes), 2)) {
                    throw std::runtime_error("cannot read the reference recordings");
                }
                sample = static_cast<int16_t>(bytes[0] | (bytes[1] << 8));
            }
        }
        return r;
    }();
    return all;
}

class Library {
public:
    explicit Library(const char* file) : handle(dlopen(file, RTLD_NOW | RTLD_LOCAL)) {
        if (handle == nullptr) {
            throw std::runtime_error(dlerror());
        }
    }
    ~Library() { dlclose(handle); }
    Library(const Library&) = delete;
    Library& operator=(const Library&) = delete;

    template <typename F> F resolve(const char* name) const {
        return reinterpret_cast<F>(dlsym(handle, name));
    }

private:
    void* handle;
};

// Per call, cycling through the 60 recordings over the whole window.
void BM_QrsRealRecordings(benchmark::State& state, const char* file) {
    const Library library(file);
    const auto qrs = library.resolve<QrsFunction>("QRS");
    const auto& all = recordings();
    size_t k = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(qrs(all[k].data(), SamplesPerRecording, 0, 7499));
        k = (k + 1) % all.size();
    }
}

// The best of 20 calls on one recording, in microseconds.
double bestOf20(QrsFunction qrs, const std::vector<int32_t>& recording) {
    double fastest = 1e9;
    for (int repeat = 0; repeat < 20; ++repeat) {
        const auto t0 = std::chrono::steady_clock::now();
        benchmark::DoNotOptimize(qrs(recording.data(), SamplesPerRecording, 0, 7499));
        const auto t1 = std::chrono::steady_clock::now();
        fastest = std::min(fastest, std::chrono::duration<double, std::micro>(t1 - t0).count());
    }
    return fastest;
}

void spreadCounters(benchmark::State& state, std::vector<double> best, const std::string& prefix) {
    std::sort(best.begin(), best.end());
    state.counters[prefix + "min_us"] = best.front();
    state.counters[prefix + "median_us"] = best[best.size() / 2];
    state.counters[prefix + "p90_us"] = best[best.size() * 9 / 10];
    state.counters[prefix + "max_us"] = best.back();
}

// The spread over recordings: each recording's best of 20 calls.
void BM_QrsPerRecordingSpread(benchmark::State& state, const char* file) {
    const Library library(file);
    const auto qrs = library.resolve<QrsFunction>("QRS");
    std::vector<double> best;
    for (auto _ : state) {
        best.clear();
        for (const auto& recording : recordings()) {
            best.push_back(bestOf20(qrs, recording));
        }
    }
    spreadCounters(state, best, "");
}

// Baseline and current alternately on each recording, so that both see the
// same load on a shared machine.
void BM_QrsPairedWithBaseline(benchmark::State& state, const char* baselineFile) {
    const Library baseline(baselineFile);
    const Library current(BEATSCAN_LIBRARY_FILE);
    const auto before = baseline.resolve<QrsFunction>("QRS");
    const auto after = current.resolve<QrsFunction>("QRS");
    std::vector<double> bestBefore;
    std::vector<double> bestAfter;
    for (auto _ : state) {
        for (const auto& recording : recordings()) {
            bestBefore.push_back(bestOf20(before, recording));
            bestAfter.push_back(bestOf20(after, recording));
        }
    }
    spreadCounters(state, bestBefore, "before_");
    spreadCounters(state, bestAfter, "after_");
}

// The reentrant engine, linked statically; per analysis on each thread.
void BM_EngineRealRecordings(benchmark::State& state) {
    const auto& all = recordings();
    BeatscanResult result;
    size_t k = static_cast<size_t>(state.thread_index());
    for (auto _ : state) {
        benchmark::DoNotOptimize(beatscanAnalyse(all[k].data(), 0, 7499, result));
        k = (k + 1) % all.size();
    }
}
BENCHMARK(BM_EngineRealRecordings)->Threads(1)->Threads(2)->UseRealTime();

// For scale: one plain pass over a recording (sum of absolute first differences).
void BM_PlainPassOverRecording(benchmark::State& state) {
    const auto& all = recordings();
    size_t k = 0;
    for (auto _ : state) {
        const std::vector<int32_t>& x = all[k];
        int64_t sum = 0;
        for (int i = 1; i < SamplesPerRecording; ++i) {
            sum += std::abs(x[i] - x[i - 1]);
        }
        benchmark::DoNotOptimize(sum);
        k = (k + 1) % all.size();
    }
}
BENCHMARK(BM_PlainPassOverRecording);

// The program's cycle for one analysis, with the library loaded and unloaded
// each time as the analysis page does.
void BM_LoadAnalyseCopyUnload(benchmark::State& state) {
    const auto& all = recordings();
    int32_t beat[250];
    int32_t parameters[10];
    size_t k = 0;
    for (auto _ : state) {
        void* handle = dlopen(BEATSCAN_LIBRARY_FILE, RTLD_NOW | RTLD_LOCAL);
        const auto qrs = reinterpret_cast<QrsFunction>(dlsym(handle, "QRS"));
        const auto getBeat = reinterpret_cast<PointerFunction>(dlsym(handle, "Get_ptr_plus"));
        const auto getParameters =
            reinterpret_cast<PointerFunction>(dlsym(handle, "Get_Parameter"));
        if (qrs(all[k].data(), SamplesPerRecording, 0, 7499) == 1) {
            std::memcpy(beat, getBeat(), sizeof beat);
            std::memcpy(parameters, getParameters(), sizeof parameters);
        }
        dlclose(handle);
        benchmark::DoNotOptimize(beat);
        benchmark::DoNotOptimize(parameters);
        k = (k + 1) % all.size();
    }
}
BENCHMARK(BM_LoadAnalyseCopyUnload)->Repetitions(5)->DisplayAggregatesOnly(true);

void registerPerCall(const std::string& suffix, const char* file) {
    benchmark::RegisterBenchmark(("BM_QrsRealRecordings" + suffix).c_str(), BM_QrsRealRecordings,
                                 file)
        ->Repetitions(10)
        ->DisplayAggregatesOnly(true);
    benchmark::RegisterBenchmark(("BM_QrsPerRecordingSpread" + suffix).c_str(),
                                 BM_QrsPerRecordingSpread, file)
        ->Iterations(1)
        ->Unit(benchmark::kMillisecond);
}

} // namespace

int main(int argc, char** argv) {
    registerPerCall("", BEATSCAN_LIBRARY_FILE);
    if (const char* baseline = std::getenv("BEATSCAN_BASELINE_LIBRARY")) {
        registerPerCall("/baseline", baseline);
        benchmark::RegisterBenchmark("BM_QrsPairedWithBaseline", BM_QrsPairedWithBaseline, baseline)
            ->Iterations(1)
            ->Unit(benchmark::kMillisecond);
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
