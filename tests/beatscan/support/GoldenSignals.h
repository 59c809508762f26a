// The bit-identity record of the analysis: signals built from the reference
// recordings (and a few synthetic ones) analysed over a grid of windows, each
// outcome folded into a 64-bit hash per signal. The golden file was written
// by the library as it stood before its speed work; any change of any output
// bit of any case changes a hash.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace golden {

struct Signal {
    std::string name;
    std::vector<int32_t> samples; // 7500
};

// Everything a caller can read after one analysis.
struct Outcome {
    int result = 0;
    std::array<int32_t, 250> beat{};
    std::array<int32_t, 10> parameters{};
    std::array<int32_t, 6> indices{}; // P, PB, QB, SE, T, TE
};

using Analyser = std::function<Outcome(const int32_t* samples, int32_t start, int32_t end)>;

// One line of the golden file: the whole-recording outcome in full, the
// beat's hash and the hash over every window of the grid.
struct Record {
    std::string name;
    int result = 0;
    std::array<int32_t, 10> parameters{};
    std::array<int32_t, 6> indices{};
    uint64_t beatHash = 0;
    uint64_t windowsHash = 0;

    bool operator==(const Record&) const = default;
};

// The reference recordings as recorded, inverted, amplified (into each of the
// arithmetic paths), attenuated and with noise, then the synthetic signals.
std::vector<Signal> goldenSignals(const std::vector<std::vector<int32_t>>& recordings);

// The window grid: starts and ends at the recording's edges and across it,
// plus an empty and a reversed window.
std::vector<std::pair<int32_t, int32_t>> goldenWindows();

Record analyseSignal(const Signal& signal, const Analyser& analyse);

std::string formatRecord(const Record& r);
// Throws std::runtime_error on a malformed line.
Record parseRecord(const std::string& line);

std::string goldenPath();

} // namespace golden
