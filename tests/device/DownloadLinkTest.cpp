// The download link against the simulated recorder over a pseudo-terminal,
// with the real termios line: the full walk, resends, refusals and ends.
#include "EventSink.h"
#include "SimHarness.h"

#include "device/DownloadCollector.h"

#include <gtest/gtest.h>

using namespace vantora;
using namespace vantora::test;
using sim::SimConfig;
using sim::SimFault;

namespace {

SimConfig unpaced(int recordings) {
    SimConfig c;
    c.paced = false;
    c.recordings = recordings;
    return c;
}

// Runs one download to its end and returns the open result.
Result<> download(DeviceLink& link, LinkSink& sink) {
    Result<> result = link.openDownloadLink(sink);
    link.waitForReaders(60000);
    return result;
}

std::vector<EventSink::Event> ofKind(const std::vector<EventSink::Event>& all, int message) {
    std::vector<EventSink::Event> out;
    for (const auto& e : all) {
        if (e.message == message)
            out.push_back(e);
    }
    return out;
}

} // namespace

TEST(DownloadLink, FullDownloadWithTwoChunkRecording) {
    SimHarness h(unpaced(2)); // record 2 is kept in two chunks: three table entries
    ASSERT_TRUE(h.opened());
    EventSink sink;
    DeviceLink link(h.finder());
    ASSERT_TRUE(download(link, sink).ok());

    const auto events = sink.events();
    // Progress 1 to 4, then every header before any data.
    std::vector<int> statuses;
    for (const auto& e : ofKind(events, wm::kEcgLinkStatus))
        statuses.push_back(e.value);
    EXPECT_EQ(statuses, (std::vector<int>{1, 2, 3, 4, 0}));
    size_t lastHeader = 0, firstData = events.size();
    for (size_t i = 0; i < events.size(); ++i) {
        if (events[i].message == wm::kEcgRecordHeader)
            lastHeader = i;
        if (events[i].message == wm::kEcgData && firstData == events.size())
            firstData = i;
    }
    EXPECT_LT(lastHeader, firstData);

    const auto headers = sink.headers();
    ASSERT_EQ(headers.size(), 3u);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(headers[size_t(i)].index, i);
        EXPECT_EQ(headers[size_t(i)].count, 3);
    }
    const auto& entries = h.sim().entries();
    EXPECT_EQ(headers[1].startTime[0], 2000 + (entries[1].header.year - 2000));
    EXPECT_EQ(headers[1].startTime[1], entries[1].header.month);
    EXPECT_EQ(headers[1].heartRate, entries[1].header.heartRate);
    EXPECT_EQ(headers[1].recordingType, entries[1].header.typeByte);

    // Blocks: record 1 has 0..14, record 2 has 0..29 over its two chunks.
    std::vector<uint32_t> expected;
    for (int b = 0; b < 15; ++b)
        expected.push_back(uint32_t(b));
    expected.push_back(0xFFFFFFFFu);
    for (int b = 0; b < 30; ++b) {
        expected.push_back((1u << 16) | uint32_t(b));
        if (b == 14 || b == 29)
            expected.push_back(0xFFFFFFFFu);
    }
    std::vector<uint32_t> got;
    std::vector<int> ends;
    for (const auto& e : ofKind(events, wm::kEcgData)) {
        got.push_back(e.wParam);
        if (e.wParam == 0xFFFFFFFFu)
            ends.push_back(e.value);
    }
    EXPECT_EQ(got, expected);
    EXPECT_EQ(ends, (std::vector<int>{1, 2, 2}));
    EXPECT_EQ(sink.messages(), (std::vector<int>{msg::kTransferComplete}));
}

TEST(DownloadLink, CollectorKeepsEachChunkAsItsOwnRecording) {
    SimHarness h(unpaced(3));
    DownloadCollector collector;
    DeviceLink link(h.finder());
    ASSERT_TRUE(download(link, collector).ok());
    const auto recordings = collector.completeRecordings();
    const auto& entries = h.sim().entries();
    ASSERT_EQ(recordings.size(), entries.size());
    ASSERT_EQ(recordings.size(), 4u);
    for (size_t i = 0; i < entries.size(); ++i) {
        EXPECT_EQ(recordings[i].header.index, i);
        EXPECT_EQ(recordings[i].blocks, entries[i].blocks) << "entry " << i;
    }
    // The two chunks of record 2 differ: neither overwrote the other.
    EXPECT_NE(recordings[1].blocks, recordings[2].blocks);
}

