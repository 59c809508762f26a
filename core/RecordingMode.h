#pragma once

#include <cstdint>
#include <optional>

namespace vantora {

// The recording kind a page works on: none chosen yet, Continuous or Snap.
// The numbers are the ones files hold; code passes the type, never a number.
enum class RecordingMode : int32_t { None = 0, Continuous = 1, Snap = 2 };

// The mode a stored number names, or nullopt for a number that names none:
// a damaged value is refused instead of being cast.
constexpr std::optional<RecordingMode> recordingModeFrom(int value) {
    switch (value) {
    case int(RecordingMode::None):
        return RecordingMode::None;
    case int(RecordingMode::Continuous):
        return RecordingMode::Continuous;
    case int(RecordingMode::Snap):
        return RecordingMode::Snap;
    default:
        return std::nullopt;
    }
}

// The number a file holds for the mode.
constexpr int32_t toInt(RecordingMode mode) {
    return static_cast<int32_t>(mode);
}

} // namespace vantora
