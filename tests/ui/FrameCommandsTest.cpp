#include "ui/frame/FrameCommands.h"
#include "core/DataPaths.h"
#include "core/StringIds.h"
#include "ui/frame/PageIds.h"

#include <gtest/gtest.h>

namespace vantora {
namespace {

FrameSituation at(int page, int32_t mode, bool hasRecord = false) {
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
    for (int32_t mode : {kModeNone, kModeContinuous, kModeSnap}) {
        const FrameSituation s = at(page::kHome, mode);
        EXPECT_EQ(enabled(ids::kCmdContinuous, s), mode != kModeContinuous);
        EXPECT_EQ(enabled(ids::kCmdSnap, s), mode != kModeSnap);
        EXPECT_EQ(enabled(ids::kCmdReplay, s), mode != kModeNone);
        EXPECT_EQ(enabled(ids::kCmdRecords, s), mode != kModeNone);
        EXPECT_TRUE(enabled(ids::kCmdAnalysis, s)); // as the home page's analysis button
        EXPECT_EQ(enabled(ids::kCmdDownload, s), mode == kModeSnap);
    }
}

TEST(FrameCommandsTest, CommandOfTheActivePageIsDisabled) {
    EXPECT_FALSE(enabled(ids::kCmdHome, at(page::kHome, kModeNone)));
    EXPECT_TRUE(enabled(ids::kCmdHome, at(page::kAnalysis, kModeSnap)));
    EXPECT_FALSE(enabled(ids::kCmdDownload, at(page::kSnapData, kModeSnap)));
    EXPECT_FALSE(enabled(ids::kCmdReplay, at(page::kReplay, kModeContinuous)));
    EXPECT_FALSE(enabled(ids::kCmdRecords, at(page::kRecordManagement, kModeSnap)));
    EXPECT_FALSE(enabled(ids::kCmdAnalysis, at(page::kAnalysis, kModeSnap)));
    EXPECT_FALSE(enabled(ids::kCmdRealTime, at(page::kRealTime, kModeNone)));
    EXPECT_TRUE(enabled(ids::kCmdRealTime, at(page::kHome, kModeNone)));
}

TEST(FrameCommandsTest, DialogsAndHelpAreAlwaysEnabled) {
    for (int page : {page::kNone, page::kHome, page::kAnalysis, page::kRealTime})
        for (int command : {ids::kCmdPatients, ids::kCmdHelp, ids::kCmdAbout, ids::kCmdExit})
            EXPECT_TRUE(enabled(command, at(page, kModeSnap))) << command << " on " << page;
}

TEST(FrameCommandsTest, PrintNeedsARecordAndPicturesTheAnalysisPage) {
    EXPECT_FALSE(enabled(ids::kCmdPrint, at(page::kReplay, kModeSnap, false)));
    EXPECT_TRUE(enabled(ids::kCmdPrint, at(page::kReplay, kModeSnap, true)));
    EXPECT_TRUE(enabled(ids::kCmdPreview, at(page::kRecordManagement, kModeSnap, true)));
    EXPECT_FALSE(enabled(ids::kCmdPrint, at(page::kNone, kModeSnap, true)));
    EXPECT_FALSE(enabled(ids::kCmdPicture, at(page::kReplay, kModeSnap, true)));
    EXPECT_FALSE(enabled(ids::kCmdMail, at(page::kAnalysis, kModeSnap, false)));
    EXPECT_TRUE(enabled(ids::kCmdPicture, at(page::kAnalysis, kModeSnap, true)));
    EXPECT_TRUE(enabled(ids::kCmdMail, at(page::kAnalysis, kModeContinuous, true)));
}

TEST(FrameCommandsTest, PagesNotBuiltDisableTheCommandsLeadingThere) {
    FrameSituation s = at(page::kHome, kModeSnap);
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
    FrameSituation bare = at(page::kHome, kModeSnap);
    bare.pageAvailable = homeOnly;
    const Case cases[] = {
        {ids::kCmdHome, at(page::kHome, kModeNone), ids::kPageAlreadyShown},
        {ids::kCmdAnalysis, at(page::kAnalysis, kModeNone), ids::kPageAlreadyShown},
        {ids::kCmdAnalysis, bare, ids::kNotInThisVersion},
        {ids::kCmdAnalysis, at(page::kHome, kModeNone), std::nullopt},
        {ids::kCmdDownload, at(page::kAnalysis, kModeContinuous), ids::kNeedsSnapMode},
        {ids::kCmdDownload, bare, ids::kNotInThisVersion},
        {ids::kCmdReplay, at(page::kAnalysis, kModeNone), ids::kNeedsMode},
        {ids::kCmdRecords, at(page::kHome, kModeNone), ids::kNeedsMode},
        {ids::kCmdRecords, at(page::kRecordManagement, kModeSnap), ids::kPageAlreadyShown},
        {ids::kCmdSnap, at(page::kHome, kModeSnap), ids::kIsCurrentMode},
        {ids::kCmdContinuous, at(page::kAnalysis, kModeContinuous), ids::kIsCurrentMode},
        {ids::kCmdContinuous, bare, std::nullopt},
        {ids::kCmdRealTime, at(page::kRealTime, kModeNone), ids::kPageAlreadyShown},
        {ids::kCmdPrint, at(page::kReplay, kModeSnap, false), ids::kNeedsRecording},
        {ids::kCmdPreview, at(page::kNone, kModeSnap, true), ids::kNeedsRecording},
        {ids::kCmdPrint, at(page::kReplay, kModeSnap, true), std::nullopt},
        {ids::kCmdPicture, at(page::kReplay, kModeSnap, true), ids::kNeedsAnalysedRecording},
        {ids::kCmdMail, at(page::kAnalysis, kModeSnap, false), ids::kNeedsAnalysedRecording},
        {ids::kCmdPatients, at(page::kNone, kModeNone), std::nullopt},
        {12345, at(page::kHome, kModeNone), std::nullopt},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(commandNeed(c.command, c.s), c.need)
            << c.command << " on " << c.s.activePage << " in mode " << c.s.recordingMode;
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
        int32_t mode;
        bool continuousChecked;
        bool snapChecked;
        int status;
    };
    const Case cases[] = {
        {page::kHome, kModeNone, false, false, 0},
        {page::kRealTime, kModeNone, false, false, 0},
        {page::kHome, kModeContinuous, true, false, ids::kStatusContinuousMode},
        {page::kAnalysis, kModeContinuous, true, false, ids::kStatusContinuousMode},
        {page::kReplay, kModeSnap, false, true, ids::kStatusSnapMode},
        // Opened from the home page without a mode, the analysis page lists Snap.
        {page::kAnalysis, kModeNone, false, true, ids::kStatusSnapMode},
    };
    for (const Case& c : cases) {
        const FrameSituation s = at(c.page, c.mode);
        EXPECT_EQ(commandChecked(ids::kCmdContinuous, s), c.continuousChecked) << c.page << c.mode;
        EXPECT_EQ(commandChecked(ids::kCmdSnap, s), c.snapChecked) << c.page << c.mode;
        EXPECT_FALSE(commandChecked(ids::kCmdAnalysis, s));
        EXPECT_EQ(modeStatusText(s), c.status) << c.page << c.mode;
    }
}

TEST(FrameCommandsTest, TargetsAndUnknownCommands) {
    EXPECT_EQ(commandTargetPage(ids::kCmdContinuous), page::kReplayByCommand);
    EXPECT_EQ(commandTargetPage(ids::kCmdSnap), page::kSnapDataByCommand);
    EXPECT_EQ(commandTargetPage(ids::kCmdAnalysis), page::kAnalysis);
    EXPECT_FALSE(commandTargetPage(ids::kCmdHelp).has_value());
    EXPECT_FALSE(commandEnabled(12345, at(page::kHome, kModeNone)).has_value());
    EXPECT_EQ(page::classOf(page::kReplayByCommand), page::kReplay);
    EXPECT_EQ(page::classOf(page::kSnapDataByCommand), page::kSnapData);
    EXPECT_EQ(page::classOf(page::kAnalysis), page::kAnalysis);
}

} // namespace
} // namespace vantora
