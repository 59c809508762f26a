// Cutting the live stream into segments, with a store that can refuse.
#include "ManualClock.h"

#include "core/StringIds.h"
#include "device/ContinuousSegmenter.h"

#include <gtest/gtest.h>

using namespace vantora;
using namespace std::chrono_literals;

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
    std::vector<SystemTime> stamps;
    Message answer;
    ContinuousSegmenter::Append append() {
        return [this](std::span<const AcqPacket> p, const SystemTime& stamp) {
            calls.emplace_back(p.begin(), p.end());
            stamps.push_back(stamp);
            return answer;
        };
    }
};

// The packets come faster than real time here: the pace is tested apart.
ContinuousSegmenter unpaced(FakeStore& store) {
    return ContinuousSegmenter(store.append(), RecordingClock::unpaced());
}

} // namespace

TEST(ContinuousSegmenter, EveryFullSegmentOfValidPacketsIsStored) {
    FakeStore store;
    ContinuousSegmenter s = unpaced(store);
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
    ContinuousSegmenter s = unpaced(store);
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
    ContinuousSegmenter s = unpaced(store);
    for (int i = 0; i < 1000; ++i)
        s.addPacket(packet(i));
    EXPECT_EQ(s.reset(), (Message{ids::kNotStored, "16"})); // the link ended
    EXPECT_EQ(s.bufferedPackets(), 0);
    for (int i = 0; i < 1875; ++i)
        s.addPacket(packet(5000 + i));
    ASSERT_EQ(store.calls.size(), 1u);
    EXPECT_EQ(store.calls[0].front().samples[0], 5000); // nothing of the old link
}

TEST(ContinuousSegmenter, RefusedStoreKeepsTheLatestSegmentAndReportsOnce) {
    FakeStore store;
    store.answer = Message{ids::kStoreFull, QStringLiteral("P1")};
    ContinuousSegmenter s = unpaced(store);
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
    store.answer = Message{ids::kCannotOpen, QStringLiteral("/x/P1-Con.dat")};
    EXPECT_EQ(s.addPacket(packet(2000)), store.answer);
    EXPECT_TRUE(s.addPacket(packet(2001)).isNone());
    store.answer = {};
    EXPECT_TRUE(s.addPacket(packet(2002)).isNone());
    EXPECT_EQ(s.segmentsWritten(), 1);
    EXPECT_EQ(s.bufferedPackets(), 0);
    EXPECT_EQ(s.failedAttempts(), 103);
    // After a success, the first cause is news again.
    store.answer = Message{ids::kStoreFull, QStringLiteral("P1")};
    for (int i = 0; i < 1874; ++i)
        s.addPacket(packet(i));
    EXPECT_EQ(s.addPacket(packet(0)), store.answer);
}

TEST(ContinuousSegmenter, WriteErrorCountsAsHandled) {
    FakeStore store;
    store.answer = Message{ids::kWriteFailed, {}};
    ContinuousSegmenter s = unpaced(store);
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

// The recorder's pace: 62.5 frames/s. More signal than the clock allows is a
// backlog from before the start, a segment waits for its time, and its stamp
// is the start plus the recorder time of its last frame.
TEST(ContinuousSegmenter, ThePaceOfTheClockDecidesWhatIsStoredAndWhen) {
    struct Step {
        int advanceMs; // before the packets
        int packets;
        int msPerPacket; // passing before each packet; 0: all at once
    };
    const struct {
        const char* name;
        std::vector<Step> steps;
        int invalidEvery; // every n-th packet without signal (0: none)
        std::vector<int> firstSamples;
        std::vector<int> stampMs; // after the wall start
        Message dropped;          // by the reset at the end
    } cases[] = {
        // A line that buffered minutes while no one read it: nothing stored,
        // only the tolerance (about 0.5 s) of the latest signal kept.
        {"backlog, clock still", {{0, 5000, 0}}, 0, {}, {}, {ids::kNotStored, "1"}},
        // 45 s allow one segment of the four that came at once.
        {"45 s, four segments at once",
         {{45000, 7500, 0}},
         0,
         {0},
         {30000},
         {ids::kNotStored, "15"}},
        // Whole a little early: stored with the first packet once 30 s passed.
        {"held until its time",
         {{29900, 1875, 0}, {100, 1, 0}},
         0,
         {0},
         {30000},
         {ids::kNotStored, "1"}},
        // Paced, every third frame without signal: the frames count in time.
        {"paced with gaps", {{0, 5624, 16}}, 3, {0, 2812}, {44992, 89984}, {}},
    };
    for (const auto& c : cases) {
        FakeStore store;
        test::ManualClock clock;
        ContinuousSegmenter s(store.append(), clock.clock());
        int n = 0;
        for (const Step& step : c.steps) {
            clock.advance(std::chrono::milliseconds(step.advanceMs));
            for (int i = 0; i < step.packets; ++i, ++n) {
                clock.advance(std::chrono::milliseconds(step.msPerPacket));
                const bool valid = c.invalidEvery == 0 || n % c.invalidEvery != c.invalidEvery - 1;
                EXPECT_TRUE(s.addPacket(packet(n, valid)).isNone()) << c.name;
            }
        }
        ASSERT_EQ(store.calls.size(), c.firstSamples.size()) << c.name;
        for (size_t k = 0; k < store.calls.size(); ++k) {
            EXPECT_EQ(store.calls[k].front().samples[0], c.firstSamples[k]) << c.name;
            const QDateTime at = test::ManualClock::wallStart().addMSecs(c.stampMs[k]);
            EXPECT_EQ(store.stamps[k], SystemTime::fromDateTime(at)) << c.name << " " << k;
        }
        EXPECT_EQ(s.reset(), c.dropped) << c.name;
        EXPECT_EQ(s.bufferedPackets(), 0) << c.name;
    }
    // The seconds said: whole ones, at least one when anything was dropped.
    const std::pair<int, Message> said[] = {{0, {}},
                                            {1, {ids::kNotStored, "1"}},
                                            {63, {ids::kNotStored, "1"}},
                                            {125, {ids::kNotStored, "2"}},
                                            {1874, {ids::kNotStored, "29"}}};
    for (const auto& [packets, message] : said)
        EXPECT_EQ(notStoredMessage(packets), message) << packets;
}
