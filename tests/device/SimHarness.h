#pragma once

#include "device/DeviceLink.h"
#include "tools/sim/PseudoTerminal.h"
#include "tools/sim/RecorderSim.h"

#include <atomic>
#include <thread>

namespace vantora::test {

// The simulated recorder on a real pseudo-terminal, served from a thread of
// the test, and a DeviceLink that finds it as its port.
class SimHarness {
public:
    explicit SimHarness(const sim::SimConfig& config, bool startNow = true) : sim_(config) {
        opened_ = pty_.open();
        sim_.setVanishHandler([this] { pty_.close(); });
        if (startNow)
            start();
    }
    ~SimHarness() {
        stop_.store(true);
        if (thread_.joinable())
            thread_.join();
    }
    void start() {
        thread_ = std::thread([this] { sim_.serve(pty_.masterFd(), stop_); });
    }
    bool opened() const { return opened_; }
    QString path() const { return path_.isEmpty() ? pty_.slavePath() : path_; }
    sim::RecorderSim& sim() { return sim_; }
    DeviceLink::PortFinder finder() {
        path_ = pty_.slavePath();
        return [p = path_] { return std::optional<QString>(p); };
    }

private:
    sim::RecorderSim sim_;
    sim::PseudoTerminal pty_;
    std::atomic<bool> stop_{false};
    std::thread thread_;
    QString path_;
    bool opened_ = false;
};

} // namespace vantora::test
