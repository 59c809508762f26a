#pragma once

#include <cstdint>
#include <functional>
#include <optional>

namespace vantora {

// What the frame knows when it decides whether a command is enabled.
struct FrameSituation {
    int activePage = 0; // page class of the active view (page::classOf), 0: none
    int32_t recordingMode = 0;
    bool hasRecord = false; // the active page's m_bHasRecord
    // Whether a page class can be built (its page is registered with the frame).
    std::function<bool(int pageClass)> pageAvailable;
};

// The target page a command switches to, if it switches at all.
std::optional<int> commandTargetPage(int command);

// Enabling rule of each frame command. Commands that only switch to a page are
// disabled while that page is not available; the two mode commands stay
// enabled and then only change the mode. Unknown commands: std::nullopt.
std::optional<bool> commandEnabled(int command, const FrameSituation& s);

} // namespace vantora
