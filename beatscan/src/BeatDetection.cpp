// Beat detection on one 30 s recording at 250 samples/s: smooth (half-width
// 5), form the curvature feature (0..256), set one threshold from the
// recording itself and pick the feature peaks as R positions. Nothing adapts
// during or between recordings. BeatDetectionTest checks built signals with
// known R peaks, the spacing rule and the search limits; BeatscanRegressionTest
// checks the beats of 60 real recordings.
#include "BeatDetection.h"

#include "CurvatureFeature.h"
#include "GaussSmoothing.h"

namespace beatscan {

int32_t detectionThreshold(const std::vector<int32_t>& feature) {
    const int n = static_cast<int>(feature.size());
    int32_t sumOfMaxima = 0;
    int32_t blocks = 0;
    for (int start = 0; start + ThresholdBlockLength < n; start += ThresholdBlockLength) {
        int32_t blockMax = 0;
        for (int i = start; i < start + ThresholdBlockLength; ++i) {
            blockMax = feature[i] > blockMax ? feature[i] : blockMax;
        }
        sumOfMaxima += blockMax;
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
    int i = CurvatureHalfWidth;
    while (i < last + 1 - RefractorySamples) {
        ++i;
        if (feature[i] <= threshold) {
            continue;
        }
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
        i = peak + RefractorySamples;
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
