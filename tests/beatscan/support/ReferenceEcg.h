// The real recordings of tests/data/ecg and their expected analyses.
#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace reference {

constexpr int RecordingCount = 60;
constexpr int SamplesPerRecording = 7500;

using Recording = std::vector<int32_t>;

struct ExpectedAnalysis {
    int segment = 0;
    int32_t start = 0;
    int32_t end = 0;
    int result = 0;
    std::vector<int32_t> beats;
    std::vector<int32_t> averagedBeat;
    std::vector<int32_t> parameters;
    std::map<std::string, int32_t> indices; // P, PB, QB, SE, T, TE
};

struct ReferenceSet {
    std::vector<Recording> recordings;
    std::vector<std::vector<int32_t>> referenceBeats; // annotated beats per recording
    std::vector<ExpectedAnalysis> cases;
};

std::string sharedEcgPath(const std::string& file);

// Reads the 60 recordings and the expected file; throws with a reason when a
// file is missing or malformed.
ReferenceSet loadReferenceSet();

} // namespace reference
