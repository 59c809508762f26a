#include "render/AnalysisPageModel.h"
#include "render/StripGeometry.h"

#include <gtest/gtest.h>

#include <vector>

using namespace vantora;

namespace {

constexpr int kRow = 160; // row height of the analysis list

std::vector<int32_t> recording() {
    std::vector<int32_t> s(7500);
    for (int i = 0; i < 7500; ++i)
        s[size_t(i)] = 400 + (i * 7) % 250;
    return s;
}

// The fake library reports the window it analysed in slots 0 and 1.
struct Window {
    int32_t start, end;
};
Window analysed(const AnalysisPageModel& m) {
    return {m.run().parameters()[0], m.run().parameters()[1]};
}

class AnalysisPageModelTest : public ::testing::Test {
protected:
    AnalysisPageModel model{QStringLiteral(FAKE_BEATSCAN)};
    void SetUp() override { model.showRecording(recording()); }
};

} // namespace

TEST_F(AnalysisPageModelTest, SelectingARecordingAnalysesAllOfIt) {
    EXPECT_TRUE(model.analysisValid());
    EXPECT_EQ(analysed(model).start, 0);
    EXPECT_EQ(analysed(model).end, 7499);
    EXPECT_EQ(model.fields()[1], "-2.00");
    EXPECT_EQ(model.fields()[2], "7499");
    EXPECT_EQ(model.points().size(), 3 * 767);
    EXPECT_TRUE(model.beatShown());
}

TEST_F(AnalysisPageModelTest, ClicksAtBothEndsOfRowZeroSelectTheRow) {
    RowClickOutcome first = model.rowClicked(15, 10);
    EXPECT_FALSE(first.ignored);
    EXPECT_FALSE(model.analysisValid());
    EXPECT_EQ(model.fields()[0], "...");
    EXPECT_FALSE(model.beatShown());
    model.rowClicked(782, 100);
    EXPECT_TRUE(model.analysisValid());
    EXPECT_EQ(analysed(model).start, 0);
    EXPECT_EQ(analysed(model).end, 2499);
}

TEST_F(AnalysisPageModelTest, ClicksInReverseOrderAcrossRowsAreExchanged) {
    model.rowClicked(400, 2 * kRow + 30);
    model.rowClicked(100, 20);
    EXPECT_EQ(AnalysisPageModel::sampleAt(400, 2), 6254);
    EXPECT_EQ(AnalysisPageModel::sampleAt(100, 0), 277);
    EXPECT_EQ(analysed(model).start, 277);
    EXPECT_EQ(analysed(model).end, 6254);
    EXPECT_NE(model.fields()[2], "...");
}

TEST_F(AnalysisPageModelTest, SamePixelRunsNoAnalysis) {
    model.rowClicked(300, kRow + 5);
    const RowClickOutcome second = model.rowClicked(300, kRow + 5);
    EXPECT_FALSE(second.redrawRows);
    EXPECT_FALSE(model.analysisValid());
    EXPECT_EQ(model.fields()[0], "...");
    // Same x on different rows is a real window.
    model.rowClicked(300, 5);
    model.rowClicked(300, kRow + 5);
    EXPECT_TRUE(model.analysisValid());
}

TEST_F(AnalysisPageModelTest, ClicksLeftOfTheTraceOrOffTheRowsAreIgnored) {
    EXPECT_TRUE(model.rowClicked(14, 10).ignored);
    EXPECT_TRUE(model.rowClicked(100, 3 * kRow).ignored);
    EXPECT_TRUE(model.rowClicked(783, 10).ignored);
    EXPECT_FALSE(model.firstClickTaken());
    EXPECT_TRUE(model.analysisValid());
    model.rowClicked(100, 10);
    EXPECT_TRUE(model.rowClicked(3, 10).ignored);
    EXPECT_FALSE(model.secondClickTaken());
}

TEST_F(AnalysisPageModelTest, ThirdClickStartsANewSelection) {
    model.rowClicked(100, 10);
    model.rowClicked(500, 10);
    ASSERT_TRUE(model.analysisValid());
    const RowClickOutcome third = model.rowClicked(200, kRow + 1);
    EXPECT_TRUE(third.redrawRows);
    EXPECT_FALSE(model.analysisValid());
    EXPECT_EQ(model.fields()[3], "...");
    EXPECT_TRUE(model.firstClickTaken());
    EXPECT_FALSE(model.secondClickTaken());
    EXPECT_EQ(model.firstCursor().row, 1);
    EXPECT_FALSE(model.secondCursor().set());
}

TEST_F(AnalysisPageModelTest, FailedRunClearsTheResults) {
    model.rowClicked(100, 10);
    model.rowClicked(101, 10); // 3 samples: the fake finds no beat
    EXPECT_FALSE(model.analysisValid());
    EXPECT_EQ(model.fields()[4], "...");
    EXPECT_FALSE(model.beatShown());
}

TEST(AnalysisPageModel, AbsentLibraryStillShowsTheRecording) {
    AnalysisPageModel model(QStringLiteral("/nonexistent/libbeatscan.so"));
    model.showRecording(recording());
    EXPECT_EQ(model.points().size(), 3 * 767);
    EXPECT_FALSE(model.analysisValid());
    for (const QString& f : model.fields())
        EXPECT_EQ(f, "...");
}

TEST_F(AnalysisPageModelTest, NoRecordingClearsEverything) {
    model.rowClicked(100, 10);
    model.showNoRecording();
    EXPECT_FALSE(model.analysisValid());
    EXPECT_FALSE(model.hasRecording());
    EXPECT_TRUE(model.points().empty());
    EXPECT_FALSE(model.firstCursor().set());
    for (int32_t s : model.samples())
        EXPECT_EQ(s, 0);
    EXPECT_TRUE(model.rowClicked(100, 10).ignored);
}
