// The simulated recorder switched on, as scripts/run starts it: it streams
// live frames, serves a download when the station asks for one, and streams
// again once the station is done, so the real-time and download pages can be
// tried one after the other on one port.
#include "SimHarness.h"

#include "device/DownloadCollector.h"
#include "device/LiveRecording.h"

#include <gtest/gtest.h>

using namespace vantora;
using namespace vantora::test;

namespace {

constexpr int kIdleReturnMs = 500;

// Packets a live link receives in about a second.
int livePackets(DeviceLink& link) {
    LiveRecording recording([](std::span<const AcqPacket>, const SystemTime&) { return Message{}; },
                            0);
    if (!link.openLiveLink(recording).ok())
        return -1;
    std::this_thread::sleep_for(std::chrono::milliseconds(1000));
    link.stopLiveLink();
    EXPECT_TRUE(recording.waitForEnd(10000));
    link.waitForReaders(5000);
    // A second is no segment: the stop says so, and nothing else is said.
    EXPECT_EQ(recording.messageIds(), (std::vector<int>{62650}));
    return recording.packets();
}

} // namespace

TEST(SwitchedOnSim, StreamsServesADownloadAndStreamsAgain) {
    sim::SimConfig c;
    c.switchedOn = true;
    c.recordings = 1;
    c.chunked = false;
    c.idleReturnMs = kIdleReturnMs;
    SimHarness h(c);
    ASSERT_TRUE(h.opened());
    DeviceLink link(h.finder());

    EXPECT_GT(livePackets(link), 30); // 62.5 a second
    EXPECT_EQ(h.sim().commandsReceived(wire::kHello), 0);

    DownloadCollector collector;
    ASSERT_TRUE(link.openDownloadLink(collector).ok());
    ASSERT_TRUE(collector.waitForEnd(60000));
    link.waitForReaders(5000);
    const auto recordings = collector.completeRecordings();
    ASSERT_EQ(recordings.size(), 1u);
    EXPECT_EQ(recordings[0].blocks, h.sim().entries()[0].blocks);
    EXPECT_EQ(collector.messageIds(), (std::vector<int>{msg::kTransferComplete}));
    EXPECT_GE(h.sim().commandsReceived(wire::kHello), 1);

    std::this_thread::sleep_for(std::chrono::milliseconds(2 * kIdleReturnMs));
    EXPECT_GT(livePackets(link), 30);
}
