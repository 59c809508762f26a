#pragma once

#include "device/SerialLine.h"
#include "device/WireProtocol.h"

#include <memory>

namespace vantora {

// Pauses and time-outs of the link, in milliseconds. Tests shorten them only
// where they count attempts, not time.
struct LinkTiming {
    int silenceMs = 1000;    // a read gives up after this much silence
    int pieceMs = 100;       // pause after each piece of a longer read
    int writeMs = 500;       // wait for a command write to complete
    int sendPauseMs = 50;    // pause after a new command
    int resendPauseMs = 100; // pause after a resent command
    int infoDrainMs = 1000;  // drain wait after the information request
};

// The serial line as one reader sees it for the life of a link: exact reads,
// command sends and the resend guard. Owned and used by the reader thread.
class LinkPort {
public:
    explicit LinkPort(std::unique_ptr<SerialLine> line, LinkTiming timing = {});

    bool isOpen() const { return line_ && line_->isOpen(); }
    void close();
    SerialLine* line() { return line_.get(); }

    // True when exactly n bytes were read into data. False after timing's
    // silence where more bytes were needed, when the line is closed or has
    // failed, or when data is missing.
    bool readExact(uint8_t* data, int n);
    // The send step of a new command: purge both directions, write, wait for
    // the line to drain (only the information request is awaited), pause.
    void send(const wire::CommandFrame& frame);
    // Sends frame again, at most four times in a row for the same frame:
    // the next repeat is refused (false), as is any send on a closed or failed line.
    bool sendCommand(const wire::CommandFrame& frame);
    void purge();

private:
    bool transmit(const wire::CommandFrame& frame);

    std::unique_ptr<SerialLine> line_;
    LinkTiming timing_;
    wire::CommandFrame lastCommand_;
    int repeatCount_ = 0;
};

} // namespace vantora
