// The live link and Continuous recording against the simulated recorder over
// a pseudo-terminal with the real termios line, and the live reader's
// silence budget on an in-memory line.
#include "EventSink.h"
#include "ManualClock.h"
#include "SimHarness.h"
#include "support/TestData.h"

#include "device/LiveReader.h"
#include "device/LiveRecording.h"
#include "device/MemoryLine.h"
#include "records/RecordingStore.h"

#include <gtest/gtest.h>

using namespace vantora;
using namespace vantora::test;
using sim::SimConfig;
using namespace std::chrono_literals;

namespace {

const QString kPatient = QStringLiteral("P1");

SimConfig liveConfig(int frames) {
    SimConfig c;
    c.live = true;
    c.paced = false;
    c.liveFrames = frames;
    c.heartRate = 70;
    c.rhythmCodes = {0, 1, 3, 0, 5};
    return c;
}

// Records the simulator's stream until `wanted` segments or until the
// recording's own stop condition; returns the sink after the link ended.
struct LiveRun {
    TempDataRoot root;
    RecordingStore store{root.path(), RecordingMode::Continuous, kPatient};
    std::unique_ptr<LiveRecording> recording;
    std::atomic<int> stopAtPackets{-1};
    // The simulator runs unpaced here; the pace has a test of its own.
    RecordingClock clock = RecordingClock::unpaced();

    // The page's handler: records, and stops the link at a given packet.
    struct Stopper : LinkSink {
        LiveRun* run = nullptr;
        std::vector<AcqPacket> received;
        void livePacket(const AcqPacket& p) override {
            received.push_back(p);
            run->recording->livePacket(p);
            if (run->recording->packets() == run->stopAtPackets.load())
                run->link->stopLiveLink();
        }
        void linkStatus(int s) override { run->recording->linkStatus(s); }
        void showMessage(const Message& m) override { run->recording->showMessage(m); }
    } stopper;
    // Last, so it is gone (its reader joined) before anything it reports to.
    std::unique_ptr<DeviceLink> link;

    void run(SimHarness& h, int wanted) {
        prepare(h, wanted);
        open(h, true);
    }
    // The recording starts (and its clock with it), the link is not open yet.
    void prepare(SimHarness& h, int wanted) {
        stopper.run = this;
        link = std::make_unique<DeviceLink>(h.finder());
        recording = std::make_unique<LiveRecording>(
            [this](std::span<const AcqPacket> p, const SystemTime& stamp) {
                return store.appendContinuous(p, stamp);
            },
            wanted, [this] { link->stopLiveLink(); }, clock);
    }
    void open(SimHarness& h, bool startSim) {
        ASSERT_TRUE(link->openLiveLink(stopper).ok());
        if (startSim)
            h.start(); // after the port was opened and purged: nothing is lost
        ASSERT_TRUE(recording->waitForEnd(30000));
        link->waitForReaders(5000);
    }
};

std::vector<AcqPacket> sentPackets(const SimConfig& c, int frames) {
    sim::LiveSource source(c);
    std::vector<AcqPacket> out;
    for (int i = 0; i < frames; ++i)
        out.push_back(source.next());
    return out;
}

} // namespace

TEST(LiveLink, StopAfter1874ValidPacketsWritesNothing) {
    SimHarness h(liveConfig(-1), false);
    LiveRun run;
    run.stopAtPackets = 1874;
    run.run(h, 1);
    EXPECT_EQ(run.recording->packets(), 1874);
    EXPECT_EQ(run.recording->segments(), 0);
    // The stop says what was dropped: 29.98 s, in whole seconds.
    EXPECT_EQ(run.recording->notStored(), (Message{62650, QStringLiteral("29")}));
    EXPECT_EQ(run.recording->messageIds(), (std::vector<int>{62650}));
    EXPECT_EQ(run.store.count().value(), 0);
    EXPECT_EQ(run.link->state().portNumber.load(), -1);
}

TEST(LiveLink, SegmentOf1875PacketsMatchesWhatWasSent) {
    const SimConfig c = liveConfig(1875);
    SimHarness h(c, false);
    LiveRun run;
    run.run(h, 1);
    ASSERT_EQ(run.recording->segments(), 1);
    ASSERT_EQ(run.store.count().value(), 1);

    const auto sent = sentPackets(c, 1875);
    std::vector<int32_t> samples;
    int64_t rateSum = 0;
    int rates = 0;
    uint16_t mask = 0;
    for (const AcqPacket& p : sent) {
        samples.insert(samples.end(), p.samples, p.samples + 4);
        if (p.heartRate > 0 && p.heartRate < 500) {
            rateSum += p.heartRate;
            ++rates;
        }
        if (p.rhythmCode > 0)
            mask |= uint16_t(1u << (p.rhythmCode - 1));
    }
    EXPECT_EQ(mask, 0x15);
    const auto stored = run.store.readSamples(0);
    ASSERT_TRUE(stored.ok());
    EXPECT_EQ(stored.value(), samples);
    const auto entry = run.store.readEntry(0);
    ASSERT_TRUE(entry.ok());
    EXPECT_EQ(entry.value().heartRate, rateSum / rates);
    EXPECT_EQ(entry.value().kind, mask);
}

