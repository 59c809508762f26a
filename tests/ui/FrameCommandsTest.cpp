#include "ui/frame/FrameCommands.h"
#include "core/DataPaths.h"
#include "core/StringIds.h"
#include "ui/frame/PageIds.h"

#include <gtest/gtest.h>

namespace vantora {
namespace {

FrameSituation at(int page, RecordingMode mode, bool hasRecord = false) {
    FrameSituation s;
    s.activePage = page;
    s.recordingMode = mode;
    s.hasRecord = hasRecord;
    return s;
}

bool enabled(int command, const FrameSituation& s) {
    return commandEnabled(command, s).value();
}

TEST(FrameCommandsTest, ModeCommandsFollowTheMode) {
    for (RecordingMode mode :
         {RecordingMode::None, RecordingMode::Continuous, RecordingMode::Snap}) {
        const FrameSituation s = at(page::kHome, mode);
        EXPECT_EQ(enabled(ids::kCmdContinuous, s), mode != RecordingMode::Continuous);
        EXPECT_EQ(enabled(ids::kCmdSnap, s), mode != RecordingMode::Snap);
        EXPECT_EQ(enabled(ids::kCmdReplay, s), mode != RecordingMode::None);
        EXPECT_EQ(enabled(ids::kCmdRecords, s), mode != RecordingMode::None);
        EXPECT_EQ(enabled(ids::kCmdAnalysis, s), mode != RecordingMode::None);
        EXPECT_EQ(enabled(ids::kCmdDownload, s), mode == RecordingMode::Snap);
    }
}

TEST(FrameCommandsTest, CommandOfTheActivePageIsDisabled) {
    EXPECT_FALSE(enabled(ids::kCmdHome, at(page::kHome, RecordingMode::None)));
    EXPECT_TRUE(enabled(ids::kCmdHome, at(page::kAnalysis, RecordingMode::Snap)));
    EXPECT_FALSE(enabled(ids::kCmdDownload, at(page::kSnapData, RecordingMode::Snap)));
    EXPECT_FALSE(enabled(ids::kCmdReplay, at(page::kReplay, RecordingMode::Continuous)));
    EXPECT_FALSE(enabled(ids::kCmdRecords, at(page::kRecordManagement, RecordingMode::Snap)));
    EXPECT_FALSE(enabled(ids::kCmdAnalysis, at(page::kAnalysis, RecordingMode::Snap)));
    EXPECT_FALSE(enabled(ids::kCmdRealTime, at(page::kRealTime, RecordingMode::None)));
    EXPECT_TRUE(enabled(ids::kCmdRealTime, at(page::kHome, RecordingMode::None)));
}

TEST(FrameCommandsTest, DialogsAndHelpAreAlwaysEnabled) {
    for (int page : {page::kNone, page::kHome, page::kAnalysis, page::kRealTime})
        for (int command : {ids::kCmdPatients, ids::kCmdHelp, ids::kCmdAbout, ids::kCmdExit})
            EXPECT_TRUE(enabled(command, at(page, RecordingMode::Snap)))
                << command << " on " << page;
}

TEST(FrameCommandsTest, PrintNeedsARecordAndPicturesTheAnalysisPage) {
    EXPECT_FALSE(enabled(ids::kCmdPrint, at(page::kReplay, RecordingMode::Snap, false)));
    EXPECT_TRUE(enabled(ids::kCmdPrint, at(page::kReplay, RecordingMode::Snap, true)));
    EXPECT_TRUE(enabled(ids::kCmdPreview, at(page::kRecordManagement, RecordingMode::Snap, true)));
    EXPECT_FALSE(enabled(ids::kCmdPrint, at(page::kNone, RecordingMode::Snap, true)));
    EXPECT_FALSE(enabled(ids::kCmdPicture, at(page::kReplay, RecordingMode::Snap, true)));
    EXPECT_FALSE(enabled(ids::kCmdMail, at(page::kAnalysis, RecordingMode::Snap, false)));
    EXPECT_TRUE(enabled(ids::kCmdPicture, at(page::kAnalysis, RecordingMode::Snap, true)));
    EXPECT_TRUE(enabled(ids::kCmdMail, at(page::kAnalysis, RecordingMode::Continuous, true)));
}

TEST(FrameCommandsTest, PagesNotBuiltDisableTheCommandsLeadingThere) {
    FrameSituation s = at(page::kHome, RecordingMode::Snap);
    s.pageAvailable = [](int pageClass) { return pageClass == page::kHome; };
    EXPECT_FALSE(enabled(ids::kCmdAnalysis, s));
    EXPECT_FALSE(enabled(ids::kCmdDownload, s));
    EXPECT_FALSE(enabled(ids::kCmdRealTime, s));
    // Mode commands still switch the mode.
    EXPECT_TRUE(enabled(ids::kCmdContinuous, s));
    EXPECT_FALSE(enabled(ids::kCmdSnap, s));
    s.pageAvailable = [](int pageClass) { return pageClass == page::kAnalysis; };
    EXPECT_TRUE(enabled(ids::kCmdAnalysis, s));
}

// Every disabled command names what it needs; enabled ones carry no need.
TEST(FrameCommandsTest, DisabledCommandsSayWhatTheyNeed) {
    const auto homeOnly = [](int pageClass) { return pageClass == page::kHome; };
    struct Case {
        int command;
        FrameSituation s;
        std::optional<int> need;
    };
    FrameSituation bare = at(page::kHome, RecordingMode::Snap);
    bare.pageAvailable = homeOnly;
    const Case cases[] = {
        {ids::kCmdHome, at(page::kHome, RecordingMode::None), ids::kPageAlreadyShown},
        {ids::kCmdAnalysis, at(page::kAnalysis, RecordingMode::None), ids::kPageAlreadyShown},
        {ids::kCmdAnalysis, bare, ids::kNotInThisVersion},
        {ids::kCmdAnalysis, at(page::kHome, RecordingMode::None), ids::kNeedsMode},
        {ids::kCmdAnalysis, at(page::kRealTime, RecordingMode::None), ids::kNeedsMode},
        {ids::kCmdAnalysis, at(page::kReplay, RecordingMode::Continuous), std::nullopt},
        {ids::kCmdDownload, at(page::kAnalysis, RecordingMode::Continuous), ids::kNeedsSnapMode},
        {ids::kCmdTrend, at(page::kAnalysis, RecordingMode::Continuous), std::nullopt},
        {ids::kCmdTrend, at(page::kAnalysis, RecordingMode::Snap),
         ids::kTrendNeedsContinuousModeChoose},
        {ids::kCmdTrend, at(page::kHome, RecordingMode::None),
         ids::kTrendNeedsContinuousModeChoose},
        {ids::kCmdTrend, at(page::kTrend, RecordingMode::Continuous), ids::kPageAlreadyShown},
        {ids::kCmdDownload, bare, ids::kNotInThisVersion},
        {ids::kCmdReplay, at(page::kAnalysis, RecordingMode::None), ids::kNeedsMode},
        {ids::kCmdRecords, at(page::kHome, RecordingMode::None), ids::kNeedsMode},
        {ids::kCmdRecords, at(page::kRecordManagement, RecordingMode::Snap),
         ids::kPageAlreadyShown},
        {ids::kCmdSnap, at(page::kHome, RecordingMode::Snap), ids::kIsCurrentMode},
        {ids::kCmdContinuous, at(page::kAnalysis, RecordingMode::Continuous), ids::kIsCurrentMode},
        {ids::kCmdContinuous, bare, std::nullopt},
        {ids::kCmdRealTime, at(page::kRealTime, RecordingMode::None), ids::kPageAlreadyShown},
        {ids::kCmdPrint, at(page::kReplay, RecordingMode::Snap, false), ids::kNeedsRecording},
        {ids::kCmdPreview, at(page::kNone, RecordingMode::Snap, true), ids::kNeedsRecording},
        {ids::kCmdPrint, at(page::kReplay, RecordingMode::Snap, true), std::nullopt},
        {ids::kCmdPicture, at(page::kReplay, RecordingMode::Snap, true),
         ids::kNeedsAnalysedRecording},
        {ids::kCmdMail, at(page::kAnalysis, RecordingMode::Snap, false),
         ids::kNeedsAnalysedRecording},
        {ids::kCmdPatients, at(page::kNone, RecordingMode::None), std::nullopt},
        {12345, at(page::kHome, RecordingMode::None), std::nullopt},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(commandNeed(c.command, c.s), c.need)
            << c.command << " on " << c.s.activePage << " in mode " << toInt(c.s.recordingMode);
        // A need exactly when the command is disabled.
        if (const auto on = commandEnabled(c.command, c.s)) {
            EXPECT_EQ(commandNeed(c.command, c.s).has_value(), !*on) << c.command;
        }
    }
}

// The mode the user works with is the checked mode command and the status text.
TEST(FrameCommandsTest, ShownModeIsCheckedAndNamed) {
    struct Case {
        int page;
        RecordingMode mode;
        bool continuousChecked;
        bool snapChecked;
        int status;
    };
    const Case cases[] = {
        {page::kHome, RecordingMode::None, false, false, 0},
        {page::kRealTime, RecordingMode::None, false, false, 0},
        {page::kHome, RecordingMode::Continuous, true, false, ids::kStatusContinuousMode},
        {page::kAnalysis, RecordingMode::Continuous, true, false, ids::kStatusContinuousMode},
        {page::kReplay, RecordingMode::Snap, false, true, ids::kStatusSnapMode},
        // Opened from the home page without a mode, the analysis page lists Snap.
        {page::kAnalysis, RecordingMode::None, false, true, ids::kStatusSnapMode},
    };
    for (const Case& c : cases) {
        const FrameSituation s = at(c.page, c.mode);
        EXPECT_EQ(commandChecked(ids::kCmdContinuous, s), c.continuousChecked)
            << c.page << toInt(c.mode);
        EXPECT_EQ(commandChecked(ids::kCmdSnap, s), c.snapChecked) << c.page << toInt(c.mode);
        EXPECT_FALSE(commandChecked(ids::kCmdAnalysis, s));
        EXPECT_EQ(modeStatusText(s), c.status) << c.page << toInt(c.mode);
    }
}

TEST(FrameCommandsTest, TargetsAndUnknownCommands) {
    EXPECT_EQ(commandTargetPage(ids::kCmdContinuous), page::kReplayByCommand);
    EXPECT_EQ(commandTargetPage(ids::kCmdSnap), page::kSnapDataByCommand);
    EXPECT_EQ(commandTargetPage(ids::kCmdAnalysis), page::kAnalysis);
    EXPECT_FALSE(commandTargetPage(ids::kCmdHelp).has_value());
    EXPECT_FALSE(commandEnabled(12345, at(page::kHome, RecordingMode::None)).has_value());
    EXPECT_EQ(page::classOf(page::kReplayByCommand), page::kReplay);
    EXPECT_EQ(page::classOf(page::kSnapDataByCommand), page::kSnapData);
    EXPECT_EQ(page::classOf(page::kAnalysis), page::kAnalysis);
}

} // namespace
} // namespace vantora
