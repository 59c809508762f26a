#include "core/RecordingMode.h"

#include <gtest/gtest.h>

#include <climits>

using namespace vantora;

// A stored number names a mode only when it is one of the three; every other
// number is refused, and each mode goes back to the number files hold.
TEST(RecordingMode, StoredNumbersConvertOnlyWhenTheyNameAMode) {
    const struct {
        int stored;
        std::optional<RecordingMode> mode;
    } cases[] = {
        {0, RecordingMode::None}, {1, RecordingMode::Continuous},
        {2, RecordingMode::Snap}, {-1, std::nullopt},
        {3, std::nullopt},        {255, std::nullopt},
        {INT_MIN, std::nullopt},  {INT_MAX, std::nullopt},
    };
    for (const auto& c : cases) {
        const std::optional<RecordingMode> mode = recordingModeFrom(c.stored);
        EXPECT_EQ(mode, c.mode) << c.stored;
        if (mode) {
            EXPECT_EQ(toInt(*mode), c.stored);
        }
    }
}
