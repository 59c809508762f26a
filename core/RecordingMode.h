#pragma once

#include <cstdint>

namespace vantora {

// The recording kind a page works on: none chosen yet, Continuous or Snap.
// The numbers are the ones files hold; code passes the type, never a number.
enum class RecordingMode : int32_t { None = 0, Continuous = 1, Snap = 2 };

// The number a file holds for the mode.
constexpr int32_t toInt(RecordingMode mode) {
    return static_cast<int32_t>(mode);
}

} // namespace vantora
