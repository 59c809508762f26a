// The recorder link: a paced download against the line's limit, and the
// handling cost per live packet on the reader side and on the page side.
#include "device/DeviceLink.h"
#include "device/DownloadCollector.h"
#include "device/LinkPort.h"
#include "device/LiveReader.h"
#include "device/LiveRecording.h"
#include "device/MemoryLine.h"
#include "records/RecordingStore.h"
#include "tools/sim/PseudoTerminal.h"
#include "tools/sim/RecorderSim.h"

#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <thread>

using namespace vantora;

namespace {

constexpr double kLineBytesPerSecond = 3840.0; // 38400 baud, 10 bits a byte

// Command bytes the station sends for a download of n single-chunk entries.
double commandBytes(int entries) {
    return 4 * 4 + entries * 5.0 * 2;
}

void DownloadTenRecordingsPaced(benchmark::State& state) {
    const int recordings = 10;
    for (auto _ : state) {
        sim::SimConfig c;
        c.recordings = recordings;
        c.chunked = false;
        sim::RecorderSim recorder(c);
        sim::PseudoTerminal pty;
        if (!pty.open()) {
            state.SkipWithError("no pseudo-terminal");
            return;
        }
        std::atomic<bool> stop{false};
        std::thread server([&] { recorder.serve(pty.masterFd(), stop); });
        const QString path = pty.slavePath();
        DeviceLink link([path] { return std::optional<QString>(path); });
        DownloadCollector collector;
        const auto start = std::chrono::steady_clock::now();
        (void)link.openDownloadLink(collector);
        collector.waitForEnd(600000);
        const double seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        link.waitForReaders(5000);
        stop.store(true);
        server.join();
        state.SetIterationTime(seconds);
        const double wire = double(recorder.bytesSent()) + commandBytes(recordings);
        state.counters["recordings"] = double(collector.completeRecordings().size());
        state.counters["wireBytes"] = wire;
        state.counters["lineLimitSeconds"] = wire / kLineBytesPerSecond;
        state.counters["timesLimit"] = seconds / (wire / kLineBytesPerSecond);
    }
}
BENCHMARK(DownloadTenRecordingsPaced)->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);

// A frames-only sink: the reader's own work per packet.
struct CountingSink : LinkSink {
    int64_t packets = 0;
    int64_t stopAt = 0;
    std::atomic<int>* running = nullptr;
    void livePacket(const AcqPacket&) override {
        if (++packets == stopAt)
            running->store(0);
    }
};

void LiveReaderPerPacket(benchmark::State& state) {
    const int frames = 10000;
    std::vector<uint8_t> stream;
    for (int i = 0; i < frames; ++i) {
        AcqPacket p;
        p.valid = 1;
        p.heartRate = 70;
        p.samples[0] = p.samples[1] = p.samples[2] = p.samples[3] = 500 + i % 20;
        const auto f = wire::encodeLiveFrame(p);
        stream.insert(stream.end(), f.begin(), f.end());
    }
    int64_t total = 0;
    for (auto _ : state) {
        auto* line = new MemoryLine;
        line->feed(stream);
        LinkPort port(std::unique_ptr<SerialLine>(line), LinkTiming{1, 0, 1, 0, 0, 1});
        std::atomic<int> running{1};
        CountingSink sink;
        sink.stopAt = frames;
        sink.running = &running;
        LiveReader(port, sink, running, 0).run();
        total += sink.packets;
    }
    state.SetItemsProcessed(total);
}
BENCHMARK(LiveReaderPerPacket)->Unit(benchmark::kMillisecond)->UseRealTime();

void PageSidePerPacket(benchmark::State& state) {
    QTemporaryDir dir;
    QDir(dir.path()).mkpath(QStringLiteral("ContinueData"));
    const RecordingStore store(dir.path(), RecordingMode::Continuous, QStringLiteral("B1"));
    LiveRecording recording(
        [&store](std::span<const AcqPacket> p, const SystemTime& stamp) {
            return store.appendContinuous(p, stamp);
        },
        0, {}, RecordingClock::unpaced());
    AcqPacket p;
    p.valid = 1;
    p.heartRate = 70;
    p.rhythmCode = 2;
    int64_t n = 0;
    for (auto _ : state) {
        p.samples[0] = int32_t(n % 1024);
        recording.livePacket(p);
        ++n;
    }
    state.SetItemsProcessed(n);
    state.counters["segmentsWritten"] = recording.segments();
}
BENCHMARK(PageSidePerPacket)->Iterations(1875 * 40)->UseRealTime();

} // namespace

BENCHMARK_MAIN();