TEST(LiveLink, InvalidFramesInterleavedAreNeverStored) {
    SimConfig c = liveConfig(2812); // every third frame without signal: 1875 valid
    c.invalidEvery = 3;
    SimHarness h(c, false);
    LiveRun run;
    run.run(h, 1);
    EXPECT_EQ(run.recording->packets(), 2812);
    EXPECT_EQ(run.recording->invalidPackets(), 937);
    ASSERT_EQ(run.store.count().value(), 1);
    std::vector<int32_t> valid;
    for (const AcqPacket& p : sentPackets(c, 2812)) {
        if (p.valid)
            valid.insert(valid.end(), p.samples, p.samples + 4);
    }
    EXPECT_EQ(run.store.readSamples(0).value(), valid);
}

TEST(LiveLink, ThreeHundredAndOneInvalidFramesEndTheLink) {
    SimConfig c = liveConfig(-1);
    c.invalidStart = 10;
    c.invalidCount = 400;
    SimHarness h(c, false);
    LiveRun run;
    run.run(h, 1);
    // The failure, then the 10 valid packets of the unfinished segment.
    EXPECT_EQ(run.recording->messageIds(), (std::vector<int>{msg::kLinkFailed, 62650}));
    // 10 valid, then 300 without signal; the 301st is not delivered.
    EXPECT_EQ(run.recording->packets(), 310);
    EXPECT_EQ(run.recording->invalidPackets(), 300);
}

TEST(LiveLink, ThreeHundredInvalidFramesAreTolerated) {
    SimConfig c = liveConfig(-1);
    c.invalidStart = 10;
    c.invalidCount = 300;
    SimHarness h(c, false);
    LiveRun run;
    run.stopAtPackets = 400;
    run.run(h, 1);
    EXPECT_EQ(run.recording->messageIds(), (std::vector<int>{62650})); // only the stop's
    EXPECT_EQ(run.recording->packets(), 400);
}

TEST(LiveLink, TwoSegmentsInARow) {
    SimHarness h(liveConfig(-1), false);
    LiveRun run;
    run.run(h, 2);
    EXPECT_EQ(run.recording->segments(), 2);
    EXPECT_EQ(run.store.count().value(), 2);
}

// A recorder that streamed into the line before the link opened (the
// simulator fills it and waits): the line is purged when the link opens, and
// signal that comes faster than the clock is a backlog, not a recording. The
// clock says 45 s have passed: one segment of the four that come is stored,
// stamped 30 s after the start, and the stop says what was not stored.
TEST(LiveLink, BacklogIsPurgedAndNoMoreIsStoredThanTimeAllows) {
    const SimConfig c = liveConfig(-1);
    SimHarness h(c); // streams at once, before anyone reads
    int held = -1;
    while (held != h.sim().framesSent()) { // until the line is full
        held = h.sim().framesSent();
        std::this_thread::sleep_for(200ms);
    }
    test::ManualClock clock;
    LiveRun run;
    run.clock = clock.clock();
    run.stopAtPackets = 4 * 1875;
    run.prepare(h, 0);
    clock.advance(45s);
    run.open(h, false);

    // The first frame read is the one the simulator was writing at the purge.
    const std::vector<AcqPacket>& got = run.stopper.received;
    ASSERT_EQ(got.size(), 4u * 1875u);
    const auto sent = sentPackets(c, held + 2 + 1875);
    int resumedAt = -1;
    for (int k = held; k <= held + 1 && resumedAt < 0; ++k) {
        if (std::equal(got.begin(), got.begin() + 1875, sent.begin() + k))
            resumedAt = k;
    }
    EXPECT_GE(resumedAt, 0) << "frames held in the line before the link were read";

    ASSERT_EQ(run.recording->segments(), 1);
    ASSERT_EQ(run.store.count().value(), 1);
    std::vector<int32_t> first;
    for (int k = 0; k < 1875; ++k)
        first.insert(first.end(), got[size_t(k)].samples, got[size_t(k)].samples + 4);
    EXPECT_EQ(run.store.readSamples(0).value(), first);
    EXPECT_EQ(run.store.readEntry(0).value().time,
              SystemTime::fromDateTime(test::ManualClock::wallStart().addSecs(30)));
    // The latest 2844 frames were kept (45 s and the tolerance); 969 of them
    // wait for a second segment when the link stops.
    EXPECT_EQ(run.recording->notStored(), (Message{62650, QStringLiteral("15")}));
    EXPECT_EQ(run.recording->messageIds(), (std::vector<int>{62650}));
}

