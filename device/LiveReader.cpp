#include "device/LiveReader.h"

#include <array>
#include <chrono>
#include <thread>

namespace vantora {

namespace {

constexpr int kGarbageLimit = 100;
constexpr int kStartFailures = 11; // silent reads for a frame start, about 12 s
constexpr int kFrameFailures = 4;  // the rest of a frame: more than 3 retries
constexpr int kInvalidLimit = 300; // frames without signal, about 4.8 s
constexpr int kDroppedLimit = 300; // frames in a row with a bad checksum, about 4.8 s

} // namespace

LiveReader::LiveReader(LinkPort& port, LinkSink& sink, std::atomic<int>& running, int pauseMs)
    : port_(port), sink_(sink), running_(running), pauseMs_(pauseMs) {}

ReaderOutcome LiveReader::run() {
    for (;;) {
        const Step step = readFrame();
        if (step == Step::Error)
            return ReaderOutcome::Error;
        if (step == Step::Finished)
            return ReaderOutcome::Normal;
    }
}

LiveReader::Step LiveReader::readWithRetries(uint8_t* data, int n, int& failures, int maxFailures) {
    while (!port_.readExact(data, n)) {
        if (++failures >= maxFailures)
            return Step::Error;
        // A stop request is honoured during silence too, so a stopped link
        // ends within one read instead of running into the error.
        if (running_.load() == 0)
            return Step::Finished;
        std::this_thread::sleep_for(std::chrono::milliseconds(pauseMs_));
    }
    return Step::Continue;
}

LiveReader::Step LiveReader::readFrame() {
    if (running_.load() == 0)
        return Step::Finished;
    uint8_t b = 0;
    int startFailures = 0;
    if (const Step s = readWithRetries(&b, 1, startFailures, kStartFailures); s != Step::Continue)
        return s;
    if (b != wire::kSync0)
        return ++garbage_ >= kGarbageLimit ? Step::Error : Step::Continue;
    int frameFailures = 0;
    if (const Step s = readWithRetries(&b, 1, frameFailures, kFrameFailures); s != Step::Continue)
        return s;
    if (b != wire::kSync1) {
        garbage_ = 1;
        return Step::Continue;
    }
    garbage_ = 0;
    std::array<uint8_t, wire::kLiveFrameBytes> frame{};
    if (const Step s =
            readWithRetries(frame.data(), int(frame.size()), frameFailures, kFrameFailures);
        s != Step::Continue)
        return s;
    return deliver(frame.data());
}

LiveReader::Step LiveReader::deliver(const uint8_t* frame) {
    const auto packet = wire::decodeLiveFrame(frame);
    // A bad checksum drops the frame; a line that sends nothing else (each
    // frame start resets the foreign-byte count) ends like one without signal.
    if (!packet)
        return ++droppedFrames_ > kDroppedLimit ? Step::Error : Step::Continue;
    droppedFrames_ = 0;
    if (packet->valid == 0) {
        if (++invalidFrames_ > kInvalidLimit) {
            invalidFrames_ = 0;
            return Step::Error;
        }
    } else {
        invalidFrames_ = 0;
    }
    sink_.livePacket(*packet);
    return Step::Continue;
}

} // namespace vantora