TEST(DownloadLink, BadChecksumIsResentAndRecovers) {
    SimConfig c = unpaced(1);
    c.chunked = false;
    c.faults = {{SimFault::Kind::BadChecksum, wire::kRecordData, 2},
                {SimFault::Kind::BadChecksum, wire::kRecordHeader, 1},
                {SimFault::Kind::BadChecksum, wire::kInformation, 1}};
    SimHarness h(c);
    DownloadCollector collector;
    DeviceLink link(h.finder());
    ASSERT_TRUE(download(link, collector).ok());
    EXPECT_EQ(h.sim().commandsReceived(wire::kRecordData), 3);
    EXPECT_EQ(h.sim().commandsReceived(wire::kRecordHeader), 2);
    EXPECT_EQ(h.sim().commandsReceived(wire::kInformation), 2);
    ASSERT_EQ(collector.completeRecordings().size(), 1u);
    EXPECT_EQ(collector.completeRecordings()[0].blocks, h.sim().entries()[0].blocks);
    // A resent chunk comes again from block 0: 45 blocks delivered in all.
    EXPECT_EQ(collector.blocksDelivered(), 45);
    EXPECT_EQ(collector.messageIds(), (std::vector<int>{msg::kTransferComplete}));
}

TEST(DownloadLink, CommandRefusedAfterFiveTransmissions) {
    SimConfig c = unpaced(2);
    c.faults = {{SimFault::Kind::BadChecksum, wire::kRecordCount, 100}};
    SimHarness h(c);
    EventSink sink;
    DeviceLink link(h.finder());
    ASSERT_TRUE(download(link, sink).ok());
    EXPECT_EQ(h.sim().commandsReceived(wire::kRecordCount), 5);
    EXPECT_EQ(sink.messages(), (std::vector<int>{msg::kLinkFailed}));
    EXPECT_EQ(sink.events().back().message, wm::kEcgLinkStatus);
    EXPECT_EQ(sink.events().back().value, 0);
}

TEST(DownloadLink, HundredGarbageBytesEndTheLink) {
    SimConfig c = unpaced(2);
    c.faults = {{SimFault::Kind::Garbage, wire::kRecordTable, 1, 100}};
    SimHarness h(c);
    EventSink sink;
    DeviceLink link(h.finder());
    ASSERT_TRUE(download(link, sink).ok());
    EXPECT_EQ(h.sim().commandsReceived(wire::kRecordTable), 1);
    EXPECT_EQ(sink.messages(), (std::vector<int>{msg::kLinkFailed}));
    EXPECT_EQ(sink.count(wm::kEcgRecordHeader), 0);
}

TEST(DownloadLink, NinetyNineGarbageBytesAreSkipped) {
    SimConfig c = unpaced(1);
    c.chunked = false;
    c.faults = {{SimFault::Kind::Garbage, wire::kRecordTable, 1, 99}};
    SimHarness h(c);
    DownloadCollector collector;
    DeviceLink link(h.finder());
    ASSERT_TRUE(download(link, collector).ok());
    // The table request is resent after the second of silence and answered.
    EXPECT_EQ(h.sim().commandsReceived(wire::kRecordTable), 2);
    EXPECT_EQ(collector.completeRecordings().size(), 1u);
}

TEST(DownloadLink, CountOfZeroEndsNormally) {
    SimHarness h(unpaced(0));
    EventSink sink;
    DeviceLink link(h.finder());
    ASSERT_TRUE(download(link, sink).ok());
    EXPECT_EQ(sink.messages(), (std::vector<int>{msg::kNoRecords}));
    EXPECT_EQ(sink.count(wm::kEcgRecordHeader), 0);
    EXPECT_EQ(sink.count(wm::kEcgData), 0);
    EXPECT_EQ(h.sim().commandsReceived(wire::kRecordTable), 0);
    EXPECT_EQ(link.state().portNumber.load(), -1);
}

