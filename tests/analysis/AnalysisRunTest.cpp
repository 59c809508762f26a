#include "analysis/AnalysisRun.h"

#include "support/TestData.h"

#include <QFile>

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

using namespace vantora;

namespace {

std::vector<int32_t> ramp() {
    std::vector<int32_t> s(7500);
    for (int i = 0; i < 7500; ++i)
        s[size_t(i)] = 300 + i % 400;
    return s;
}

// A regular synthetic rhythm (72 beats/min) the real library detects.
std::vector<int32_t> rhythm() {
    std::vector<int32_t> s(7500, 512);
    for (int beat = 100; beat < 7450; beat += 208)
        for (int k = -6; k <= 6; ++k)
            s[size_t(beat + k)] += int(600 * std::exp(-k * k / 8.0));
    return s;
}

} // namespace

TEST(AnalysisRun, CopiesBeatAndParametersAndUnloadsEveryRun) {
    AnalysisRun run(QStringLiteral(FAKE_BEATSCAN));
    const std::vector<int32_t> samples = ramp();
    ASSERT_TRUE(run.run(samples, 100, 2000));
    EXPECT_TRUE(run.valid());
    EXPECT_EQ(run.parameters()[0], 100);
    EXPECT_EQ(run.parameters()[1], 2000);
    EXPECT_EQ(run.parameters()[3], 7500); // the count passed
    EXPECT_EQ(run.beat()[0], samples[0]);
    EXPECT_EQ(run.beat()[249], 512 + 249);
    EXPECT_EQ(run.windowStart(), 100);
    EXPECT_EQ(run.windowEnd(), 2000);
    // The library counts QRS calls in its own memory; a fresh load starts at 0.
    EXPECT_EQ(run.parameters()[2], 1);
    ASSERT_TRUE(run.run(samples, 0, 7499));
    EXPECT_EQ(run.parameters()[2], 1);
}

TEST(AnalysisRun, WindowIsPutInOrder) {
    AnalysisRun run(QStringLiteral(FAKE_BEATSCAN));
    ASSERT_TRUE(run.run(ramp(), 6254, 277));
    EXPECT_EQ(run.parameters()[0], 277);
    EXPECT_EQ(run.parameters()[1], 6254);
    EXPECT_EQ(run.windowStart(), 277);
}

TEST(AnalysisRun, IndicesComeFromTheIndexExports) {
    AnalysisRun run(QStringLiteral(FAKE_BEATSCAN_NOBEAT));
    ASSERT_TRUE(run.run(ramp(), 0, 7499));
    const auto& v = run.indices().values;
    EXPECT_EQ(v[0], 84);
    EXPECT_EQ(v[4], 187);
    EXPECT_FALSE(v[5].has_value()); // Get_index_TE missing
}

TEST(AnalysisRun, NoBeatInWindowFails) {
    AnalysisRun run(QStringLiteral(FAKE_BEATSCAN));
    ASSERT_TRUE(run.run(ramp(), 0, 7499));
    EXPECT_FALSE(run.run(ramp(), 50, 55));
    EXPECT_FALSE(run.valid());
}

TEST(AnalysisRun, MissingLibraryOrExportFails) {
    test::TempDataRoot root;
    const QString notALibrary = root.file(QStringLiteral("libbeatscan.so"));
    ASSERT_TRUE(test::writeAll(notALibrary, "not a library"));
    for (const QString& path :
         {root.file(QStringLiteral("absent.so")), notALibrary, QStringLiteral(FAKE_BEATSCAN_NOQRS),
          QStringLiteral(FAKE_BEATSCAN_NOPARAMETERS)}) {
        AnalysisRun run(path);
        EXPECT_FALSE(run.run(ramp(), 0, 7499)) << path.toStdString();
        EXPECT_FALSE(run.valid());
    }
}

TEST(AnalysisRun, MissingBeatExportKeepsThePreviousBeat) {
    AnalysisRun run(QStringLiteral(FAKE_BEATSCAN));
    std::vector<int32_t> samples = ramp();
    ASSERT_TRUE(run.run(samples, 0, 7499));
    const AveragedBeat before = run.beat();
    run.setLibraryPath(QStringLiteral(FAKE_BEATSCAN_NOBEAT));
    samples[0] = 999;
    ASSERT_TRUE(run.run(samples, 0, 3000));
    EXPECT_EQ(run.beat(), before);
    EXPECT_EQ(run.parameters()[6], 3000);
}

TEST(AnalysisRun, DefaultPathIsBesideTheExecutable) {
    AnalysisRun run;
    EXPECT_TRUE(run.libraryPath().endsWith(QStringLiteral("/libbeatscan.so")));
}

TEST(AnalysisRun, RealLibraryAnalysesARhythm) {
    const QString path = test::binDir() + QStringLiteral("/libbeatscan.so");
    ASSERT_TRUE(QFile::exists(path));
    AnalysisRun run(path);
    ASSERT_TRUE(run.run(rhythm(), 0, 7499));
    EXPECT_GT(run.parameters()[4], 60);
    EXPECT_LT(run.parameters()[4], 85);
    EXPECT_GT(run.beat()[125], 800); // the R peak sits at the centre
    // A window between two beats holds none.
    EXPECT_FALSE(run.run(rhythm(), 110, 300));
}
