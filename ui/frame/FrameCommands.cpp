#include "ui/frame/FrameCommands.h"

#include "core/DataPaths.h"
#include "core/StringIds.h"
#include "ui/frame/PageIds.h"

namespace vantora {

std::optional<int> commandTargetPage(int command) {
    switch (command) {
    case ids::kCmdHome:
        return page::kHome;
    case ids::kCmdDownload:
        return page::kSnapData;
    case ids::kCmdReplay:
        return page::kReplay;
    case ids::kCmdRecords:
        return page::kRecordManagement;
    case ids::kCmdAnalysis:
        return page::kAnalysis;
    case ids::kCmdTrend:
        return page::kTrend;
    case ids::kCmdContinuous:
        return page::kReplayByCommand;
    case ids::kCmdSnap:
        return page::kSnapDataByCommand;
    case ids::kCmdRealTime:
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
    case ids::kCmdHome:
        return active != page::kHome;
    case ids::kCmdDownload:
        return s.recordingMode == RecordingMode::Snap && active != page::kSnapData;
    case ids::kCmdReplay:
        return modeSet && active != page::kReplay;
    case ids::kCmdRecords:
        return modeSet && active != page::kRecordManagement;
    case ids::kCmdAnalysis:
        return modeSet && active != page::kAnalysis;
    case ids::kCmdTrend:
        return s.recordingMode == RecordingMode::Continuous && active != page::kTrend;
    case ids::kCmdPatients:
    case ids::kCmdHelp:
    case ids::kCmdAbout:
    case ids::kCmdExit:
        return true;
    case ids::kCmdContinuous:
        return s.recordingMode != RecordingMode::Continuous;
    case ids::kCmdSnap:
        return s.recordingMode != RecordingMode::Snap;
    case ids::kCmdRealTime:
        return active != page::kRealTime;
    case ids::kCmdPrint:
    case ids::kCmdPreview:
        return active != page::kNone && s.hasRecord;
    case ids::kCmdPicture:
    case ids::kCmdMail:
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
    const bool modeCommand = command == ids::kCmdContinuous || command == ids::kCmdSnap;
    if (target && !modeCommand && !available(s, *target))
        return false;
    return true;
}

namespace {

// Why the rule of a command says no, once "already there" and page
// availability are ruled out.
int ruleNeed(int command) {
    switch (command) {
    case ids::kCmdDownload:
        return ids::kNeedsSnapMode;
    case ids::kCmdTrend:
        return ids::kTrendNeedsContinuousModeChoose;
    case ids::kCmdReplay:
    case ids::kCmdRecords:
    case ids::kCmdAnalysis:
        return ids::kNeedsMode;
    case ids::kCmdContinuous:
    case ids::kCmdSnap:
        return ids::kIsCurrentMode;
    case ids::kCmdPicture:
    case ids::kCmdMail:
        return ids::kNeedsAnalysedRecording;
    case ids::kCmdPrint:
    case ids::kCmdPreview:
        return ids::kNeedsRecording;
    default:
        return ids::kPageAlreadyShown;
    }
}

} // namespace

std::optional<int> commandNeed(int command, const FrameSituation& s) {
    const std::optional<bool> enabled = commandEnabled(command, s);
    if (!enabled || *enabled)
        return std::nullopt;
    const std::optional<int> target = commandTargetPage(command);
    const bool modeCommand = command == ids::kCmdContinuous || command == ids::kCmdSnap;
    if (target && !modeCommand) {
        if (s.activePage == page::classOf(*target))
            return ids::kPageAlreadyShown;
        if (!available(s, *target))
            return ids::kNotInThisVersion;
    }
    return ruleNeed(command);
}

RecordingMode shownMode(const FrameSituation& s) {
    if (s.recordingMode == RecordingMode::None && s.activePage == page::kAnalysis)
        return RecordingMode::Snap;
    return s.recordingMode;
}

bool commandChecked(int command, const FrameSituation& s) {
    return (command == ids::kCmdContinuous && shownMode(s) == RecordingMode::Continuous) ||
           (command == ids::kCmdSnap && shownMode(s) == RecordingMode::Snap);
}

int modeStatusText(const FrameSituation& s) {
    switch (shownMode(s)) {
    case RecordingMode::Continuous:
        return ids::kStatusContinuousMode;
    case RecordingMode::Snap:
        return ids::kStatusSnapMode;
    default:
        return 0;
    }
}

} // namespace vantora