TEST(DownloadLink, StopBetweenBlocksEndsNormallyWithoutPartialRecording) {
    SimHarness h(unpaced(2));
    DownloadCollector collector;
    DeviceLink link(h.finder());
    EventSink events;
    struct Both : LinkSink {
        LinkSink* a;
        LinkSink* b;
        void recordHeader(int i, const DeviceRecordHeader& x) override {
            a->recordHeader(i, x);
            b->recordHeader(i, x);
        }
        void dataBlock(const BlockTag& t, const SampleBlock& x) override {
            a->dataBlock(t, x);
            b->dataBlock(t, x);
        }
        void recordEnd(int i, int r) override {
            a->recordEnd(i, r);
            b->recordEnd(i, r);
        }
        void linkStatus(int s) override {
            a->linkStatus(s);
            b->linkStatus(s);
        }
        void showMessage(const Message& m) override {
            a->showMessage(m);
            b->showMessage(m);
        }
    } both;
    both.a = &collector;
    both.b = &events;
    // The page's cancel arrives while block 3 of the second entry is handled.
    events.onBlock = [&](const BlockTag& t) {
        if (t.tableIndex == 1 && t.blockNumber == 3)
            link.stopDownloadLink();
    };
    ASSERT_TRUE(link.openDownloadLink(both).ok());
    ASSERT_TRUE(link.waitForReaders(30000));
    EXPECT_TRUE(events.messages().empty()); // a normal end: no message
    EXPECT_EQ(events.events().back().message, wm::kEcgLinkStatus);
    EXPECT_EQ(collector.blocksDelivered(), 15 + 4);
    // Only the first entry completed; the second is not offered.
    ASSERT_EQ(collector.completeRecordings().size(), 1u);
    EXPECT_EQ(collector.completeRecordings()[0].header.index, 0);
    EXPECT_FALSE(link.stopDownloadLink());
}

TEST(DownloadLink, PortVanishingMidTransferEndsWithError) {
    SimConfig c = unpaced(2);
    c.vanishAfterDataBytes = 7518 + 3000; // inside the second entry's blocks
    SimHarness h(c);
    DownloadCollector collector;
    DeviceLink link(h.finder());
    ASSERT_TRUE(link.openDownloadLink(collector).ok());
    ASSERT_TRUE(collector.waitForEnd(30000));
    link.waitForReaders(5000);
    EXPECT_TRUE(h.sim().vanished());
    EXPECT_EQ(collector.messageIds(), (std::vector<int>{msg::kLinkFailed}));
    EXPECT_EQ(collector.completeRecordings().size(), 1u);
    EXPECT_EQ(link.state().portNumber.load(), -1);
    EXPECT_FALSE(link.state().portInUse.load());
}

TEST(DownloadLink, SilentReplyIsRequestedAgain) {
    SimConfig c = unpaced(1);
    c.chunked = false;
    c.faults = {{SimFault::Kind::Silence, wire::kRecordCount, 1}};
    SimHarness h(c);
    DownloadCollector collector;
    DeviceLink link(h.finder());
    ASSERT_TRUE(download(link, collector).ok());
    EXPECT_EQ(h.sim().commandsReceived(wire::kRecordCount), 2);
    EXPECT_EQ(collector.completeRecordings().size(), 1u);
}

TEST(DownloadLink, HeartRateAboveFiveHundredReadsAsZero) {
    SimHarness h(unpaced(4)); // entry 3 reports 600
    DownloadCollector collector;
    DeviceLink link(h.finder());
    ASSERT_TRUE(download(link, collector).ok());
    const auto r = collector.completeRecordings();
    ASSERT_EQ(r.size(), 5u);
    EXPECT_EQ(h.sim().entries()[3].header.heartRate, 600);
    EXPECT_EQ(r[3].header.heartRate, 0);
    EXPECT_EQ(r[2].header.heartRate, h.sim().entries()[2].header.heartRate);
}
