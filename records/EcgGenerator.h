#pragma once

#include "records/SampleBlock.h"

#include <cstdint>
#include <vector>

namespace vantora {

// Shape of a synthetic single-lead ECG. Amplitudes in millivolts, durations in
// milliseconds; the defaults give a calm adult sinus rhythm.
struct EcgParameters {
    double heartRateBpm = 72.0;
    double irregularity = 0.0; // each RR interval varies by up to this fraction (0..0.5)
    double pAmplitudeMv = 0.15;
    double pWidthMs = 100.0;
    double prIntervalMs = 160.0; // P onset to QRS onset
    double qrsAmplitudeMv = 1.2; // R peak
    double qrsWidthMs = 90.0;
    double tAmplitudeMv = 0.3;
    double tWidthMs = 160.0;
    bool invertedT = false;
    double stShiftMv = 0.0; // ST segment raised (> 0) or depressed (< 0) from the J point on
    double noiseMv = 0.0;   // white noise, standard deviation
    double wanderMv = 0.0;  // baseline wander amplitude
    double wanderHz = 0.25; // baseline wander frequency
    uint64_t seed = 1;
};

// Deterministic synthetic ECG in recorder units (250 samples/s, zero line
// 512, 175 counts/mV, clamped to the converter's 0..1023). Each beat is a P
// wave, a QRS complex (small Q, tall R, S) and a T wave, drawn as Gaussian
// bumps placed from the beat's onset; the QT interval shortens with the rate
// (Bazett). The same parameters and seed give the same samples on every run;
// successive calls continue the signal. EcgGeneratorTest checks rate, wave
// timing, inversion and determinism.
class EcgGenerator {
public:
    explicit EcgGenerator(const EcgParameters& parameters = {});

    const EcgParameters& parameters() const { return p_; }
    // The next `count` samples of the signal.
    std::vector<int32_t> next(int count);
    // The next 30 seconds (7500 samples).
    std::vector<int32_t> nextRecording() { return next(kSamplesPerRecording); }
    // The next 30 seconds in the recorder's block form.
    SnapBlocks nextSnapBlocks();
    // R-peak sample positions produced so far (from the first sample).
    const std::vector<int64_t>& rPeaks() const { return rPeaks_; }

private:
    struct Beat {
        double onset; // seconds from the start, P wave onset
        double rr;    // seconds to the next beat
    };
    static double uniform(uint64_t& state); // [0, 1)
    static double gaussian(uint64_t& state);
    void addBeatsUntil(double seconds);
    double millivoltsAt(double seconds) const;
    double beatMillivolts(const Beat& beat, double seconds) const;

    EcgParameters p_;
    // Rhythm and noise draw from separate streams, so the signal does not
    // depend on how it is asked for in pieces.
    uint64_t rhythmState_;
    uint64_t noiseState_;
    double wanderPhase_;
    int64_t position_ = 0; // next sample index
    std::vector<Beat> beats_;
    std::vector<int64_t> rPeaks_;
};

} // namespace vantora
