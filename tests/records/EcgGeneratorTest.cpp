#include "records/EcgGenerator.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numeric>

using namespace vantora;

namespace {

// R peaks found in the samples: local maxima at least 0.5 mV above the zero line.
std::vector<int> findPeaks(const std::vector<int32_t>& s) {
    std::vector<int> peaks;
    const int threshold = kSampleBaseline + kUnitsPerMillivolt / 2;
    for (size_t i = 1; i + 1 < s.size(); ++i)
        if (s[i] > threshold && s[i] >= s[i - 1] && s[i] > s[i + 1])
            peaks.push_back(int(i));
    return peaks;
}

double mean(const std::vector<double>& v) {
    return std::accumulate(v.begin(), v.end(), 0.0) / double(v.size());
}

std::vector<double> intervals(const std::vector<int>& peaks) {
    std::vector<double> rr;
    for (size_t i = 1; i < peaks.size(); ++i)
        rr.push_back(double(peaks[i] - peaks[i - 1]));
    return rr;
}

} // namespace

TEST(EcgGenerator, SameSeedSameSignalWhicheverWayItIsAskedFor) {
    EcgParameters p;
    p.noiseMv = 0.05;
    p.wanderMv = 0.1;
    p.irregularity = 0.2;
    p.seed = 99;
    const auto whole = EcgGenerator(p).next(3000);
    EcgGenerator pieces(p);
    std::vector<int32_t> joined;
    for (int n : {1, 499, 1000, 1500}) {
        const auto part = pieces.next(n);
        joined.insert(joined.end(), part.begin(), part.end());
    }
    EXPECT_EQ(joined, whole);
    p.seed = 100;
    EXPECT_NE(EcgGenerator(p).next(3000), whole);
}

TEST(EcgGenerator, RateAndAmplitudeFollowTheParameters) {
    for (double rate : {45.0, 72.0, 150.0}) {
        EcgParameters p;
        p.heartRateBpm = rate;
        EcgGenerator g(p);
        const auto s = g.nextRecording();
        const auto peaks = findPeaks(s);
        const double expectedBeats = 30.0 * rate / 60.0;
        EXPECT_NEAR(double(peaks.size()), expectedBeats, 1.0) << rate;
        EXPECT_NEAR(mean(intervals(peaks)), 250.0 * 60.0 / rate, 1.0) << rate;
        // Peaks sit where the generator placed its R waves.
        for (size_t i = 0; i < std::min<size_t>(peaks.size(), 5); ++i)
            EXPECT_NEAR(peaks[i], g.rPeaks()[i], 1) << rate;
        const int32_t top = *std::max_element(s.begin(), s.end());
        EXPECT_NEAR(top, kSampleBaseline + 1.2 * kUnitsPerMillivolt, 6) << rate;
    }
}

TEST(EcgGenerator, WavesHaveTheirPlacesAndSigns) {
    EcgParameters p;
    p.heartRateBpm = 60;
    const auto upright = EcgGenerator(p).next(500);
    p.invertedT = true;
    const auto inverted = EcgGenerator(p).next(500);
    const int onset = 50; // the first beat starts 200 ms in
    EXPECT_EQ(upright[10], kSampleBaseline);
    // P wave peak half-way through its 100 ms.
    EXPECT_NEAR(upright[onset + 12], kSampleBaseline + 0.15 * kUnitsPerMillivolt, 2);
    // T wave peak: ends at the QT of 400 ms after QRS onset, 160 ms wide.
    const int tPeak = onset + 40 + 100 - 20;
    EXPECT_NEAR(upright[tPeak], kSampleBaseline + 0.3 * kUnitsPerMillivolt, 3);
    EXPECT_NEAR(inverted[tPeak], kSampleBaseline - 0.3 * kUnitsPerMillivolt, 3);
    EXPECT_EQ(std::vector(upright.begin(), upright.begin() + 100),
              std::vector(inverted.begin(), inverted.begin() + 100));
    // The S wave dips below the zero line after the R peak.
    const auto s = std::min_element(upright.begin() + onset + 40, upright.begin() + onset + 70);
    EXPECT_LT(*s, kSampleBaseline - 0.15 * kUnitsPerMillivolt);
}

TEST(EcgGenerator, IrregularityVariesTheIntervals) {
    EcgParameters p;
    p.heartRateBpm = 80;
    const auto steady = intervals(findPeaks(EcgGenerator(p).nextRecording()));
    p.irregularity = 0.3;
    const auto irregular = intervals(findPeaks(EcgGenerator(p).nextRecording()));
    const auto spread = [](const std::vector<double>& v) {
        const auto [lo, hi] = std::minmax_element(v.begin(), v.end());
        return *hi - *lo;
    };
    EXPECT_LE(spread(steady), 1.0);
    EXPECT_GT(spread(irregular), 30.0);
    for (double rr : irregular)
        EXPECT_LE(std::abs(rr - 187.5), 0.3 * 187.5 + 1);
}

TEST(EcgGenerator, NoiseWanderAndTheConverterRange) {
    EcgParameters p;
    p.noiseMv = 0.1;
    p.wanderMv = 0.5;
    p.wanderHz = 0.5;
    const auto s = EcgGenerator(p).nextRecording();
    EcgParameters quiet;
    const auto q = EcgGenerator(quiet).nextRecording();
    double diff = 0;
    for (size_t i = 0; i < s.size(); ++i)
        diff += std::abs(s[i] - q[i]);
    EXPECT_GT(diff / double(s.size()), 20.0);
    p.qrsAmplitudeMv = 10.0; // far beyond the converter
    const auto big = EcgGenerator(p).nextRecording();
    EXPECT_EQ(*std::max_element(big.begin(), big.end()), 1023);
    EXPECT_GE(*std::min_element(big.begin(), big.end()), 0);
}

TEST(EcgGenerator, SnapBlocksDecodeToTheSameSignal) {
    EcgParameters p;
    p.seed = 5;
    p.noiseMv = 0.03;
    const auto samples = EcgGenerator(p).nextRecording();
    const SnapBlocks blocks = EcgGenerator(p).nextSnapBlocks();
    EXPECT_EQ(decodeSnapBlocks(blocks), samples);
}
