#pragma once

#include "device/LinkPort.h"
#include "device/LinkSink.h"
#include "device/ReaderOutcome.h"

#include <atomic>

namespace vantora {

// The live side of the recorder's protocol: the recorder streams one 15-byte
// frame per four samples (62.5 frames/s); each frame with a good checksum is
// decoded into an ACQ_PACKET and delivered. Ends with an error after 11 silent
// reads in a row for a frame start (about 12 s), 3 for the rest of a frame,
// 100 foreign bytes, or 301 frames in a row without signal. Tested in
// LiveLinkTest against the simulated recorder and an in-memory line.
class LiveReader {
public:
    LiveReader(LinkPort& port, LinkSink& sink, std::atomic<int>& running, int pauseMs = 100);

    ReaderOutcome run();

private:
    enum class Step { Continue, Error, Finished };

    Step readFrame();
    // Reads n bytes, retrying after silence while the budget lasts.
    Step readWithRetries(uint8_t* data, int n, int& failures, int maxFailures);
    Step deliver(const uint8_t* frame);

    LinkPort& port_;
    LinkSink& sink_;
    std::atomic<int>& running_;
    int pauseMs_;
    int garbage_ = 0;
    int invalidFrames_ = 0;
    int droppedFrames_ = 0; // in a row
};

} // namespace vantora
