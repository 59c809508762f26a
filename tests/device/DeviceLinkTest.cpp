// Opening, stopping and port removal of DeviceLink, over in-memory lines.
#include "EventSink.h"

#include "device/DeviceLink.h"
#include "device/MemoryLine.h"

#include <gtest/gtest.h>

#include <optional>

using namespace vantora;
using namespace vantora::test;

namespace {

constexpr LinkTiming kFast{30, 1, 10, 1, 1, 10};
// Live links on a silent line: long enough a silence budget (11 reads) that a
// slow machine does not end them with an error before the test stops them.
constexpr LinkTiming kLive{300, 1, 10, 1, 1, 10};

// Opens in-memory lines; each answers the hello with a count of zero, so a
// download ends by itself.
struct Lines {
    int opened = 0;
    QString lastPath;
    std::optional<DeviceLink::Refusal> failWith;
    DeviceLink::LineOpener opener() {
        return [this](const QString& path) -> DeviceLink::OpenedLine {
            lastPath = path;
            if (failWith)
                return {nullptr, *failWith};
            ++opened;
            auto line = std::make_unique<MemoryLine>();
            line->setResponder([](MemoryLine& l, const uint8_t* d, int n) {
                if (n < 3)
                    return;
                const uint8_t code = d[2];
                if (code == wire::kHello)
                    l.feed(std::vector<uint8_t>{0x55, 0xAA, 0, 0});
                else if (code == wire::kInformation)
                    l.feed(wire::encodeReply(code, std::vector<uint8_t>(19, 1)));
                else if (code == wire::kRecordCount)
                    l.feed(wire::encodeReply(code, {0, 0x1D, 0x5B}));
            });
            return {std::move(line)};
        };
    }
};

DeviceLink::PortFinder port(const char* name) {
    return [n = QString::fromLatin1(name)] { return std::optional<QString>(n); };
}

} // namespace

TEST(DeviceLinkOpen, NoPortShowsMessageAndReportsTheEnd) {
    Lines lines;
    DeviceLink link([] { return std::optional<QString>(); }, lines.opener(), kFast);
    EventSink sink;
    EXPECT_EQ(link.openLiveLink(sink).message(), (Message{msg::kRecorderNotFound, {}}));
    EXPECT_EQ(link.openFailure().why, DeviceLink::Refusal::NoPort);
    EXPECT_EQ(sink.messages(), (std::vector<int>{msg::kRecorderNotFound}));
    ASSERT_EQ(sink.events().size(), 2u);
    EXPECT_EQ(sink.events()[1].message, wm::kEcgLinkStatus);
    EXPECT_EQ(sink.events()[1].value, 0);
    EXPECT_EQ(lines.opened, 0);
    EXPECT_FALSE(link.stopLiveLink());
}

TEST(DeviceLinkOpen, PortThatCannotBeOpenedOrSetUp) {
    Lines lines;
    DeviceLink link(port("/dev/ttyUSB2"), lines.opener(), kFast);
    for (DeviceLink::Refusal why :
         {DeviceLink::Refusal::OpenFailed, DeviceLink::Refusal::SetupFailed}) {
        lines.failWith = why;
        EventSink sink;
        EXPECT_EQ(link.openDownloadLink(sink).message(), (Message{msg::kLinkFailed, {}}));
        EXPECT_EQ(link.openFailure().why, why);
        EXPECT_TRUE(sink.messages().empty()); // no message box for these
        EXPECT_EQ(sink.count(wm::kEcgLinkStatus), 1);
        EXPECT_EQ(link.state().portNumber.load(), -1);
        EXPECT_EQ(lines.lastPath, QStringLiteral("/dev/ttyUSB2"));
    }
}

