#pragma once

#include "device/SerialLine.h"

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <vector>

namespace vantora {

// SerialLine kept in memory: bytes fed by a test (or by a responder that sees
// every write) are read back in order. Safe to feed from another thread.
class MemoryLine : public SerialLine {
public:
    using Responder = std::function<void(MemoryLine&, const uint8_t*, int)>;

    // Bytes that arrive as if the recorder had sent them.
    void feed(const uint8_t* data, int n);
    void feed(const std::vector<uint8_t>& bytes) { feed(bytes.data(), int(bytes.size())); }
    // Bytes that arrive at the end of the n-th silent wait (counted from the
    // start), so a test can place them exactly after n silent reads.
    void feedAfterSilentWaits(int n, const std::vector<uint8_t>& bytes);
    // Called (outside the lock) with every write, to answer commands.
    void setResponder(Responder r) { responder_ = std::move(r); }
    // The port disappears: every later call fails.
    void vanish();
    // Everything written so far.
    std::vector<uint8_t> written() const;
    int purges() const;
    // Waits for input that ended without any (silent reads).
    int silentWaits() const;

    bool isOpen() const override;
    void close() override;
    int bytesWaiting() override;
    int read(uint8_t* data, int max) override;
    int write(const uint8_t* data, int n) override;
    void purge() override;
    bool waitForInput(int timeoutMs) override;
    bool drain(int) override { return isOpen(); }

private:
    mutable std::mutex mutex_;
    std::condition_variable arrived_;
    std::deque<uint8_t> input_;
    std::vector<uint8_t> written_;
    Responder responder_;
    bool open_ = true;
    bool failed_ = false;
    int purges_ = 0;
    int silentWaits_ = 0;
    int pendingAfter_ = -1;
    std::vector<uint8_t> pending_;
};

} // namespace vantora
