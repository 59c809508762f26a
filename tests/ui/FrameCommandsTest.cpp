#include "ui/frame/FrameCommands.h"
#include "core/DataPaths.h"
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
        EXPECT_EQ(enabled(cmd::kContinuous, s), mode != RecordingMode::Continuous);
        EXPECT_EQ(enabled(cmd::kSnap, s), mode != RecordingMode::Snap);
        EXPECT_EQ(enabled(cmd::kReplay, s), mode != RecordingMode::None);
        EXPECT_EQ(enabled(cmd::kRecordManagement, s), mode != RecordingMode::None);
        EXPECT_TRUE(enabled(cmd::kAnalysis, s)); // as the home page's analysis button
        EXPECT_EQ(enabled(cmd::kSnapData, s), mode == RecordingMode::Snap);
    }
}

TEST(FrameCommandsTest, CommandOfTheActivePageIsDisabled) {
    EXPECT_FALSE(enabled(cmd::kHome, at(page::kHome, RecordingMode::None)));
    EXPECT_TRUE(enabled(cmd::kHome, at(page::kAnalysis, RecordingMode::Snap)));
    EXPECT_FALSE(enabled(cmd::kSnapData, at(page::kSnapData, RecordingMode::Snap)));
    EXPECT_FALSE(enabled(cmd::kReplay, at(page::kReplay, RecordingMode::Continuous)));
    EXPECT_FALSE(enabled(cmd::kRecordManagement, at(page::kRecordManagement, RecordingMode::Snap)));
    EXPECT_FALSE(enabled(cmd::kAnalysis, at(page::kAnalysis, RecordingMode::Snap)));
    EXPECT_FALSE(enabled(cmd::kRealTime, at(page::kRealTime, RecordingMode::None)));
    EXPECT_TRUE(enabled(cmd::kRealTime, at(page::kHome, RecordingMode::None)));
}

TEST(FrameCommandsTest, DialogsAndHelpAreAlwaysEnabled) {
    for (int page : {page::kNone, page::kHome, page::kAnalysis, page::kRealTime})
        for (int command : {cmd::kPatientManager, cmd::kHelp, cmd::kAbout, cmd::kExit})
            EXPECT_TRUE(enabled(command, at(page, RecordingMode::Snap)))
                << command << " on " << page;
}

TEST(FrameCommandsTest, PrintNeedsARecordAndPicturesTheAnalysisPage) {
    EXPECT_FALSE(enabled(cmd::kPrint, at(page::kReplay, RecordingMode::Snap, false)));
    EXPECT_TRUE(enabled(cmd::kPrint, at(page::kReplay, RecordingMode::Snap, true)));
    EXPECT_TRUE(
        enabled(cmd::kPrintPreview, at(page::kRecordManagement, RecordingMode::Snap, true)));
    EXPECT_FALSE(enabled(cmd::kPrint, at(page::kNone, RecordingMode::Snap, true)));
    EXPECT_FALSE(enabled(cmd::kSavePicture, at(page::kReplay, RecordingMode::Snap, true)));
    EXPECT_FALSE(enabled(cmd::kMailPicture, at(page::kAnalysis, RecordingMode::Snap, false)));
    EXPECT_TRUE(enabled(cmd::kSavePicture, at(page::kAnalysis, RecordingMode::Snap, true)));
    EXPECT_TRUE(enabled(cmd::kMailPicture, at(page::kAnalysis, RecordingMode::Continuous, true)));
}

TEST(FrameCommandsTest, PagesNotBuiltDisableTheCommandsLeadingThere) {
    FrameSituation s = at(page::kHome, RecordingMode::Snap);
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
    FrameSituation bare = at(page::kHome, RecordingMode::Snap);
    bare.pageAvailable = homeOnly;
    const Case cases[] = {
        {cmd::kHome, at(page::kHome, RecordingMode::None), frametext::kPageShown},
        {cmd::kAnalysis, at(page::kAnalysis, RecordingMode::None), frametext::kPageShown},
        {cmd::kAnalysis, bare, frametext::kPageNotBuilt},
        {cmd::kAnalysis, at(page::kHome, RecordingMode::None), std::nullopt},
        {cmd::kSnapData, at(page::kAnalysis, RecordingMode::Continuous), frametext::kNeedsSnap},
        {cmd::kSnapData, bare, frametext::kPageNotBuilt},
        {cmd::kReplay, at(page::kAnalysis, RecordingMode::None), frametext::kNeedsMode},
        {cmd::kRecordManagement, at(page::kHome, RecordingMode::None), frametext::kNeedsMode},
        {cmd::kRecordManagement, at(page::kRecordManagement, RecordingMode::Snap),
         frametext::kPageShown},
        {cmd::kSnap, at(page::kHome, RecordingMode::Snap), frametext::kIsCurrentMode},
        {cmd::kContinuous, at(page::kAnalysis, RecordingMode::Continuous),
         frametext::kIsCurrentMode},
        {cmd::kContinuous, bare, std::nullopt},
        {cmd::kRealTime, at(page::kRealTime, RecordingMode::None), frametext::kPageShown},
        {cmd::kPrint, at(page::kReplay, RecordingMode::Snap, false), frametext::kRecordShown},
        {cmd::kPrintPreview, at(page::kNone, RecordingMode::Snap, true), frametext::kRecordShown},
        {cmd::kPrint, at(page::kReplay, RecordingMode::Snap, true), std::nullopt},
        {cmd::kSavePicture, at(page::kReplay, RecordingMode::Snap, true),
         frametext::kAnalysedRecord},
        {cmd::kMailPicture, at(page::kAnalysis, RecordingMode::Snap, false),
         frametext::kAnalysedRecord},
        {cmd::kPatientManager, at(page::kNone, RecordingMode::None), std::nullopt},
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
        {page::kHome, RecordingMode::Continuous, true, false, frametext::kContinuousMode},
        {page::kAnalysis, RecordingMode::Continuous, true, false, frametext::kContinuousMode},
        {page::kReplay, RecordingMode::Snap, false, true, frametext::kSnapMode},
        // Opened from the home page without a mode, the analysis page lists Snap.
        {page::kAnalysis, RecordingMode::None, false, true, frametext::kSnapMode},
    };
    for (const Case& c : cases) {
        const FrameSituation s = at(c.page, c.mode);
        EXPECT_EQ(commandChecked(cmd::kContinuous, s), c.continuousChecked)
            << c.page << toInt(c.mode);
        EXPECT_EQ(commandChecked(cmd::kSnap, s), c.snapChecked) << c.page << toInt(c.mode);
        EXPECT_FALSE(commandChecked(cmd::kAnalysis, s));
        EXPECT_EQ(modeStatusText(s), c.status) << c.page << toInt(c.mode);
    }
}

TEST(FrameCommandsTest, TargetsAndUnknownCommands) {
    EXPECT_EQ(commandTargetPage(cmd::kContinuous), page::kReplayByCommand);
    EXPECT_EQ(commandTargetPage(cmd::kSnap), page::kSnapDataByCommand);
    EXPECT_EQ(commandTargetPage(cmd::kAnalysis), page::kAnalysis);
    EXPECT_FALSE(commandTargetPage(cmd::kHelp).has_value());
    EXPECT_FALSE(commandEnabled(12345, at(page::kHome, RecordingMode::None)).has_value());
    EXPECT_EQ(page::classOf(page::kReplayByCommand), page::kReplay);
    EXPECT_EQ(page::classOf(page::kSnapDataByCommand), page::kSnapData);
    EXPECT_EQ(page::classOf(page::kAnalysis), page::kAnalysis);
}

} // namespace
} // namespace vantora