TEST(DeviceLinkOpen, FinishedReaderIsReleasedAndTheNextLinkStarts) {
    Lines lines;
    DeviceLink link(port("/dev/ttyUSB2"), lines.opener(), kFast);
    EventSink first;
    ASSERT_TRUE(link.openDownloadLink(first).ok());
    ASSERT_TRUE(first.waitForEnd(5000)); // count 0: the reader ends by itself
    EXPECT_EQ(first.messages(), (std::vector<int>{msg::kNoRecords}));
    EventSink second;
    EXPECT_TRUE(link.openDownloadLink(second).ok());
    EXPECT_TRUE(second.waitForEnd(5000));
    EXPECT_EQ(lines.opened, 2);
    EXPECT_TRUE(link.waitForReaders(5000));
    EXPECT_TRUE(link.stopDownloadLink());  // still recorded after its end
    EXPECT_FALSE(link.stopDownloadLink()); // released by the first stop
}

TEST(DeviceLinkOpen, RunningLiveReaderIsStoppedBeforeTheNextLink) {
    Lines lines;
    DeviceLink link(port("/dev/ttyUSB2"), lines.opener(), kLive);
    EventSink live;
    ASSERT_TRUE(link.openLiveLink(live).ok());
    EXPECT_EQ(link.state().portNumber.load(), 2);
    EXPECT_TRUE(link.state().portInUse.load());
    EventSink download;
    EXPECT_TRUE(link.openDownloadLink(download).ok());
    EXPECT_TRUE(live.waitForEnd(100)); // ended before the new link took the port
    EXPECT_TRUE(live.messages().empty());
    EXPECT_TRUE(download.waitForEnd(5000));
}

TEST(DeviceLinkStop, StopEndsTheLiveLinkNormally) {
    Lines lines;
    DeviceLink link(port("/dev/ttyUSB5"), lines.opener(), kLive);
    EventSink sink;
    ASSERT_TRUE(link.openLiveLink(sink).ok());
    EXPECT_TRUE(link.stopLiveLink());
    EXPECT_FALSE(link.stopLiveLink());
    EXPECT_FALSE(link.stopDownloadLink());
    ASSERT_TRUE(sink.waitForEnd(5000));
    EXPECT_TRUE(sink.messages().empty());
    EXPECT_TRUE(link.waitForReaders(5000));
    EXPECT_EQ(link.state().portNumber.load(), -1);
    EXPECT_FALSE(link.state().portInUse.load());
}

TEST(PortRemoval, OnlyThePortInUseCounts) {
    Lines lines;
    DeviceLink link(port("/dev/ttyUSB4"), lines.opener(), kLive);
    // No link: no refresh, whatever port goes.
    EXPECT_FALSE(link.onPortRemoved(QStringLiteral("/dev/ttyUSB4")));
    EventSink sink;
    ASSERT_TRUE(link.openLiveLink(sink).ok());
    EXPECT_FALSE(link.onPortRemoved(QStringLiteral("/dev/ttyUSB3")));
    EXPECT_EQ(link.state().portNumber.load(), 4);
    EXPECT_FALSE(link.state().portRemoved.load());
    EXPECT_TRUE(link.onPortRemoved(QStringLiteral("/dev/ttyUSB4")));
    EXPECT_TRUE(link.state().portRemoved.load());
    // After the port in use went, any removal refreshes.
    EXPECT_TRUE(link.onPortRemoved(QStringLiteral("/dev/ttyS0")));
    // Removal does not stop the link; its end clears the mark.
    EXPECT_TRUE(link.stopLiveLink());
    ASSERT_TRUE(sink.waitForEnd(5000));
    link.waitForReaders(5000);
    EXPECT_FALSE(link.state().portRemoved.load());
    EXPECT_FALSE(link.onPortRemoved(QStringLiteral("/dev/ttyUSB4")));
}

TEST(PortRemoval, PortZeroIsAPortLikeAnyOther) {
    Lines lines;
    DeviceLink link(port("/dev/ttyUSB0"), lines.opener(), kLive);
    EventSink sink;
    ASSERT_TRUE(link.openLiveLink(sink).ok());
    EXPECT_EQ(link.state().portNumber.load(), 0);
    EXPECT_FALSE(link.onPortRemoved(QStringLiteral("/dev/ttyUSB1")));
    EXPECT_TRUE(link.onPortRemoved(QStringLiteral("/dev/ttyUSB0")));
    link.stopLiveLink();
    EXPECT_TRUE(link.waitForReaders(5000)); // the sink must outlive the reader
}
