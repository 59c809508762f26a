// Synthetic single-lead ECG for tests, demo data and the simulated recorder.
// Input: heart rate, rhythm irregularity and wave shapes (mV, ms). Output:
// samples at 250 samples/s in recorder units (512 + 175 counts/mV, 0..1023).
// Each beat sums Gaussian bumps: P centred in its width after the onset; QRS
// from the PR interval on as Q (-10 % of R), R and S (-25 % of R); T ending at
// the QT interval, QT = 400 ms x sqrt(RR in s). An ST shift is a plateau from
// the J point to the T wave's peak with 40 ms smooth edges. Noise is white and Gaussian,
// wander a sine. EcgGeneratorTest measures rate, timing and determinism.
#include "records/EcgGenerator.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace vantora {

namespace {

constexpr double kFirstOnsetS = 0.2; // 200 ms of baseline before the first P wave
constexpr double kQtcS = 0.4;        // 400 ms corrected QT
constexpr double kMinRateBpm = 20.0;
constexpr double kMaxRateBpm = 300.0;
constexpr double kMaxIrregularity = 0.5;
constexpr double kTailSigmas = 5.0; // bumps are cut beyond this distance
constexpr double kStEdgeS = 0.04;   // 40 ms rise and fall of an ST shift

uint64_t splitmix64(uint64_t& state) {
    uint64_t z = (state += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

double bump(double t, double centre, double sigma, double amplitude) {
    const double x = (t - centre) / sigma;
    if (std::abs(x) > kTailSigmas)
        return 0.0;
    return amplitude * std::exp(-0.5 * x * x);
}

// 0 before `from`, 1 from `from + edge` on, smooth in between.
double smoothStep(double t, double from, double edge) {
    const double x = std::clamp((t - from) / edge, 0.0, 1.0);
    return x * x * (3.0 - 2.0 * x);
}

double plateau(double t, double from, double to, double amplitude) {
    if (amplitude == 0.0)
        return 0.0;
    return amplitude * smoothStep(t, from, kStEdgeS) * (1.0 - smoothStep(t, to, kStEdgeS));
}

} // namespace

EcgGenerator::EcgGenerator(const EcgParameters& parameters)
    : p_(parameters), rhythmState_(parameters.seed * 2 + 1), noiseState_(parameters.seed * 2 + 2) {
    p_.heartRateBpm = std::clamp(p_.heartRateBpm, kMinRateBpm, kMaxRateBpm);
    p_.irregularity = std::clamp(p_.irregularity, 0.0, kMaxIrregularity);
    uint64_t phaseState = parameters.seed ^ 0x5DEECE66Dull;
    wanderPhase_ = 2.0 * std::numbers::pi * uniform(phaseState);
}

double EcgGenerator::uniform(uint64_t& state) {
    return double(splitmix64(state) >> 11) * (1.0 / 9007199254740992.0); // 2^-53
}

double EcgGenerator::gaussian(uint64_t& state) {
    const double u1 = 1.0 - uniform(state); // (0, 1]
    const double u2 = uniform(state);
    return std::sqrt(-2.0 * std::log(u1)) * std::cos(2.0 * std::numbers::pi * u2);
}

void EcgGenerator::addBeatsUntil(double seconds) {
    while (beats_.empty() || beats_.back().onset <= seconds) {
        const double onset = beats_.empty() ? kFirstOnsetS : beats_.back().onset + beats_.back().rr;
        const double nominal = 60.0 / p_.heartRateBpm;
        const double rr = nominal * (1.0 + p_.irregularity * (2.0 * uniform(rhythmState_) - 1.0));
        beats_.push_back({onset, rr});
        const double r = onset + p_.prIntervalMs / 1000.0 + 0.45 * p_.qrsWidthMs / 1000.0;
        rPeaks_.push_back(std::llround(r * kSamplesPerSecond));
    }
}

double EcgGenerator::beatMillivolts(const Beat& beat, double t) const {
    const double pWidth = p_.pWidthMs / 1000.0;
    const double qrsWidth = p_.qrsWidthMs / 1000.0;
    const double tWidth = p_.tWidthMs / 1000.0;
    const double qrsOnset = beat.onset + p_.prIntervalMs / 1000.0;
    const double qt = kQtcS * std::sqrt(beat.rr);
    const double r = p_.qrsAmplitudeMv;
    const double tSign = p_.invertedT ? -1.0 : 1.0;
    return bump(t, beat.onset + pWidth / 2, pWidth / 6, p_.pAmplitudeMv) +
           bump(t, qrsOnset + 0.15 * qrsWidth, qrsWidth / 12, -0.1 * r) +
           bump(t, qrsOnset + 0.45 * qrsWidth, qrsWidth / 10, r) +
           bump(t, qrsOnset + 0.75 * qrsWidth, qrsWidth / 12, -0.25 * r) +
           bump(t, qrsOnset + qt - tWidth / 2, tWidth / 6, tSign * p_.tAmplitudeMv) +
           plateau(t, qrsOnset + qrsWidth, qrsOnset + qt - tWidth / 2, p_.stShiftMv);
}

double EcgGenerator::millivoltsAt(double t) const {
    // A beat reaches at most about a second and a half past its onset.
    double mv = 0.0;
    for (auto it = beats_.rbegin(); it != beats_.rend() && it->onset > t - 1.6; ++it)
        if (it->onset <= t + 0.1)
            mv += beatMillivolts(*it, t);
    return mv + p_.wanderMv * std::sin(2.0 * std::numbers::pi * p_.wanderHz * t + wanderPhase_);
}

std::vector<int32_t> EcgGenerator::next(int count) {
    std::vector<int32_t> samples;
    samples.reserve(size_t(std::max(count, 0)));
    for (int i = 0; i < count; ++i, ++position_) {
        const double t = double(position_) / kSamplesPerSecond;
        addBeatsUntil(t + 0.1);
        double mv = millivoltsAt(t);
        if (p_.noiseMv > 0.0)
            mv += p_.noiseMv * gaussian(noiseState_);
        const long v = std::lround(kSampleBaseline + mv * kUnitsPerMillivolt);
        samples.push_back(int32_t(std::clamp<long>(v, 0, 1023)));
    }
    return samples;
}

SnapBlocks EcgGenerator::nextSnapBlocks() {
    const auto samples = nextRecording();
    return encodeSnapBlocks(
        std::span<const int32_t, kSamplesPerRecording>(samples.data(), kSamplesPerRecording));
}

} // namespace vantora
