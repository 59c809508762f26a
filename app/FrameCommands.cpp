#include "app/FrameCommands.h"

#include "app/DataPaths.h"
#include "app/PageIds.h"

namespace vantora {

std::optional<int> commandTargetPage(int command) {
    switch (command) {
    case cmd::kHome:
        return page::kHome;
    case cmd::kSnapData:
        return page::kSnapData;
    case cmd::kReplay:
        return page::kReplay;
    case cmd::kRecordManagement:
        return page::kRecordManagement;
    case cmd::kAnalysis:
        return page::kAnalysis;
    case cmd::kContinuous:
        return page::kReplayByCommand;
    case cmd::kSnap:
        return page::kSnapDataByCommand;
    case cmd::kRealTime:
        return page::kRealTime;
    default:
        return std::nullopt;
    }
}

namespace {

bool available(const FrameSituation& s, int pageId) {
    return !s.pageAvailable || s.pageAvailable(page::classOf(pageId));
}

// Rule of the command itself, before page availability.
std::optional<bool> baseRule(int command, const FrameSituation& s) {
    const int active = s.activePage;
    const bool modeSet = s.recordingMode != kModeNone;
    switch (command) {
    case cmd::kHome:
        return active != page::kHome;
    case cmd::kSnapData:
        return s.recordingMode == kModeSnap && active != page::kSnapData;
    case cmd::kReplay:
        return modeSet && active != page::kReplay;
    case cmd::kRecordManagement:
        return modeSet && active != page::kRecordManagement;
    case cmd::kAnalysis:
        return modeSet && active != page::kAnalysis;
    case cmd::kPatientManager:
    case cmd::kHelp:
    case cmd::kAbout:
    case cmd::kExit:
        return true;
    case cmd::kContinuous:
        return s.recordingMode != kModeContinuous;
    case cmd::kSnap:
        return s.recordingMode != kModeSnap;
    case cmd::kRealTime:
        return active != page::kRealTime;
    case cmd::kPrint:
    case cmd::kPrintPreview:
        return active != page::kNone && s.hasRecord;
    case cmd::kSavePicture:
    case cmd::kMailPicture:
        return active == page::kAnalysis && s.hasRecord;
    default:
        return std::nullopt;
    }
}

} // namespace

std::optional<bool> commandEnabled(int command, const FrameSituation& s) {
    const std::optional<bool> rule = baseRule(command, s);
    if (!rule || !*rule)
        return rule;
    const std::optional<int> target = commandTargetPage(command);
    const bool modeCommand = command == cmd::kContinuous || command == cmd::kSnap;
    if (target && !modeCommand && !available(s, *target))
        return false;
    return true;
}

} // namespace vantora
