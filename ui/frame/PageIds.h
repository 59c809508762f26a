#pragma once

#include "core/StringIds.h"

namespace vantora {

// Page ids of the main frame. A page is created as the frame's child with its id;
// 32785 and 32786 build the replay and Snap data pages under the command's id.
namespace page {
constexpr int kHome = 101;
constexpr int kRealTime = 158;
constexpr int kSnapData = 1000;
constexpr int kRecordManagement = 1001;
constexpr int kReplay = 1002;
constexpr int kAnalysis = 1007;
constexpr int kTrend = 1010; // ours: the trend of a Continuous store
constexpr int kReplayByCommand = ids::kCmdContinuous;
constexpr int kSnapDataByCommand = ids::kCmdSnap;
constexpr int kNone = 0;

// The page class a page id builds: 32785 is the replay page, 32786 the Snap data page.
constexpr int classOf(int pageId) {
    return pageId == kReplayByCommand ? kReplay : pageId == kSnapDataByCommand ? kSnapData : pageId;
}
} // namespace page

} // namespace vantora
