// The real-time page's work per live packet on the user-interface thread:
// the recording step (a Continuous segment written every 1875 valid packets),
// the texts, the push, the rebuild of 675 points and the paint of the whole
// monitor into its off-screen image. Reports the median and 99th percentile
// per packet; the goal is a median under 0.5 ms and a 99th percentile under
// 2 ms, so that 62.5 packets/s cost a few per cent of one core.
#include "device/LivePageModel.h"
#include "device/LiveTrace.h"
#include "records/RecordingStore.h"
#include "render/LiveTracePainter.h"
#include "tools/sim/SimRecordings.h"

#include <QDir>
#include <QImage>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <vector>

using namespace vantora;

namespace {

constexpr int kWidth = 690; // the control's size on the page
constexpr int kHeight = 360;
constexpr int kPackets = 4 * 1875; // four segments' worth per run

double percentile(std::vector<double> v, double p) {
    std::sort(v.begin(), v.end());
    return v[size_t(p * double(v.size() - 1))];
}

void LivePacketOnThePage(benchmark::State& state) {
    sim::SimConfig c;
    c.live = true;
    c.rhythmCodes = {0, 1, 3};
    c.invalidEvery = 50;
    sim::LiveSource source(c);
    std::vector<AcqPacket> packets;
    for (int i = 0; i < kPackets; ++i)
        packets.push_back(source.next());

    std::vector<double> micros;
    int segments = 0;
    for (auto _ : state) {
        QTemporaryDir dir;
        QDir(dir.path()).mkpath(QStringLiteral("ContinueData"));
        const RecordingStore store(dir.path(), RecordingMode::Continuous, QStringLiteral("B1"));
        LivePageModel model(false);
        model.startRecording(
            [&store](std::span<const AcqPacket> p, const SystemTime& stamp) {
                return store.appendContinuous(p, stamp);
            },
            RecordingClock::unpaced());
        QImage image(kWidth, kHeight, QImage::Format_RGB32);
        const QImage grid = live_paint::gridImage(kWidth, kHeight); // once per size, as the control
        micros.clear();
        for (const AcqPacket& p : packets) {
            const auto start = std::chrono::steady_clock::now();
            benchmark::DoNotOptimize(model.packet(p));
            live_paint::paintTrace(image, model.trace(), &grid);
            const auto end = std::chrono::steady_clock::now();
            micros.push_back(std::chrono::duration<double, std::micro>(end - start).count());
        }
        segments = model.segmentsWritten();
        benchmark::DoNotOptimize(image.constBits());
    }
    state.counters["medianUs"] = percentile(micros, 0.5);
    state.counters["p99Us"] = percentile(micros, 0.99);
    state.counters["maxUs"] = percentile(micros, 1.0);
    state.counters["segments"] = segments;
    // Share of one core at 62.5 packets/s, from the mean.
    double sum = 0;
    for (double m : micros)
        sum += m;
    state.counters["corePercent"] = sum / double(micros.size()) * 62.5 / 1e4;
}

} // namespace

BENCHMARK(LivePacketOnThePage)->Unit(benchmark::kMillisecond)->Iterations(3);

BENCHMARK_MAIN();
