#pragma once

#include "core/SignalFormat.h"

#include <array>
#include <cstdint>
#include <span>
#include <vector>

namespace vantora {

// SampleBlock: 500 samples in the recorder's delta form, 501 bytes. Bytes 0-1
// are the first sample, big-endian; each of bytes 2-500 steps to the next
// sample: bit 7 clear adds the byte (0-127), bit 7 set subtracts its low seven
// bits. Every block starts afresh from its own first sample.
struct SampleBlock {
    static constexpr int kBytes = 501;
    static constexpr int kSamples = 500;
    static constexpr int kMaxDelta = 127;

    std::array<uint8_t, kBytes> bytes{};

    std::array<int32_t, kSamples> decode() const;
    // Encodes 500 samples. The first is clamped to 0..65535; each step is
    // clamped to +-127 and taken from the decoded value, so a clamped step is
    // caught up by the following ones instead of drifting.
    static SampleBlock encode(std::span<const int32_t, kSamples> samples);

    friend bool operator==(const SampleBlock&, const SampleBlock&) = default;
};

// A Snap recording is 15 blocks: 7515 bytes, 7500 samples.
constexpr int kBlocksPerRecording = 15;
constexpr int kSnapBlockBytes = kBlocksPerRecording * SampleBlock::kBytes; // 7515
using SnapBlocks = std::array<SampleBlock, kBlocksPerRecording>;

// Decodes one block from raw bytes (kBytes of them) into out (kSamples values).
void decodeSampleBlock(const uint8_t* block, int32_t* out);
// Decodes the 7515 block bytes of a Snap recording into its 7500 samples.
std::vector<int32_t> decodeSnapData(std::span<const uint8_t, kSnapBlockBytes> data);
std::vector<int32_t> decodeSnapBlocks(const SnapBlocks& blocks);
// Encodes 7500 samples into the 15 blocks of a Snap recording.
SnapBlocks encodeSnapBlocks(std::span<const int32_t, kSamplesPerRecording> samples);

} // namespace vantora
