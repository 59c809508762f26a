// Rate and interval parameters: heart rate from the detected R positions
// (250 samples/s, so 15000 samples per minute), and ST level (recorder units,
// 80 ms after the QRS end against the line from QRS onset to T end) and the
// PR, QRS, QT and QTc intervals (4 ms per sample) from the delineated averaged
// beat. QTc is Bazett's: QT divided by the square root of the beat interval in
// seconds, sqrt(QT x QT x HR / 60). All integer arithmetic truncates toward
// zero. RateParametersTest checks the worked examples and the one-beat cases.
#include "RateParameters.h"

#include "Truncation.h"

#include <cmath>
#include <limits>

namespace beatscan {
namespace {

constexpr int STOffset = 20; // samples after SE, 80 ms
constexpr int64_t SecondsPerMinute = 60;

// q = QT x QT x HR / 60, truncated: the 32-bit result wherever 32 bits hold
// the products, saturated where they would overflow.
int32_t bazettSquare(int32_t QT, int32_t HR) {
    const int64_t qtSquared = static_cast<int64_t>(QT) * QT; // at most 2^62
    const int64_t rate = HR;
    const int64_t magnitude = rate < 0 ? -rate : rate;
    if (magnitude != 0 && qtSquared > std::numeric_limits<int64_t>::max() / magnitude) {
        return rate < 0 ? std::numeric_limits<int32_t>::min() : std::numeric_limits<int32_t>::max();
    }
    return saturateToInt(qtSquared * rate / SecondsPerMinute);
}

} // namespace

int32_t bazettQtc(int32_t QT, int32_t HR) {
    if (HR == NoRate) {
        return NoRate;
    }
    const int32_t q = bazettSquare(QT, HR);
    if (q < 0) {
        return NoRate; // only a negative rate gets here; it has no square root
    }
    return truncateToInt(std::sqrt(static_cast<double>(q)));
}

int32_t heartRate(const BeatList& beats, int32_t start, int32_t end) {
    const int32_t* R = beats.positions.data();
    const int n = beats.count;
    int first = 0;
    while (first < n && R[first] <= start) {
        ++first;
    }
    int last = 0; // index 0 is only ever the default
    for (int i = n - 1; i >= 1; --i) {
        if (R[i] < end) {
            last = i;
            break;
        }
    }
    if (first < last) {
        return (last - first) * RateSamplesPerMinute / (R[last] - R[first]);
    }
    const int k = first;
    if (k > 0 && k < n - 1) {
        return 2 * RateSamplesPerMinute / (R[k + 1] - R[k - 1]);
    }
    if (k == 0 && n > 1) {
        return RateSamplesPerMinute / (R[1] - R[0]);
    }
    if (k == n - 1 && k > 0) {
        return RateSamplesPerMinute / (R[k] - R[k - 1]);
    }
    return NoRate;
}

int32_t beatSpacing(int32_t HR) {
    return RateSamplesPerMinute / HR;
}

Intervals intervals(const AveragedBeat& A, const Fiducials& f, int32_t HR) {
    Intervals result;
    const int stAt = f.SE + STOffset;
    // 64 bits: only samples far outside the recorder's range could overflow 32.
    const int64_t rise = static_cast<int64_t>(A[f.TE]) - A[f.QB];
    const int64_t line = (static_cast<int64_t>(stAt - f.QB) * rise) / (f.TE - f.QB);
    result.ST = saturateToInt(static_cast<int64_t>(A[stAt]) - A[f.QB] - line);
    result.PR = (f.QB - f.PB) * MsPerSample;
    result.QRS = (f.SE - f.QB) * MsPerSample;
    result.QT = (f.TE - f.QB) * MsPerSample;
    result.QTc = bazettQtc(result.QT, HR);
    return result;
}

} // namespace beatscan
