// Beat detection on one 30 s recording at 250 samples/s: smooth (half-width
// 5), form the curvature feature (0..256), set one threshold from the
// recording itself and pick the feature peaks as R positions. Nothing adapts
// during or between recordings. BeatDetectionTest checks built signals with
// known R peaks, the spacing rule and the search limits; BeatscanRegressionTest
// checks the beats of 60 real recordings.
#include "BeatDetection.h"

#include "CurvatureFeature.h"
#include "GaussSmoothing.h"
#include "Truncation.h"
#include "ValueRange.h"
#include "VectorClones.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace beatscan {
namespace {

template <typename V> BEATSCAN_VECTOR_CLONES int32_t blockMaximum(const V* values, int count) {
    int32_t maximum = 0;
    for (int i = 0; i < count; ++i) {
        maximum = values[i] > maximum ? values[i] : maximum;
    }
    return maximum;
}

// The first i in [from, to) with values[i] > threshold, else to. Looks at the
// largest of 32 values at a time, since most of the feature lies below the
// threshold.
template <typename V>
BEATSCAN_VECTOR_CLONES int firstAbove(const V* values, int from, int to, V threshold) {
    constexpr int Stride = 32;
    int i = from;
    for (; i + Stride <= to; i += Stride) {
        V top = values[i];
        for (int k = 1; k < Stride; ++k) {
            top = values[i + k] > top ? values[i + k] : top;
        }
        if (top > threshold) {
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

// scaledOf[v]: raw value v of the feature as curvatureFeature scales it, for
// v = 0..M.
BEATSCAN_VECTOR_CLONES void scaleTable(int32_t maximum, int32_t* scaledOf) {
    const double factor = static_cast<double>(FeatureScale) / maximum;
    for (int32_t v = 0; v <= maximum; ++v) {
        scaledOf[v] = truncateToInt(v * factor);
    }
}

// above[i]: 1 where the raw feature crosses, else 0, for a byte search.
BEATSCAN_VECTOR_CLONES void markAbove(const int16_t* raw, int16_t crossing, uint8_t* above) {
    for (int i = 0; i < RecordLength; ++i) {
        above[i] = raw[i] > crossing ? 1 : 0;
    }
}

BEATSCAN_VECTOR_CLONES bool samplesWithinNarrow(const int32_t* samples) {
    return allWithin<int32_t>(samples, RecordLength, NarrowSmoothingMagnitude);
}

// The peak search over n values of a feature stored as V. nextCrossing(from,
// to) finds the first value in [from, to) above the threshold, else to; a
// span's peak is its first value of the largest
// level, a value's level being what it scales to, and lowestOfLevel(v) the
// least value of v's level (v itself where values are their own levels). So
// the feature can be searched before it is scaled.
template <typename V, typename NextCrossing, typename LowestOfLevel>
BeatList peaksOf(const V* feature, int n, NextCrossing nextCrossing, LowestOfLevel lowestOfLevel) {
    BeatList beats;
    const int last = n - 1;
    // A crossing can open a search up to 50 samples before the last sample.
    const int lastCrossing = last + 1 - RefractorySamples;
    int i = nextCrossing(CurvatureHalfWidth + 1, lastCrossing + 1);
    while (i <= lastCrossing) {
        const int spanEnd = i + RefractorySamples < last ? i + RefractorySamples : last;
        V top = feature[i];
        for (int j = i + 1; j <= spanEnd; ++j) {
            top = feature[j] > top ? feature[j] : top;
        }
        // Of equal levels the first wins.
        const V lowest = lowestOfLevel(top);
        int peak = i;
        while (feature[peak] < lowest) {
            ++peak;
        }
        if (beats.count == MaxBeats) {
            break; // unreachable with the 51-sample spacing; guards the list
        }
        beats.positions[beats.count++] = peak;
        // The next crossing can be no nearer than 51 samples after the peak.
        i = nextCrossing(peak + RefractorySamples + 1, lastCrossing + 1);
    }
    return beats;
}

// Detection for samples within +-8191, the recorder's range and far beyond:
// the same smoothing, feature, threshold and search in 16-bit buffers, with
// the feature never scaled as a whole. Scaling by 256.0 / M is monotone, so
// the scaled maximum of a block is the scaled block maximum, and a raw value
// lies above the largest raw value whose scaled value is at most the
// threshold exactly when its scaled value exceeds the threshold; the scaled
// values that tie are consecutive raw values.
BeatList detectNarrow(const int32_t* samples) {
    std::array<int16_t, RecordLength> smoothed;
    gaussSmoothNarrow(samples, RecordLength, DetectionSmoothingHalfWidth, smoothed.data());
    std::array<int16_t, RecordLength> raw;
    const int32_t maximum = rawCurvatureNarrow(smoothed.data(), RecordLength, raw.data());
    if (maximum == 0) {
        return {}; // an all-zero feature crosses no threshold
    }
    std::array<int32_t, CurvatureArtefact> scaledOf;
    scaleTable(maximum, scaledOf.data());
    int32_t sumOfMaxima = 0;
    int32_t blocks = 0;
    for (int start = 0; start + ThresholdBlockLength < RecordLength;
         start += ThresholdBlockLength) {
        sumOfMaxima += scaledOf[blockMaximum(&raw[start], ThresholdBlockLength)];
        ++blocks;
    }
    const int32_t threshold = (2 * (sumOfMaxima / blocks)) / 5;
    const int32_t* const scaled = scaledOf.data();
    const auto crossing = static_cast<int16_t>(
        std::upper_bound(scaled, scaled + maximum + 1, threshold) - scaled - 1);
    // A level spans at most M / 256 + 1 raw values: a short walk down.
    auto lowestOfLevel = [scaled](int16_t v) {
        int16_t lowest = v;
        while (lowest > 0 && scaled[lowest - 1] == scaled[v]) {
            --lowest;
        }
        return lowest;
    };
    std::array<uint8_t, RecordLength> above;
    markAbove(raw.data(), crossing, above.data());
    auto nextCrossing = [&above](int from, int to) {
        const void* found = from < to ? std::memchr(&above[from], 1, to - from) : nullptr;
        return found != nullptr
                   ? static_cast<int>(static_cast<const uint8_t*>(found) - above.data())
                   : to;
    };
    return peaksOf(raw.data(), RecordLength, nextCrossing, lowestOfLevel);
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
    auto nextCrossing = [&feature, threshold](int from, int to) {
        return firstAbove(feature.data(), from, to, threshold);
    };
    return peaksOf(feature.data(), static_cast<int>(feature.size()), nextCrossing,
                   [](int32_t v) { return v; });
}

BeatList detectBeats(const int32_t* samples) {
    if (samplesWithinNarrow(samples)) {
        return detectNarrow(samples);
    }
    const std::vector<int32_t> recording(samples, samples + RecordLength);
    const std::vector<int32_t> smoothed = gaussSmooth(recording, DetectionSmoothingHalfWidth);
    const std::vector<int32_t> feature = curvatureFeature(smoothed);
    return findPeaks(feature, detectionThreshold(feature));
}

} // namespace beatscan
