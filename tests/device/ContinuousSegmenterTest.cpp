// Cutting the live stream into segments, with a store that can refuse.
#include "device/ContinuousSegmenter.h"

#include <gtest/gtest.h>

using namespace vantora;

namespace {

AcqPacket packet(int n, bool valid = true) {
    AcqPacket p;
    p.valid = valid ? 1 : 0;
    p.heartRate = 60;
    for (int i = 0; i < 4; ++i)
        p.samples[i] = n;
    return p;
}

// A store that records what it was given and answers as told.
struct FakeStore {
    std::vector<std::vector<AcqPacket>> calls;
    Message answer;
    ContinuousSegmenter::Append append() {
        return [this](std::span<const AcqPacket> p) {
            calls.emplace_back(p.begin(), p.end());
            return answer;
        };
    }
};

} // namespace

TEST(ContinuousSegmenter, EveryFullSegmentOfValidPacketsIsStored) {
    FakeStore store;
    ContinuousSegmenter s(store.append());
    for (int i = 0; i < 1874; ++i)
        EXPECT_TRUE(s.addPacket(packet(i)).isNone());
    EXPECT_TRUE(store.calls.empty());
    s.addPacket(packet(1874));
    ASSERT_EQ(store.calls.size(), 1u);
    EXPECT_EQ(store.calls[0].size(), 1875u);
    EXPECT_EQ(store.calls[0].front().samples[0], 0);
    EXPECT_EQ(store.calls[0].back().samples[0], 1874);
    EXPECT_EQ(s.bufferedPackets(), 0);
    EXPECT_EQ(s.segmentsWritten(), 1);
}

TEST(ContinuousSegmenter, InvalidPacketsNeverCount) {
    FakeStore store;
    ContinuousSegmenter s(store.append());
    for (int i = 0; i < 1875; ++i) {
        s.addPacket(packet(i));
        s.addPacket(packet(-1, false));
    }
    ASSERT_EQ(store.calls.size(), 1u);
    for (const AcqPacket& p : store.calls[0])
        EXPECT_EQ(p.valid, 1);
}

TEST(ContinuousSegmenter, ResetDiscardsTheUnfinishedSegment) {
    FakeStore store;
    ContinuousSegmenter s(store.append());
    for (int i = 0; i < 1000; ++i)
        s.addPacket(packet(i));
    s.reset(); // the link ended
    EXPECT_EQ(s.bufferedPackets(), 0);
    for (int i = 0; i < 1875; ++i)
        s.addPacket(packet(5000 + i));
    ASSERT_EQ(store.calls.size(), 1u);
    EXPECT_EQ(store.calls[0].front().samples[0], 5000); // nothing of the old link
}

TEST(ContinuousSegmenter, RefusedStoreKeepsTheLatestSegmentAndReportsOnce) {
    FakeStore store;
    store.answer = Message{61286, QStringLiteral("P1")};
    ContinuousSegmenter s(store.append());
    std::vector<Message> shown;
    for (int i = 0; i < 1875 + 100; ++i) {
        const Message m = s.addPacket(packet(i));
        if (!m.isNone())
            shown.push_back(m);
    }
    EXPECT_EQ(shown, (std::vector<Message>{store.answer})); // once, not per packet
    EXPECT_EQ(store.calls.size(), 101u);                    // tried with every valid packet
    for (const auto& c : store.calls)
        EXPECT_EQ(c.size(), 1875u); // never more than one segment
    EXPECT_EQ(s.bufferedPackets(), 1875);
    EXPECT_EQ(store.calls.back().front().samples[0], 100); // the latest 30 s
    EXPECT_EQ(store.calls.back().back().samples[0], 1974);

    // Another cause is reported again; then the store takes the segment.
    store.answer = Message{61217, QStringLiteral("/x/P1-Con.dat")};
    EXPECT_EQ(s.addPacket(packet(2000)), store.answer);
    EXPECT_TRUE(s.addPacket(packet(2001)).isNone());
    store.answer = {};
    EXPECT_TRUE(s.addPacket(packet(2002)).isNone());
    EXPECT_EQ(s.segmentsWritten(), 1);
    EXPECT_EQ(s.bufferedPackets(), 0);
    EXPECT_EQ(s.failedAttempts(), 103);
    // After a success, the first cause is news again.
    store.answer = Message{61286, QStringLiteral("P1")};
    for (int i = 0; i < 1874; ++i)
        s.addPacket(packet(i));
    EXPECT_EQ(s.addPacket(packet(0)), store.answer);
}

TEST(ContinuousSegmenter, WriteErrorCountsAsHandled) {
    FakeStore store;
    store.answer = Message{61341, {}};
    ContinuousSegmenter s(store.append());
    std::vector<Message> shown;
    for (int i = 0; i < 2 * 1875; ++i) {
        const Message m = s.addPacket(packet(i));
        if (!m.isNone())
            shown.push_back(m);
    }
    EXPECT_EQ(store.calls.size(), 2u); // not retried: each segment tried once
    EXPECT_EQ(shown.size(), 1u);       // and the message shown once
    EXPECT_EQ(s.bufferedPackets(), 0);
    EXPECT_EQ(s.segmentsWritten(), 0);
}
