#include "ui/frame/FrameCommands.h"
#include "core/DataPaths.h"
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
        EXPECT_EQ(enabled(cmd::kContinuous, s), mode != kModeContinuous);
        EXPECT_EQ(enabled(cmd::kSnap, s), mode != kModeSnap);
        EXPECT_EQ(enabled(cmd::kReplay, s), mode != kModeNone);
        EXPECT_EQ(enabled(cmd::kRecordManagement, s), mode != kModeNone);
        EXPECT_TRUE(enabled(cmd::kAnalysis, s)); // as the home page's analysis button
        EXPECT_EQ(enabled(cmd::kSnapData, s), mode == kModeSnap);
    }
}

TEST(FrameCommandsTest, CommandOfTheActivePageIsDisabled) {
    EXPECT_FALSE(enabled(cmd::kHome, at(page::kHome, kModeNone)));
    EXPECT_TRUE(enabled(cmd::kHome, at(page::kAnalysis, kModeSnap)));
    EXPECT_FALSE(enabled(cmd::kSnapData, at(page::kSnapData, kModeSnap)));
    EXPECT_FALSE(enabled(cmd::kReplay, at(page::kReplay, kModeContinuous)));
    EXPECT_FALSE(enabled(cmd::kRecordManagement, at(page::kRecordManagement, kModeSnap)));
    EXPECT_FALSE(enabled(cmd::kAnalysis, at(page::kAnalysis, kModeSnap)));
    EXPECT_FALSE(enabled(cmd::kRealTime, at(page::kRealTime, kModeNone)));
    EXPECT_TRUE(enabled(cmd::kRealTime, at(page::kHome, kModeNone)));
}

TEST(FrameCommandsTest, DialogsAndHelpAreAlwaysEnabled) {
    for (int page : {page::kNone, page::kHome, page::kAnalysis, page::kRealTime})
        for (int command : {cmd::kPatientManager, cmd::kHelp, cmd::kAbout, cmd::kExit})
            EXPECT_TRUE(enabled(command, at(page, kModeSnap))) << command << " on " << page;
}

TEST(FrameCommandsTest, PrintNeedsARecordAndPicturesTheAnalysisPage) {
    EXPECT_FALSE(enabled(cmd::kPrint, at(page::kReplay, kModeSnap, false)));
    EXPECT_TRUE(enabled(cmd::kPrint, at(page::kReplay, kModeSnap, true)));
    EXPECT_TRUE(enabled(cmd::kPrintPreview, at(page::kRecordManagement, kModeSnap, true)));
    EXPECT_FALSE(enabled(cmd::kPrint, at(page::kNone, kModeSnap, true)));
    EXPECT_FALSE(enabled(cmd::kSavePicture, at(page::kReplay, kModeSnap, true)));
    EXPECT_FALSE(enabled(cmd::kMailPicture, at(page::kAnalysis, kModeSnap, false)));
    EXPECT_TRUE(enabled(cmd::kSavePicture, at(page::kAnalysis, kModeSnap, true)));
    EXPECT_TRUE(enabled(cmd::kMailPicture, at(page::kAnalysis, kModeContinuous, true)));
}

TEST(FrameCommandsTest, PagesNotBuiltDisableTheCommandsLeadingThere) {
    FrameSituation s = at(page::kHome, kModeSnap);
    s.pageAvailable = [](int pageClass) { return pageClass == page::kHome; };
    EXPECT_FALSE(enabled(cmd::kAnalysis, s));
    EXPECT_FALSE(enabled(cmd::kSnapData, s));
    EXPECT_FALSE(enabled(cmd::kRealTime, s));
    // Mode commands still switch the mode.
    EXPECT_TRUE(enabled(cmd::kContinuous, s));
    EXPECT_FALSE(enabled(cmd::kSnap, s));
    s.pageAvailable = [](int pageClass) { return pageClass == page::kAnalysis; };
    EXPECT_TRUE(enabled(cmd::kAnalysis, s));
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
        {cmd::kHome, at(page::kHome, kModeNone), frametext::kPageShown},
        {cmd::kAnalysis, at(page::kAnalysis, kModeNone), frametext::kPageShown},
        {cmd::kAnalysis, bare, frametext::kPageNotBuilt},
        {cmd::kAnalysis, at(page::kHome, kModeNone), std::nullopt},
        {cmd::kSnapData, at(page::kAnalysis, kModeContinuous), frametext::kNeedsSnap},
        {cmd::kSnapData, bare, frametext::kPageNotBuilt},
        {cmd::kReplay, at(page::kAnalysis, kModeNone), frametext::kNeedsMode},
        {cmd::kRecordManagement, at(page::kHome, kModeNone), frametext::kNeedsMode},
        {cmd::kRecordManagement, at(page::kRecordManagement, kModeSnap), frametext::kPageShown},
        {cmd::kSnap, at(page::kHome, kModeSnap), frametext::kIsCurrentMode},
        {cmd::kContinuous, at(page::kAnalysis, kModeContinuous), frametext::kIsCurrentMode},
        {cmd::kContinuous, bare, std::nullopt},
        {cmd::kRealTime, at(page::kRealTime, kModeNone), frametext::kPageShown},
        {cmd::kPrint, at(page::kReplay, kModeSnap, false), frametext::kRecordShown},
        {cmd::kPrintPreview, at(page::kNone, kModeSnap, true), frametext::kRecordShown},
        {cmd::kPrint, at(page::kReplay, kModeSnap, true), std::nullopt},
        {cmd::kSavePicture, at(page::kReplay, kModeSnap, true), frametext::kAnalysedRecord},
        {cmd::kMailPicture, at(page::kAnalysis, kModeSnap, false), frametext::kAnalysedRecord},
        {cmd::kPatientManager, at(page::kNone, kModeNone), std::nullopt},
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
        {page::kHome, kModeContinuous, true, false, frametext::kContinuousMode},
        {page::kAnalysis, kModeContinuous, true, false, frametext::kContinuousMode},
        {page::kReplay, kModeSnap, false, true, frametext::kSnapMode},
        // Opened from the home page without a mode, the analysis page lists Snap.
        {page::kAnalysis, kModeNone, false, true, frametext::kSnapMode},
    };
    for (const Case& c : cases) {
        const FrameSituation s = at(c.page, c.mode);
        EXPECT_EQ(commandChecked(cmd::kContinuous, s), c.continuousChecked) << c.page << c.mode;
        EXPECT_EQ(commandChecked(cmd::kSnap, s), c.snapChecked) << c.page << c.mode;
        EXPECT_FALSE(commandChecked(cmd::kAnalysis, s));
        EXPECT_EQ(modeStatusText(s), c.status) << c.page << c.mode;
    }
}

TEST(FrameCommandsTest, TargetsAndUnknownCommands) {
    EXPECT_EQ(commandTargetPage(cmd::kContinuous), page::kReplayByCommand);
    EXPECT_EQ(commandTargetPage(cmd::kSnap), page::kSnapDataByCommand);
    EXPECT_EQ(commandTargetPage(cmd::kAnalysis), page::kAnalysis);
    EXPECT_FALSE(commandTargetPage(cmd::kHelp).has_value());
    EXPECT_FALSE(commandEnabled(12345, at(page::kHome, kModeNone)).has_value());
    EXPECT_EQ(page::classOf(page::kReplayByCommand), page::kReplay);
    EXPECT_EQ(page::classOf(page::kSnapDataByCommand), page::kSnapData);
    EXPECT_EQ(page::classOf(page::kAnalysis), page::kAnalysis);
}

} // namespace
} // namespace vantora
