#pragma once

#include "device/LinkPort.h"
#include "device/LinkSink.h"
#include "device/ReaderOutcome.h"

#include <atomic>
#include <vector>

namespace vantora {

// The download side of the recorder's protocol: hello, information, record
// count, record table, one header per table entry, then the 15 blocks of every
// entry. Replies are matched byte by byte; a missing or corrupt reply makes the
// current command be sent again (LinkPort's resend guard bounds it), and 100
// foreign bytes in a row end the link. Tested against the simulated recorder
// in DownloadLinkTest.
class DownloadReader {
public:
    DownloadReader(LinkPort& port, LinkSink& sink, std::atomic<int>& running);

    ReaderOutcome run();

private:
    enum class Step { Continue, Error, Finished };

    Step matchReply();
    Step countGarbage();
    Step resend();
    void sendNew(const wire::CommandFrame& frame);

    Step onHello();
    Step onInformation();
    Step onCount();
    Step onTable();
    Step onHeader();
    Step onData();
    Step finish(int messageId);
    int chunkOf(int cursor) const;

    LinkPort& port_;
    LinkSink& sink_;
    std::atomic<int>& running_;
    wire::CommandFrame current_;
    int garbage_ = 0;
    int count_ = 0;
    std::vector<wire::TableEntry> table_;
    int headerCursor_ = 0;
    int dataCursor_ = 0;
};

} // namespace vantora
