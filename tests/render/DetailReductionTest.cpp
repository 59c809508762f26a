#include "render/DetailReduction.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

using namespace vantora;

// A window too narrow for a drawn trace (101 columns) gets nothing; one as
// narrow as the page on a small screen still gets its stretch.
TEST(DetailReduction, NarrowWindowComputesNothing) {
    const std::vector<int32_t> samples(7500, 512);
    EXPECT_TRUE(DetailReduction::compute(samples, 115).empty());
    EXPECT_FALSE(DetailReduction::compute(samples, 116).empty());
    const DetailReduction small = DetailReduction::compute(samples, 600);
    EXPECT_EQ(small.stretch(600, 0, 236).size(), 585u);
}

TEST(DetailReduction, SizesAndPeaksSurvive) {
    std::vector<int32_t> samples(7500, 512);
    samples[1000] = 900; // a single-sample peak
    samples[2000] = 100;
    const DetailReduction r = DetailReduction::compute(samples, 812);
    const int n = int(797 * 0.0013333333333333333 * 2500);
    EXPECT_DOUBLE_EQ(r.ratio, 797.0 / n);
    EXPECT_EQ(r.entries.size(), size_t(int(r.ratio * 7500)) + 1);
    int peaks = 0, troughs = 0;
    for (int32_t e : r.entries) {
        peaks += e == 900;
        troughs += e == 100;
    }
    EXPECT_EQ(peaks, 1);
    EXPECT_EQ(troughs, 1);
    EXPECT_EQ(r.entries[size_t(int(1000 * r.ratio))], 900);
}

TEST(DetailReduction, StretchStartsAtSelectionAndStopsAtTheEnd) {
    std::vector<int32_t> samples(7500);
    for (int i = 0; i < 7500; ++i)
        samples[size_t(i)] = 512 + i % 100;
    const DetailReduction r = DetailReduction::compute(samples, 900);
    const std::vector<int32_t> start = r.stretch(900, 0, 750);
    ASSERT_EQ(start.size(), 885u);
    EXPECT_EQ(start[0], r.entries[0]);
    const std::vector<int32_t> middle = r.stretch(900, 375, 750);
    const int first = int((375.0 / 750) * 7500 * r.ratio);
    EXPECT_EQ(middle[0], r.entries[size_t(first)]);
    // At the right end the stretch moves back so that it stays within the entries.
    const std::vector<int32_t> end = r.stretch(900, 749, 750);
    ASSERT_EQ(end.size(), 885u);
    EXPECT_EQ(end[0], r.entries[size_t(int(r.ratio * 7500 - 900 + 15))]);
}
