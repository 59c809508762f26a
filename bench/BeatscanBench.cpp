// Speed of the analysis library: one QRS call on each of the 60 real
// recordings (tests/data/ecg), a plain pass over the same data for scale, and
// the program's whole cycle per analysis: load the library by file name,
// resolve, call, copy 1000 + 40 bytes out, unload.
#include "beatscan.h"

#include <benchmark/benchmark.h>
#include <dlfcn.h>

#include <algorithm>
#include <chrono>
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
    Library() : handle(dlopen(BEATSCAN_LIBRARY_FILE, RTLD_NOW | RTLD_LOCAL)) {
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
void BM_QrsRealRecordings(benchmark::State& state) {
    const Library library;
    const auto qrs = library.resolve<QrsFunction>("QRS");
    const auto& all = recordings();
    size_t k = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(qrs(all[k].data(), SamplesPerRecording, 0, 7499));
        k = (k + 1) % all.size();
    }
}
BENCHMARK(BM_QrsRealRecordings)->Repetitions(10)->DisplayAggregatesOnly(true);

// The spread over recordings: each recording's best of 20 calls, in microseconds.
void BM_QrsPerRecordingSpread(benchmark::State& state) {
    const Library library;
    const auto qrs = library.resolve<QrsFunction>("QRS");
    const auto& all = recordings();
    std::vector<double> best;
    for (auto _ : state) {
        best.clear();
        for (const auto& recording : all) {
            double fastest = 1e9;
            for (int repeat = 0; repeat < 20; ++repeat) {
                const auto t0 = std::chrono::steady_clock::now();
                benchmark::DoNotOptimize(qrs(recording.data(), SamplesPerRecording, 0, 7499));
                const auto t1 = std::chrono::steady_clock::now();
                fastest =
                    std::min(fastest, std::chrono::duration<double, std::micro>(t1 - t0).count());
            }
            best.push_back(fastest);
        }
    }
    std::sort(best.begin(), best.end());
    state.counters["min_us"] = best.front();
    state.counters["median_us"] = best[best.size() / 2];
    state.counters["p90_us"] = best[best.size() * 9 / 10];
    state.counters["max_us"] = best.back();
}
BENCHMARK(BM_QrsPerRecordingSpread)->Iterations(1)->Unit(benchmark::kMillisecond);

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

} // namespace

BENCHMARK_MAIN();
