#include "tools/sim/RecorderSim.h"

#include <algorithm>
#include <cerrno>
#include <thread>

#include <poll.h>
#include <unistd.h>

namespace vantora::sim {

namespace {

using Clock = std::chrono::steady_clock;
constexpr double kBytesPerSecond = 3840.0;                      // 38400 baud, 10 bits a byte
constexpr auto kFramePeriod = std::chrono::microseconds(16000); // 62.5 frames/s
constexpr size_t kPacedChunk = 32;                              // bytes written at once when paced
constexpr int kPollMs = 20;
constexpr uint8_t kGarbageByte = 0x33;
constexpr uint8_t kInfoBytes = 19;

} // namespace

RecorderSim::RecorderSim(SimConfig config)
    : config_(std::move(config)), entries_(makeEntries(config_)), live_(config_) {}

int RecorderSim::commandsReceived(uint8_t code) const {
    return code < received_.size() ? received_[code].load() : 0;
}

void RecorderSim::serve(int fd, const std::atomic<bool>& stop) {
    fd_ = fd;
    stop_ = &stop;
    if (config_.switchedOn) {
        while (!stop_->load() && !vanished_.load()) {
            serveLive();
            serveCommands();
        }
    } else if (config_.live) {
        serveLive();
    } else {
        serveCommands();
    }
}

bool RecorderSim::readInput() {
    uint8_t buf[256];
    for (;;) {
        const ssize_t n = ::read(fd_, buf, sizeof buf);
        if (n > 0) {
            input_.insert(input_.end(), buf, buf + n);
            continue;
        }
        // EIO while no one holds the other side open is not a failure.
        return n == 0 || errno == EAGAIN || errno == EINTR || errno == EIO;
    }
}

bool RecorderSim::takeCommand(uint8_t& code, uint8_t& param) {
    for (;;) {
        static constexpr uint8_t kSync[] = {wire::kSync0, wire::kSync1};
        const auto sync =
            std::search(input_.begin(), input_.end(), std::begin(kSync), std::end(kSync));
        input_.erase(input_.begin(), sync);
        if (input_.size() < 4)
            return false;
        const uint8_t c = input_[2];
        const size_t length = c < wire::kRecordHeader ? 4 : 5;
        if (input_.size() < length)
            return false;
        const bool checksumOk = length == 4 ? input_[3] == c : input_[4] == uint8_t(c + input_[3]);
        code = c;
        param = input_[3];
        input_.erase(input_.begin(), input_.begin() + long(length));
        if (c <= wire::kRecordData && checksumOk)
            return true;
    }
}

void RecorderSim::serveCommands() {
    auto lastCommand = Clock::now();
    const auto idleReturn = std::chrono::milliseconds(config_.idleReturnMs);
    while (!stop_->load() && !vanished_.load()) {
        if (config_.switchedOn && Clock::now() - lastCommand > idleReturn)
            return; // the station is done with the download

        pollfd p{fd_, POLLIN, 0};
        const int r = ::poll(&p, 1, kPollMs);
        if (r > 0 && (p.revents & POLLIN) != 0 && !readInput())
            return;
        if (r > 0 && (p.revents & POLLIN) == 0)
            std::this_thread::sleep_for(std::chrono::milliseconds(kPollMs)); // no one on the line
        uint8_t code = 0;
        uint8_t param = 0;
        while (!vanished_.load() && takeCommand(code, param)) {
            ++received_[code];
            answer(code, param);
            lastCommand = Clock::now();
        }
    }
}

bool RecorderSim::commandArrived() {
    uint8_t code = 0;
    uint8_t param = 0;
    if (!takeCommand(code, param))
        return false;
    ++received_[code];
    answer(code, param);
    return true;
}

SimFault* RecorderSim::activeFault(uint8_t code) {
    for (SimFault& f : config_.faults) {
        if (f.code == code && f.times > 0)
            return &f;
    }
    return nullptr;
}

void RecorderSim::answer(uint8_t code, uint8_t param) {
    SimFault* fault = activeFault(code);
    if (fault != nullptr)
        --fault->times;
    if (fault != nullptr && fault->kind == SimFault::Kind::Silence)
        return;
    if (fault != nullptr && fault->kind == SimFault::Kind::Garbage) {
        writeAll(std::vector<uint8_t>(size_t(fault->garbageBytes), kGarbageByte), true);
        return;
    }
    std::vector<uint8_t> bytes = reply(code, param);
    if (bytes.empty())
        return; // an id the table does not hold: the recorder stays silent
    if (fault != nullptr && fault->kind == SimFault::Kind::BadChecksum)
        ++bytes[code == wire::kHello ? 3 : bytes.size() - 3];
    writeAll(bytes, true);
}

std::vector<uint8_t> RecorderSim::reply(uint8_t code, uint8_t param) const {
    const auto entry = std::find_if(entries_.begin(), entries_.end(),
                                    [param](const SimEntry& e) { return e.id == param; });
    switch (code) {
    case wire::kHello:
        return {wire::kSync0, wire::kSync1, 0x00, 0x00};
    case wire::kInformation: {
        std::vector<uint8_t> info(kInfoBytes);
        for (uint8_t i = 0; i < kInfoBytes; ++i)
            info[i] = uint8_t(0x40 + i);
        return wire::encodeReply(code, info);
    }
    case wire::kRecordCount:
        return wire::encodeReply(code, {uint8_t(entries_.size()), 0x1D, 0x5B});
    case wire::kRecordTable: {
        std::vector<uint8_t> table;
        for (const SimEntry& e : entries_) {
            table.push_back(e.recordNumber);
            table.push_back(e.id);
        }
        return wire::encodeReply(code, table);
    }
    case wire::kRecordHeader:
        return entry == entries_.end() ? std::vector<uint8_t>()
                                       : wire::encodeReply(code, wire::headerBody(entry->header));
    default: {
        if (entry == entries_.end())
            return {};
        std::vector<uint8_t> body;
        body.reserve(wire::kChunkBytes);
        for (const SampleBlock& b : entry->blocks)
            body.insert(body.end(), b.bytes.begin(), b.bytes.end());
        return wire::encodeReply(code, body);
    }
    }
}

void RecorderSim::pace(size_t bytesSoFar, Clock::time_point start) const {
    if (!config_.paced)
        return;
    const auto due = start + std::chrono::microseconds(static_cast<long long>(
                                 double(bytesSoFar) * 1e6 / kBytesPerSecond));
    std::this_thread::sleep_until(due);
}

RecorderSim::WriteEnd RecorderSim::writeAll(const std::vector<uint8_t>& bytes,
                                            bool abandonOnInput) {
    const auto start = Clock::now();
    const bool data = bytes.size() > 3 && bytes[2] == wire::kRecordData;
    size_t done = 0;
    while (done < bytes.size()) {
        if (stop_->load())
            return WriteEnd::Abandoned;
        size_t chunk = std::min(bytes.size() - done, config_.paced ? kPacedChunk : bytes.size());
        if (data && config_.vanishAfterDataBytes >= 0) {
            const long long left = config_.vanishAfterDataBytes - dataBytesSent_;
            if (left <= 0) {
                vanish();
                return WriteEnd::Failed;
            }
            chunk = std::min(chunk, size_t(left));
        }
        pace(done, start);
        pollfd p{fd_, short(POLLOUT | (abandonOnInput ? POLLIN : 0)), 0};
        if (::poll(&p, 1, kPollMs) <= 0)
            continue;
        // The program has sent a new command: it no longer waits for this reply.
        if (abandonOnInput && (p.revents & POLLIN) != 0)
            return WriteEnd::Abandoned;
        if ((p.revents & POLLOUT) == 0)
            continue;
        const ssize_t n = ::write(fd_, bytes.data() + done, chunk);
        if (n < 0 && errno != EAGAIN && errno != EINTR)
            return WriteEnd::Failed;
        if (n > 0) {
            done += size_t(n);
            bytesSent_ += n;
            if (data)
                dataBytesSent_ += n;
        }
    }
    return WriteEnd::Done;
}

void RecorderSim::vanish() {
    vanished_.store(true);
    if (vanish_)
        vanish_();
}

void RecorderSim::serveLive() {
    auto due = Clock::now() - kFramePeriod * config_.backlogFrames;
    config_.backlogFrames = 0; // once: a return to live after a download starts afresh
    while (!stop_->load()) {
        if (!readInput())
            return;
        if (config_.switchedOn && commandArrived())
            return; // a download begins
        if (!config_.switchedOn)
            input_.clear(); // the program sends nothing on a live link
        const bool more = config_.liveFrames < 0 || framesSent_.load() < config_.liveFrames;
        if (!more) {
            std::this_thread::sleep_for(std::chrono::milliseconds(kPollMs));
            continue;
        }
        if (config_.paced) {
            std::this_thread::sleep_until(due);
            due += kFramePeriod;
        }
        const std::vector<uint8_t> frame = wire::encodeLiveFrame(live_.next());
        if (writeAll(frame, false) != WriteEnd::Done)
            return;
        ++framesSent_;
        dataBytesSent_ += static_cast<long long>(frame.size());
        if (config_.vanishAfterDataBytes >= 0 && dataBytesSent_ >= config_.vanishAfterDataBytes) {
            vanish();
            return;
        }
    }
}

} // namespace vantora::sim
