// Beat detection: the threshold from block maxima, the peak-search rules, and
// whole detection on built signals whose R peaks are known.
#include "BeatDetection.h"

#include <gtest/gtest.h>

#include <vector>

namespace beatscan {
namespace {

std::vector<int32_t> beatsOf(const BeatList& list) {
    return {list.positions.begin(), list.positions.begin() + list.count};
}

TEST(DetectionThreshold, TwoFifthsOfTheMeanBlockMaximum) {
    std::vector<int32_t> f(RecordLength, 0);
    for (int k = 0; k < 14; ++k) {
        f[500 * k + 7] = 20 * (k + 1); // maxima 20..280, sum 2100, mean 150
    }
    f[7200] = 256; // the last 500 samples belong to no block
    EXPECT_EQ(detectionThreshold(f), 60);
    f[13] = 27; // block 0 now 27: sum 2107, mean 150 (truncated)
    f[7] = 27;
    EXPECT_EQ(detectionThreshold(f), 60);
    f[501] = 97; // block 1 now 97: sum 2164, mean 154, threshold 61 (truncated)
    EXPECT_EQ(detectionThreshold(f), 61);
    EXPECT_EQ(detectionThreshold(std::vector<int32_t>(RecordLength, 0)), 0);
}

TEST(FindPeaks, FirstOfEqualMaximaAndTheRefractorySpan) {
    std::vector<int32_t> f(RecordLength, 0);
    f[100] = 50; // crossing
    f[120] = 80;
    f[130] = 80; // equal: the first wins
    f[170] = 90; // 50 after R: inside the resume gap, not a crossing
    f[171] = 90; // 51 after R: the next crossing
    EXPECT_EQ(beatsOf(findPeaks(f, 40)), (std::vector<int32_t>{120, 171}));
    // Not above the threshold is no crossing.
    EXPECT_EQ(beatsOf(findPeaks(f, 90)), std::vector<int32_t>{});
}

TEST(FindPeaks, SearchSpanReachesFiftySamplesInclusive) {
    std::vector<int32_t> f(RecordLength, 0);
    f[1000] = 50;
    f[1050] = 60; // 50 after the crossing: inside the span
    f[1101] = 70; // 51 after the peak: the next crossing
    EXPECT_EQ(beatsOf(findPeaks(f, 10)), (std::vector<int32_t>{1050, 1101}));
    f[1051] = 65; // 51 after the crossing: outside its span, 1 after the peak
    EXPECT_EQ(beatsOf(findPeaks(f, 10)), (std::vector<int32_t>{1050, 1101}));
}

TEST(FindPeaks, CrossingsNearTheEnd) {
    std::vector<int32_t> f(RecordLength, 0);
    f[7450] = 50; // the last position that opens a search
    f[7499] = 60; // its span stops at the last sample
    EXPECT_EQ(beatsOf(findPeaks(f, 10)), std::vector<int32_t>{7499});
    f[7450] = 0;
    f[7451] = 50; // too late to open a search
    EXPECT_EQ(beatsOf(findPeaks(f, 10)), std::vector<int32_t>{});
    f[16] = 50; // the first position that opens a search
    f[15] = 99; // never examined
    EXPECT_EQ(beatsOf(findPeaks(f, 10)), std::vector<int32_t>{16});
}

// A recording of triangular QRS spikes (48 ms wide) with small P and T waves.
std::vector<int32_t> spikes(const std::vector<int>& rPeaks, int height = 300) {
    std::vector<int32_t> x(RecordLength, 512);
    for (int r : rPeaks) {
        for (int k = -6; k <= 6; ++k) {
            x[r + k] += (6 - std::abs(k)) * height / 6;
        }
        for (int k = -15; k <= 15; ++k) {
            if (r + 60 + k < RecordLength) {
                x[r + 60 + k] += (15 - std::abs(k)) * 3; // T
            }
            if (r - 40 + k >= 0) {
                x[r - 40 + k] += (15 - std::abs(k)); // P
            }
        }
    }
    return x;
}

TEST(DetectBeats, FindsKnownRPeaksOfARegularRhythm) {
    std::vector<int> r;
    for (int at = 90; at < RecordLength - 60; at += 187) {
        r.push_back(at);
    }
    const std::vector<int32_t> x = spikes(r);
    EXPECT_EQ(beatsOf(detectBeats(x.data())), std::vector<int32_t>(r.begin(), r.end()));
}

TEST(DetectBeats, FindsKnownRPeaksOfAnIrregularRhythm) {
    const std::vector<int> r = {60,   300,  420,  700,  1000, 1130, 1500, 1900, 2000,
                                2400, 2750, 3000, 3400, 3600, 4100, 4300, 4700, 5000,
                                5200, 5600, 5900, 6300, 6500, 6900, 7100, 7400};
    const std::vector<int32_t> x = spikes(r);
    EXPECT_EQ(beatsOf(detectBeats(x.data())), std::vector<int32_t>(r.begin(), r.end()));
}

TEST(DetectBeats, NoPeakWithin50SamplesOfTheLast) {
    // The spike at 1040 lies inside the 50 samples after the R at 1000; its
    // feature, falling, is still above the threshold where the scan resumes,
    // so the next R is the resume position 1051, not 1040.
    const std::vector<int> r = {1000, 1040, 3000, 5000};
    const std::vector<int32_t> x = spikes(r);
    EXPECT_EQ(beatsOf(detectBeats(x.data())), (std::vector<int32_t>{1000, 1051, 3000, 5000}));
}

TEST(DetectBeats, FlatSignalsHaveNoBeat) {
    for (int32_t level : {0, 512, 1023, -40000}) {
        const std::vector<int32_t> flat(RecordLength, level);
        EXPECT_EQ(detectBeats(flat.data()).count, 0) << level;
    }
}

TEST(DetectBeats, BeatsAtTheEdgesStayInsideTheDetectableRange) {
    const std::vector<int> r = {10, 3000, 7495};
    std::vector<int32_t> x(RecordLength, 512);
    for (int at : r) {
        for (int k = -6; k <= 6; ++k) {
            if (at + k >= 0 && at + k < RecordLength) {
                x[at + k] += (6 - std::abs(k)) * 50;
            }
        }
    }
    for (int32_t peak : beatsOf(detectBeats(x.data()))) {
        EXPECT_GE(peak, 16);
        EXPECT_LE(peak, 7484);
    }
}

} // namespace
} // namespace beatscan
