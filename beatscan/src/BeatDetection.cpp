// Beat detection on one 30 s recording at 250 samples/s: smooth (half-width
// 5), form the curvature feature (0..256), set one threshold from the
// recording itself and pick the feature peaks as R positions. Nothing adapts
// during or between recordings. BeatDetectionTest checks built signals with
// known R peaks, the spacing rule and the search limits; BeatscanRegressionTest
// checks the beats of 60 real recordings.
#include "BeatDetection.h"

#include "CurvatureFeature.h"
#include "GaussSmoothing.h"
#include "VectorClones.h"

namespace beatscan {
namespace {

BEATSCAN_VECTOR_CLONES int32_t blockMaximum(const int32_t* values, int count) {
    int32_t maximum = 0;
    for (int i = 0; i < count; ++i) {
        maximum = values[i] > maximum ? values[i] : maximum;
    }
    return maximum;
}

// The first i in [from, to) with values[i] > threshold, else to. Looks at 16
// values at a time, since most of the feature lies below the threshold.
BEATSCAN_VECTOR_CLONES int firstAbove(const int32_t* values, int from, int to, int32_t threshold) {
    constexpr int Stride = 16;
    int i = from;
    for (; i + Stride <= to; i += Stride) {
        bool any = false;
        for (int k = 0; k < Stride; ++k) {
            any |= values[i + k] > threshold;
        }
        if (any) {
            break;
        }
    }
    for (; i < to; ++i) {
        if (values[i] > threshold) {
            return i;
        }
    }
    return to;
}

} // namespace

int32_t detectionThreshold(const std::vector<int32_t>& feature) {
    const int n = static_cast<int>(feature.size());
    int32_t sumOfMaxima = 0;
    int32_t blocks = 0;
    for (int start = 0; start + ThresholdBlockLength < n; start += ThresholdBlockLength) {
        sumOfMaxima += blockMaximum(&feature[start], ThresholdBlockLength);
        ++blocks;
    }
    if (blocks == 0) {
        return 0;
    }
    return (2 * (sumOfMaxima / blocks)) / 5;
}

BeatList findPeaks(const std::vector<int32_t>& feature, int32_t threshold) {
    BeatList beats;
    const int last = static_cast<int>(feature.size()) - 1;
    // A crossing can open a search up to 50 samples before the last sample.
    const int lastCrossing = last + 1 - RefractorySamples;
    int i = firstAbove(feature.data(), CurvatureHalfWidth + 1, lastCrossing + 1, threshold);
    while (i <= lastCrossing) {
        int peak = i;
        int32_t peakValue = feature[i];
        const int spanEnd = i + RefractorySamples < last ? i + RefractorySamples : last;
        for (int j = i; j <= spanEnd; ++j) {
            if (feature[j] > peakValue) { // strictly: of equal maxima the first wins
                peakValue = feature[j];
                peak = j;
            }
        }
        if (beats.count == MaxBeats) {
            break; // unreachable with the 51-sample spacing; guards the list
        }
        beats.positions[beats.count++] = peak;
        // The next crossing can be no nearer than 51 samples after the peak.
        i = firstAbove(feature.data(), peak + RefractorySamples + 1, lastCrossing + 1, threshold);
    }
    return beats;
}

BeatList detectBeats(const int32_t* samples) {
    const std::vector<int32_t> recording(samples, samples + RecordLength);
    const std::vector<int32_t> smoothed = gaussSmooth(recording, DetectionSmoothingHalfWidth);
    const std::vector<int32_t> feature = curvatureFeature(smoothed);
    return findPeaks(feature, detectionThreshold(feature));
}

} // namespace beatscan