namespace {

struct MemoryLive {
    MemoryLine* line = new MemoryLine;
    LinkPort port{std::unique_ptr<SerialLine>(line), LinkTiming{200, 1, 10, 1, 1, 10}};
    EventSink sink;
    std::atomic<int> running{1};
};

} // namespace

TEST(LiveReaderSilence, EleventhSilentReadEndsWithError) {
    MemoryLive m;
    LinkTiming fast{20, 1, 10, 1, 1, 10};
    LinkPort port(std::make_unique<MemoryLine>(), fast);
    auto* line = static_cast<MemoryLine*>(port.line());
    LiveReader reader(port, m.sink, m.running, 1);
    EXPECT_EQ(reader.run(), ReaderOutcome::Error);
    EXPECT_EQ(line->silentWaits(), 11);
}

TEST(LiveReaderSilence, TenSilentReadsThenAFrameGoesOn) {
    MemoryLive m;
    AcqPacket p;
    p.valid = 1;
    p.heartRate = 80;
    m.sink.onPacket = [&](const AcqPacket&) { m.running.store(0); };
    m.line->feedAfterSilentWaits(10, wire::encodeLiveFrame(p));
    LiveReader reader(m.port, m.sink, m.running, 1);
    EXPECT_EQ(reader.run(), ReaderOutcome::Normal);
    ASSERT_EQ(m.sink.packets().size(), 1u);
    EXPECT_EQ(m.sink.packets()[0], p);
    EXPECT_EQ(m.line->silentWaits(), 10);
}

TEST(LiveReaderSilence, StopDuringSilenceEndsNormally) {
    MemoryLive m;
    std::thread stopper([&] {
        while (m.line->silentWaits() < 2)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        m.running.store(0);
    });
    LiveReader reader(m.port, m.sink, m.running, 1);
    EXPECT_EQ(reader.run(), ReaderOutcome::Normal);
    stopper.join();
    EXPECT_LT(m.line->silentWaits(), 11);
}

TEST(LiveReaderFrames, BadChecksumNeitherCountsNorResets) {
    MemoryLive m;
    AcqPacket invalid;
    invalid.valid = 0;
    AcqPacket valid;
    valid.valid = 1;
    std::vector<uint8_t> stream;
    auto add = [&](const AcqPacket& p, int n, bool corrupt) {
        for (int i = 0; i < n; ++i) {
            auto f = wire::encodeLiveFrame(p);
            if (corrupt)
                ++f.back();
            stream.insert(stream.end(), f.begin(), f.end());
        }
    };
    add(invalid, 150, false);
    add(valid, 5, true); // dropped: the count of invalid frames goes on
    add(invalid, 151, false);
    m.line->feed(stream);
    LiveReader reader(m.port, m.sink, m.running, 1);
    EXPECT_EQ(reader.run(), ReaderOutcome::Error);
    EXPECT_EQ(m.sink.packets().size(), 300u);
}

TEST(LiveReaderFrames, HundredForeignBytesEndTheLink) {
    MemoryLive m;
    m.line->feed(std::vector<uint8_t>(99, 0x11));
    AcqPacket p;
    p.valid = 1;
    m.line->feed(wire::encodeLiveFrame(p));
    m.line->feed(std::vector<uint8_t>(100, 0x11));
    LiveReader reader(m.port, m.sink, m.running, 1);
    EXPECT_EQ(reader.run(), ReaderOutcome::Error);
    EXPECT_EQ(m.sink.packets().size(), 1u); // the count restarts at a frame
}

TEST(LiveReaderFrames, ARunOfBadChecksumsEndsTheLink) {
    // Frames with a bad checksum in a row, then one good frame.
    const struct {
        int dropped;
        ReaderOutcome outcome;
        size_t delivered;
    } cases[] = {{300, ReaderOutcome::Normal, 1}, {301, ReaderOutcome::Error, 0}};
    for (const auto& c : cases) {
        MemoryLive m;
        AcqPacket p;
        p.valid = 1;
        auto bad = wire::encodeLiveFrame(p);
        ++bad.back();
        for (int i = 0; i < c.dropped; ++i)
            m.line->feed(bad);
        m.line->feed(wire::encodeLiveFrame(p));
        m.sink.onPacket = [&](const AcqPacket&) { m.running.store(0); };
        LiveReader reader(m.port, m.sink, m.running, 1);
        EXPECT_EQ(reader.run(), c.outcome) << c.dropped;
        EXPECT_EQ(m.sink.packets().size(), c.delivered) << c.dropped;
        EXPECT_EQ(m.line->silentWaits(), 0) << c.dropped; // ended on the frames, not on silence
    }
}
