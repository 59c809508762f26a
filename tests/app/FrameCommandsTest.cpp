#include "app/FrameCommands.h"
#include "app/DataPaths.h"
#include "app/PageIds.h"

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
        EXPECT_EQ(enabled(cmd::kAnalysis, s), mode != kModeNone);
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
