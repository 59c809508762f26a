// The curvature feature: hand-computed sums, the artefact cut at 1024, the
// scaling to 0..256, and the narrow fast path against the 64-bit sums.
#include "CurvatureFeature.h"

#include <gtest/gtest.h>

#include <random>

namespace beatscan {
namespace {

constexpr int Length = 7500;

std::vector<int32_t> withImpulse(std::vector<int32_t> y, int at, int32_t height) {
    y[at] += height;
    return y;
}

TEST(CurvatureSum, TruncatesEachQuotientOnItsOwn) {
    const std::vector<int32_t> zero(100, 0);
    // |20| / j for j = 1..15: 20 10 6 5 4 3 2 2 2 2 1 1 1 1 1.
    EXPECT_EQ(curvatureSum(withImpulse(zero, 50, 10), 50), 61);
    EXPECT_EQ(curvatureSum(withImpulse(zero, 50, -10), 50), 61);
    // One sample away only the pair at distance 1 sees the impulse.
    EXPECT_EQ(curvatureSum(withImpulse(zero, 50, 10), 51), 10);
    EXPECT_EQ(curvatureSum(withImpulse(zero, 50, 10), 53), 3);
    std::vector<int32_t> line(100);
    for (int i = 0; i < 100; ++i) {
        line[i] = 7 * i - 300;
    }
    EXPECT_EQ(curvatureSum(line, 50), 0);
}

TEST(CurvatureFeature, ScalesTheLargestSumTo256) {
    const std::vector<int32_t> f =
        curvatureFeature(withImpulse(std::vector<int32_t>(Length, 512), 1000, 10));
    EXPECT_EQ(f[1000], 256);
    EXPECT_EQ(f[1001], 41); // 10 * 256 / 61 = 41.97
    EXPECT_EQ(f[999], 41);
    EXPECT_EQ(f[1002], 20); // 5 * 256 / 61 = 20.98
    EXPECT_EQ(f[1003], 12); // 3 * 256 / 61 = 12.59
    EXPECT_EQ(f[1016], 0);
}

TEST(CurvatureFeature, ArtefactsAreDroppedAndDoNotSetTheScale) {
    std::vector<int32_t> y(Length, 0);
    y[1000] = 10;  // raw sum 61
    y[3000] = 600; // raw sum 1200 + 600 + ... >= 1024: dropped; its neighbour has 600
    const std::vector<int32_t> f = curvatureFeature(y);
    EXPECT_EQ(f[3000], 0);
    EXPECT_EQ(f[3001], 256); // M = 600
    EXPECT_EQ(f[1000], 26);  // 61 * 256 / 600 = 26.03
}

TEST(CurvatureFeature, EdgesAndFeaturelessSignalsAreZero) {
    std::vector<int32_t> y(Length, 0);
    y[14] = 50; // only positions 15.. and ..7484 are computed
    y[7490] = 50;
    y[4000] = 5;
    const std::vector<int32_t> f = curvatureFeature(y);
    for (int i = 0; i < 15; ++i) {
        EXPECT_EQ(f[i], 0);
        EXPECT_EQ(f[Length - 1 - i], 0);
    }
    EXPECT_GT(f[15], 0);
    EXPECT_EQ(curvatureFeature(std::vector<int32_t>(Length, 700)), std::vector<int32_t>(Length, 0));
    // Alternating full scale: every raw sum is 2046 or more, so all are artefacts.
    std::vector<int32_t> alternating(Length);
    for (int i = 0; i < Length; ++i) {
        alternating[i] = (i % 2) * 1023;
    }
    EXPECT_EQ(curvatureFeature(alternating), std::vector<int32_t>(Length, 0));
}

// The feature as defined, from the 64-bit sums.
std::vector<int32_t> definitionFeature(const std::vector<int32_t>& y) {
    std::vector<int32_t> raw(y.size(), 0);
    int64_t maximum = 0;
    for (int i = 15; i < static_cast<int>(y.size()) - 15; ++i) {
        const int64_t s = curvatureSum(y, i);
        raw[i] = s < 1024 ? static_cast<int32_t>(s) : 0;
        maximum = std::max<int64_t>(maximum, raw[i]);
    }
    for (int32_t& v : raw) {
        v = maximum == 0 ? 0 : static_cast<int32_t>(v * (256.0 / maximum));
    }
    return raw;
}

TEST(CurvatureFeature, NarrowPathEqualsTheDefinition) {
    std::mt19937 random(5);
    for (int32_t magnitude : {40, 300, 8191, 9000}) {
        // A random walk near the range's edge, so that most sums stay below 1024.
        std::uniform_int_distribution<int32_t> step(-20, 20);
        std::vector<int32_t> y(Length);
        int32_t level = magnitude - 100;
        for (int32_t& v : y) {
            level = std::clamp(level + step(random), -magnitude, magnitude);
            v = level;
        }
        ASSERT_GT(*std::max_element(y.begin(), y.end()), magnitude - 300);
        EXPECT_EQ(curvatureFeature(y), definitionFeature(y)) << magnitude;
    }
    // The extremes of the narrow range: |2y - a - b| up to 32766.
    std::vector<int32_t> extremes(Length);
    for (int i = 0; i < Length; ++i) {
        extremes[i] = (i % 3 == 0) ? 8191 : -8191;
    }
    extremes[500] = 0;
    EXPECT_EQ(curvatureFeature(extremes), definitionFeature(extremes));
}

} // namespace
} // namespace beatscan
