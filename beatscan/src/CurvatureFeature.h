// The detector's curvature feature of the smoothed recording.
#pragma once

#include <cstdint>
#include <vector>

namespace beatscan {

constexpr int CurvatureHalfWidth = 15;  // samples, 60 ms either side
constexpr int CurvatureArtefact = 1024; // raw sums from here on are dropped as artefacts
constexpr int FeatureScale = 256;       // the feature is scaled to 0..256

// Raw curvature sum at position i of y: sum over j = 1..15 of
// |2 y[i] - y[i + j] - y[i - j]| / j, each quotient truncated. Needs
// 15 <= i < size - 15.
int64_t curvatureSum(const std::vector<int32_t>& y, int i);

// The scaled feature f of y: 0 in the first and last 15 positions and where
// the raw sum is 1024 or more, else sum * (256.0 / M) truncated, with M the
// largest raw sum below 1024. All zeros when M is 0.
std::vector<int32_t> curvatureFeature(const std::vector<int32_t>& y);

// The feature before scaling, for n smoothed values within +-8191 at y: the
// raw sums, 0 in the first and last 15 positions and where the sum is 1024 or
// more. Returns M; curvatureFeature scales these values by 256.0 / M.
int32_t rawCurvatureNarrow(const int16_t* y, int n, int16_t* f);

} // namespace beatscan
