// The module state of the analysis library: everything one QRS call produces,
// rebuilt from the reset values on every call. Sizes and rates are fixed; the
// library knows no other sampling rate than 250 samples/s.
#pragma once

#include <array>
#include <cstdint>

namespace beatscan {

constexpr int SamplesPerSecond = 250;
constexpr int MsPerSample = 4;              // 1000 ms / 250 samples
constexpr int RateSamplesPerMinute = 15000; // 60 s x 250 samples/s: RR in samples -> beats/min
constexpr int RecordLength = 7500;          // samples, 30 s
constexpr int TemplateLength = 250;         // samples, 1 s
constexpr int TemplateCentre = 125;         // index of the R peak in the averaged beat
constexpr int MaxBeats = 150;               // capacity of the beat list
constexpr int ParameterCount = 10;
constexpr int NoRate = -1; // HR of a recording with a single detected beat

using AveragedBeat = std::array<int32_t, TemplateLength>;
using ParameterBlock = std::array<int32_t, ParameterCount>;

struct BeatList {
    std::array<int32_t, MaxBeats> positions{}; // R-peak sample positions, ascending
    int32_t count = 0;
};

// Wave positions inside the averaged beat, with the reset defaults.
struct Fiducials {
    int32_t P = 84;
    int32_t PB = 72; // P - 12
    int32_t QB = 113;
    int32_t SE = 137;
    int32_t T = 187;
    int32_t TE = 212;      // T + 25
    int32_t tPolarity = 0; // 0 upright, 1 inverted
    int32_t pPolarity = 0;
};

struct Intervals {
    int32_t ST = 0;  // sample units
    int32_t PR = 0;  // ms
    int32_t QRS = 0; // ms
    int32_t QT = 0;  // ms
    int32_t QTc = 0; // ms
};

struct AnalysisState {
    BeatList beats;
    int32_t windowStart = 0;
    int32_t windowEnd = 0;
    AveragedBeat averagedBeat{};
    std::array<int32_t, TemplateLength> contributions{}; // beats that supplied each element
    int32_t beatsAveraged = 0;
    Fiducials fiducials;
    int32_t HR = 0; // beats/min, -1 = no rate
    int32_t RR = 0; // samples, 15000 / HR
    Intervals intervals;
    ParameterBlock parameters{};
    uint8_t result = 0;
};

} // namespace beatscan
