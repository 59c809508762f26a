#include "device/LinkPort.h"

#include <algorithm>
#include <chrono>
#include <thread>

namespace vantora {

namespace {

constexpr int kMaxRepeats = 3; // the fourth resend is the last one sent

void pause(int ms) {
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

} // namespace

LinkPort::LinkPort(std::unique_ptr<SerialLine> line, LinkTiming timing)
    : line_(std::move(line)), timing_(timing) {}

void LinkPort::close() {
    if (line_)
        line_->close();
}

bool LinkPort::readExact(uint8_t* data, int n) {
    if (n < 1 || data == nullptr || !isOpen())
        return false;
    int got = 0;
    for (;;) {
        const int waiting = line_->bytesWaiting();
        if (waiting < 0)
            return false;
        if (waiting == 0) {
            if (!line_->waitForInput(timing_.silenceMs))
                return false;
            continue;
        }
        const int k = line_->read(data + got, std::min(n - got, waiting));
        if (k < 0)
            return false;
        got += k;
        if (got >= n)
            return true;
        pause(timing_.pieceMs);
    }
}

bool LinkPort::transmit(const wire::CommandFrame& frame) {
    if (!isOpen())
        return false;
    line_->purge();
    const int n = frame.wireLength();
    if (line_->write(frame.bytes.data(), n) != n)
        return false;
    if (frame.code() == wire::kInformation)
        line_->drain(timing_.infoDrainMs);
    return true;
}

void LinkPort::send(const wire::CommandFrame& frame) {
    // A failed write is noticed by the reply that does not come.
    transmit(frame);
    pause(timing_.sendPauseMs);
}

bool LinkPort::sendCommand(const wire::CommandFrame& frame) {
    if (!isOpen())
        return false;
    if (frame == lastCommand_) {
        if (++repeatCount_ > kMaxRepeats) {
            repeatCount_ = 0;
            return false;
        }
    } else {
        repeatCount_ = 0;
        lastCommand_ = frame;
    }
    if (!transmit(lastCommand_))
        return false;
    pause(timing_.resendPauseMs);
    return true;
}

void LinkPort::purge() {
    if (isOpen())
        line_->purge();
}

} // namespace vantora
