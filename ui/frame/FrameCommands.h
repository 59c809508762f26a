#pragma once

#include "core/RecordingMode.h"

#include <cstdint>
#include <functional>
#include <optional>

namespace vantora {

// What the frame knows when it decides whether a command is enabled.
struct FrameSituation {
    int activePage = 0; // page class of the active view (page::classOf), 0: none
    RecordingMode recordingMode = RecordingMode::None;
    bool hasRecord = false; // the active page's m_bHasRecord
    // Whether a page class can be built (its page is registered with the frame).
    std::function<bool(int pageClass)> pageAvailable;
};

// The target page a command switches to, if it switches at all.
std::optional<int> commandTargetPage(int command);

// Enabling rule of each frame command. Commands that only switch to a page are
// disabled while that page is not available; the two mode commands stay
// enabled and then only change the mode. Analysis, like replay and records,
// needs a recording mode (the home page's own analysis button does not).
// Unknown commands: std::nullopt.
std::optional<bool> commandEnabled(int command, const FrameSituation& s);

// What a disabled command needs, as a resource string for its tooltip;
// std::nullopt while it is enabled (or unknown).
std::optional<int> commandNeed(int command, const FrameSituation& s);

// The kind of recordings the user works with: the mode, or Snap on an analysis
// page opened without one (that page then lists the Snap store).
RecordingMode shownMode(const FrameSituation& s);
// Whether the mode command shows checked: the command of the shown mode.
bool commandChecked(int command, const FrameSituation& s);
// The status bar's name of the shown mode, 0 when none.
int modeStatusText(const FrameSituation& s);

} // namespace vantora
