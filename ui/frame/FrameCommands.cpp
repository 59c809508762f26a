#include "ui/frame/FrameCommands.h"

#include "core/DataPaths.h"
#include "ui/frame/PageIds.h"

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
    const bool modeSet = s.recordingMode != RecordingMode::None;
    switch (command) {
    case cmd::kHome:
        return active != page::kHome;
    case cmd::kSnapData:
        return s.recordingMode == RecordingMode::Snap && active != page::kSnapData;
    case cmd::kReplay:
        return modeSet && active != page::kReplay;
    case cmd::kRecordManagement:
        return modeSet && active != page::kRecordManagement;
    case cmd::kAnalysis:
        return active != page::kAnalysis;
    case cmd::kPatientManager:
    case cmd::kHelp:
    case cmd::kAbout:
    case cmd::kExit:
        return true;
    case cmd::kContinuous:
        return s.recordingMode != RecordingMode::Continuous;
    case cmd::kSnap:
        return s.recordingMode != RecordingMode::Snap;
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

namespace {

// Why the rule of a command says no, once "already there" and page
// availability are ruled out.
int ruleNeed(int command) {
    switch (command) {
    case cmd::kSnapData:
        return frametext::kNeedsSnap;
    case cmd::kReplay:
    case cmd::kRecordManagement:
        return frametext::kNeedsMode;
    case cmd::kContinuous:
    case cmd::kSnap:
        return frametext::kIsCurrentMode;
    case cmd::kSavePicture:
    case cmd::kMailPicture:
        return frametext::kAnalysedRecord;
    case cmd::kPrint:
    case cmd::kPrintPreview:
        return frametext::kRecordShown;
    default:
        return frametext::kPageShown;
    }
}

} // namespace

std::optional<int> commandNeed(int command, const FrameSituation& s) {
    const std::optional<bool> enabled = commandEnabled(command, s);
    if (!enabled || *enabled)
        return std::nullopt;
    const std::optional<int> target = commandTargetPage(command);
    const bool modeCommand = command == cmd::kContinuous || command == cmd::kSnap;
    if (target && !modeCommand) {
        if (s.activePage == page::classOf(*target))
            return frametext::kPageShown;
        if (!available(s, *target))
            return frametext::kPageNotBuilt;
    }
    return ruleNeed(command);
}

RecordingMode shownMode(const FrameSituation& s) {
    if (s.recordingMode == RecordingMode::None && s.activePage == page::kAnalysis)
        return RecordingMode::Snap;
    return s.recordingMode;
}

bool commandChecked(int command, const FrameSituation& s) {
    return (command == cmd::kContinuous && shownMode(s) == RecordingMode::Continuous) ||
           (command == cmd::kSnap && shownMode(s) == RecordingMode::Snap);
}

int modeStatusText(const FrameSituation& s) {
    switch (shownMode(s)) {
    case RecordingMode::Continuous:
        return frametext::kContinuousMode;
    case RecordingMode::Snap:
        return frametext::kSnapMode;
    default:
        return 0;
    }
}

} // namespace vantora
