#pragma once

#include "tools/sim/SimConfig.h"
#include "tools/sim/SimRecordings.h"

#include <array>
#include <atomic>
#include <chrono>
#include <functional>
#include <vector>

namespace vantora::sim {

// The recorder's side of the link, on the master side of a pseudo-terminal:
// answers the download commands from its stored recordings, or streams live
// frames, with the faults its configuration asks for. Kept apart from the
// pseudo-terminal so tests can run it in a thread of their own.
class RecorderSim {
public:
    explicit RecorderSim(SimConfig config);

    // Called when the port shall disappear (the owner closes the terminal).
    void setVanishHandler(std::function<void()> handler) { vanish_ = std::move(handler); }

    // Serves on fd until stop is set, the port has vanished or fd fails.
    void serve(int fd, const std::atomic<bool>& stop);

    const std::vector<SimEntry>& entries() const { return entries_; }
    int commandsReceived(uint8_t code) const;
    int framesSent() const { return framesSent_.load(); }
    long long bytesSent() const { return bytesSent_.load(); }
    bool vanished() const { return vanished_.load(); }

private:
    enum class WriteEnd { Done, Abandoned, Failed };

    void serveCommands();
    void serveLive();
    // Switched on: true when a command arrived (and was answered).
    bool commandArrived();
    bool readInput(); // false when fd failed
    bool takeCommand(uint8_t& code, uint8_t& param);
    void answer(uint8_t code, uint8_t param);
    std::vector<uint8_t> reply(uint8_t code, uint8_t param) const;
    SimFault* activeFault(uint8_t code);
    WriteEnd writeAll(const std::vector<uint8_t>& bytes, bool abandonOnInput);
    void pace(size_t bytesSoFar, std::chrono::steady_clock::time_point start) const;
    void vanish();

    SimConfig config_;
    std::vector<SimEntry> entries_;
    LiveSource live_;
    std::function<void()> vanish_;
    int fd_ = -1;
    const std::atomic<bool>* stop_ = nullptr;
    std::vector<uint8_t> input_;
    std::array<std::atomic<int>, 6> received_{};
    std::atomic<int> framesSent_{0};
    std::atomic<long long> bytesSent_{0};
    std::atomic<bool> vanished_{false};
    long long dataBytesSent_ = 0;
};

} // namespace vantora::sim
