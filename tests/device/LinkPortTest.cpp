// Exact reads and the resend guard over an in-memory line.
#include "device/LinkPort.h"
#include "device/MemoryLine.h"

#include <gtest/gtest.h>

#include <thread>

using namespace vantora;

namespace {

constexpr LinkTiming kFast{50, 1, 10, 1, 1, 10};

struct Port {
    MemoryLine* line = new MemoryLine;
    LinkPort port{std::unique_ptr<SerialLine>(line), kFast};
};

} // namespace

TEST(ReadExact, WholeRecordInPieces) {
    Port p;
    std::thread feeder([&] {
        for (uint8_t i = 0; i < 10; ++i) {
            const uint8_t piece[3] = {uint8_t(3 * i), uint8_t(3 * i + 1), uint8_t(3 * i + 2)};
            p.line->feed(piece, 3);
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
    });
    uint8_t buf[30] = {};
    EXPECT_TRUE(p.port.readExact(buf, 30));
    feeder.join();
    for (int i = 0; i < 30; ++i)
        EXPECT_EQ(buf[i], i);
}

TEST(ReadExact, SilenceBeforeTheLastByteFails) {
    Port p;
    const std::vector<uint8_t> some = {1, 2, 3};
    p.line->feed(some);
    uint8_t buf[4] = {};
    EXPECT_FALSE(p.port.readExact(buf, 4));
    EXPECT_EQ(p.line->silentWaits(), 1);
}

TEST(ReadExact, RefusesMissingBufferClosedAndVanishedLine) {
    Port p;
    const std::vector<uint8_t> some = {1, 2, 3};
    p.line->feed(some);
    EXPECT_FALSE(p.port.readExact(nullptr, 1));
    uint8_t b = 0;
    EXPECT_FALSE(p.port.readExact(&b, 0));
    p.line->vanish();
    EXPECT_FALSE(p.port.readExact(&b, 1));
    EXPECT_EQ(p.line->silentWaits(), 0); // gone at once, no waiting
    Port q;
    q.port.close();
    EXPECT_FALSE(q.port.readExact(&b, 1));
}

TEST(SendCommand, SameFrameGoesOutAtMostFourTimesMore) {
    Port p;
    const auto count = wire::makeCommand(wire::kRecordCount);
    for (int i = 0; i < 4; ++i)
        EXPECT_TRUE(p.port.sendCommand(count)) << i;
    EXPECT_FALSE(p.port.sendCommand(count));
    EXPECT_EQ(p.line->written().size(), 16u); // four frames of 4 bytes
    // After a refusal the guard starts over.
    EXPECT_TRUE(p.port.sendCommand(count));
}

TEST(SendCommand, DifferentFrameResetsTheGuardAndSendsFiveBytes) {
    Port p;
    const auto h0 = wire::makeCommand(wire::kRecordHeader, 1);
    const auto h1 = wire::makeCommand(wire::kRecordHeader, 2);
    for (int i = 0; i < 3; ++i)
        EXPECT_TRUE(p.port.sendCommand(h0));
    EXPECT_TRUE(p.port.sendCommand(h1));
    for (int i = 0; i < 3; ++i)
        EXPECT_TRUE(p.port.sendCommand(h1));
    EXPECT_FALSE(p.port.sendCommand(h1));
    const auto w = p.line->written();
    ASSERT_EQ(w.size(), 7u * 5u);
    EXPECT_EQ(std::vector<uint8_t>(w.end() - 5, w.end()),
              (std::vector<uint8_t>{0x55, 0xAA, 0x04, 0x02, 0x06}));
}

TEST(SendCommand, PurgesStaleInputBeforeWriting) {
    Port p;
    const std::vector<uint8_t> stale = {9, 9, 9};
    p.line->feed(stale);
    p.port.send(wire::makeCommand(wire::kInformation));
    EXPECT_EQ(p.line->bytesWaiting(), 0);
    EXPECT_EQ(p.line->purges(), 1);
    EXPECT_EQ(p.line->written(), (std::vector<uint8_t>{0x55, 0xAA, 0x01, 0x01}));
}

TEST(SendCommand, RefusedOnAClosedOrVanishedLine) {
    Port p;
    p.line->vanish();
    EXPECT_FALSE(p.port.sendCommand(wire::makeCommand(wire::kHello)));
    Port q;
    q.port.close();
    EXPECT_FALSE(q.port.sendCommand(wire::makeCommand(wire::kHello)));
}
