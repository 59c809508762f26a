// Coefficient tables of the analysis: bell-shaped smoothing kernels (single
// precision, as the detector was tuned with them), sharpening kernels and
// one-sided edge kernels (double precision). Row h holds h + 1 weights; the
// last weight of a row falls on the sample itself, weight h - k on the samples
// at distance k. TemplateMeasuresTest checks their sums and their use.
#pragma once

namespace beatscan {

constexpr int GaussMaxHalfWidth = 8;
constexpr int SharpMaxHalfWidth = 5;
constexpr int EdgeMaxLength = 5;

// clang-format off
constexpr float GaussTable[GaussMaxHalfWidth + 1][GaussMaxHalfWidth + 1] = {
    {1.0f},
    {0.2741f, 0.4519f},
    {0.1525f, 0.2218f, 0.2514f},
    {0.1063f, 0.1403f, 0.1658f, 0.1752f},
    {0.0817f, 0.1016f, 0.1188f, 0.1305f, 0.1347f},
    {0.0663f, 0.0794f, 0.0914f, 0.101f, 0.1072f, 0.1094f},
    {0.0559f, 0.0651f, 0.0738f, 0.0813f, 0.0871f, 0.0908f, 0.0921f},
    {0.0482f, 0.0551f, 0.0616f, 0.0676f, 0.0726f, 0.0764f, 0.0787f, 0.0795f},
    {0.0425f, 0.0477f, 0.0528f, 0.0576f, 0.0618f, 0.0653f, 0.0679f, 0.0695f, 0.07f},
};

constexpr double SharpTable[SharpMaxHalfWidth + 1][SharpMaxHalfWidth + 1] = {
    {1.0},
    {-0.5, 2.0},
    {-1.0, 0.5, 2.0},
    {-0.6, -0.3, 0.5, 1.8},
    {-0.8386, -0.4817, 0.1926, 0.9663, 1.3229},
    {-0.3383, -0.3164, -0.1997, 0.1521, 0.7027, 0.9991},
};

constexpr double EdgeTable[EdgeMaxLength + 1][EdgeMaxLength + 1] = {
    {1.0},
    {-1.0, 2.0},
    {-1.0025, 0.4111, 1.5915},
    {-1.0652, -0.3403, 0.8816, 1.524},
    {-0.7543, -0.5924, -0.1314, 0.7394, 1.7386},
    {-1.4, -0.8, -0.2, 0.4, 1.2, 1.8},
};
// clang-format on

// A Gauss weight widened to double before it multiplies, so no product is
// rounded to single precision.
inline double gaussWeight(int halfWidth, int index) {
    return static_cast<double>(GaussTable[halfWidth][index]);
}

} // namespace beatscan
