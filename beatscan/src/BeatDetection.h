// R-peak detection over a whole recording.
#pragma once

#include "AnalysisState.h"

#include <cstdint>
#include <vector>

namespace beatscan {

constexpr int DetectionSmoothingHalfWidth = 5; // samples, 20 ms
constexpr int ThresholdBlockLength = 500;      // samples, 2 s
constexpr int RefractorySamples = 50;          // 200 ms: search span and resume distance

// (2 x mean block maximum) / 5 over the 500-sample blocks that end before the
// last sample of the feature, all divisions truncating.
int32_t detectionThreshold(const std::vector<int32_t>& feature);

// R peaks of a feature of RecordLength values: every crossing above the
// threshold opens a search over the next 50 samples for the first largest
// value; the scan resumes 50 samples after the peak found.
BeatList findPeaks(const std::vector<int32_t>& feature, int32_t threshold);

// Smoothing, feature, threshold and peak search over the RecordLength samples.
BeatList detectBeats(const int32_t* samples);

} // namespace beatscan
