#pragma once

#include <atomic>

namespace vantora {

// The link state shared by the user-interface thread (open, stop, removal
// notices) and the running reader. The run flags are written by the stop
// operations and polled by the reader; the port number is cleared by the
// reader when its link ends.
struct LinkState {
    // Trailing number of the port's device name while a link uses it
    // (/dev/ttyUSB3 gives 3); -1 when no port is in use.
    std::atomic<int> portNumber{-1};
    // A link has the port open (its number may be -1 for names without digits).
    std::atomic<bool> portInUse{false};
    // The port in use was reported removed; cleared when a link ends or opens.
    // Kept apart from portNumber because Linux numbers ports from 0.
    std::atomic<bool> portRemoved{false};
    std::atomic<int> downloadRunning{0};
    std::atomic<int> liveRunning{0};
    int helloType = 1; // selects the hello frame and its reply
};

} // namespace vantora
