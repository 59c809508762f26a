// Gaussian smoothing: ends, single-precision weights, truncation, and the
// fast path against the definition's order of additions.
#include "GaussSmoothing.h"
#include "FilterTables.h"

#include <gtest/gtest.h>

#include <random>

namespace beatscan {
namespace {

// The definition: outermost pairs first, right before left, centre last.
std::vector<int32_t> definitionSmooth(const std::vector<int32_t>& x, int h) {
    std::vector<int32_t> y = x;
    for (int i = h; i < static_cast<int>(x.size()) - h; ++i) {
        double acc = 0.0;
        for (int k = 1; k <= h; ++k) {
            acc += x[i + k] * static_cast<double>(GaussTable[h][h - k]);
            acc += x[i - k] * static_cast<double>(GaussTable[h][h - k]);
        }
        acc += x[i] * static_cast<double>(GaussTable[h][h]);
        y[i] = static_cast<int32_t>(acc);
    }
    return y;
}

std::vector<int32_t> randomSignal(int n, int32_t magnitude, unsigned seed) {
    std::mt19937 random(seed);
    std::uniform_int_distribution<int32_t> value(-magnitude, magnitude);
    std::vector<int32_t> x(n);
    for (int32_t& v : x) {
        v = value(random);
    }
    return x;
}

TEST(GaussSmoothing, EndsPassThroughUnchanged) {
    const std::vector<int32_t> x = randomSignal(300, 1000, 1);
    const std::vector<int32_t> y = gaussSmooth(x, 5);
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(y[i], x[i]);
        EXPECT_EQ(y[299 - i], x[299 - i]);
    }
    EXPECT_NE(y[5], x[5]);
    EXPECT_EQ(gaussSmooth(x, 0), x);
    const std::vector<int32_t> tooShort = {1, 500, 3, 900, 5};
    EXPECT_EQ(gaussSmooth(tooShort, 5), tooShort);
}

TEST(GaussSmoothing, SinglePrecisionWeightsLoseAUnitOnFlatLines) {
    // The h = 5 weights sum to 0.99999998 in single precision, so a flat
    // line at 512 smooths to 511.99999 and truncates to 511.
    const std::vector<int32_t> y = gaussSmooth(std::vector<int32_t>(40, 512), 5);
    EXPECT_EQ(y[4], 512);
    EXPECT_EQ(y[5], 511);
    EXPECT_EQ(y[20], 511);
    // The h = 2 weights sum to exactly 1.
    EXPECT_EQ(gaussSmooth(std::vector<int32_t>(40, 1000), 2)[20], 1000);
    // Truncation is toward zero: -511.99999 becomes -511.
    EXPECT_EQ(gaussSmooth(std::vector<int32_t>(40, -512), 5)[20], -511);
}

TEST(GaussSmoothing, ImpulseShowsEachWidenedWeight) {
    std::vector<int32_t> x(40, 0);
    x[20] = 10000;
    const std::vector<int32_t> y = gaussSmooth(x, 5);
    EXPECT_EQ(y[20], 1093); // 10000 * 0.1094f = 1093.99997; double weights would give 1094
    EXPECT_EQ(y[21], 1071); // 0.1072f
    EXPECT_EQ(y[19], 1071);
    EXPECT_EQ(y[25], 662); // 0.0663f
    EXPECT_EQ(y[26], 0);
}

TEST(GaussSmoothing, FastPathEqualsTheDefinitionOrder) {
    for (int h = 1; h <= GaussMaxHalfWidth; ++h) {
        const std::vector<int32_t> x = randomSignal(2000, (1 << 24) - 1, 10 + h);
        EXPECT_EQ(gaussSmooth(x, h), definitionSmooth(x, h)) << "half-width " << h;
    }
    // Samples beyond 2^24 take the ordered path.
    std::vector<int32_t> wide = randomSignal(2000, 1 << 28, 3);
    EXPECT_EQ(gaussSmooth(wide, 5), definitionSmooth(wide, 5));
}

TEST(GaussSmoothing, ExtremeSamplesSaturate) {
    std::vector<int32_t> x(20, std::numeric_limits<int32_t>::max());
    const std::vector<int32_t> y = gaussSmooth(x, 1); // weights sum to 1.0001
    EXPECT_EQ(y[10], std::numeric_limits<int32_t>::max());
}

} // namespace
} // namespace beatscan
