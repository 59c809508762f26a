#pragma once

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
constexpr int kReplayByCommand = 32785;
constexpr int kSnapDataByCommand = 32786;
constexpr int kNone = 0;

// The page class a page id builds: 32785 is the replay page, 32786 the Snap data page.
constexpr int classOf(int pageId) {
    return pageId == kReplayByCommand ? kReplay : pageId == kSnapDataByCommand ? kSnapData : pageId;
}
} // namespace page

// Command ids of the frame's toolbars.
namespace cmd {
constexpr int kHome = 32771;
constexpr int kSnapData = 32772;
constexpr int kReplay = 32773;
constexpr int kRecordManagement = 32774;
constexpr int kAnalysis = 32775;
constexpr int kPatientManager = 32776;
constexpr int kHelp = 32777;
constexpr int kAbout = 32778;
constexpr int kPrint = 32779;
constexpr int kSavePicture = 32780;
constexpr int kMailPicture = 32781;
constexpr int kPrintPreview = 32782;
constexpr int kContinuous = 32785;
constexpr int kSnap = 32786;
constexpr int kRealTime = 32787;
constexpr int kExit = 57665;
} // namespace cmd

} // namespace vantora
