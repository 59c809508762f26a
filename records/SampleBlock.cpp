#include "records/SampleBlock.h"

#include <algorithm>

namespace vantora {

namespace {
constexpr uint8_t kSubtractBit = 0x80;
constexpr uint8_t kMagnitudeMask = 0x7F;
} // namespace

void decodeSampleBlock(const uint8_t* block, int32_t* out) {
    int32_t value = int32_t(block[0]) * 256 + block[1];
    out[0] = value;
    for (int j = 2; j < SampleBlock::kBytes; ++j) {
        const uint8_t d = block[j];
        value += (d & kSubtractBit) ? -int32_t(d & kMagnitudeMask) : int32_t(d);
        out[j - 1] = value;
    }
}

std::array<int32_t, SampleBlock::kSamples> SampleBlock::decode() const {
    std::array<int32_t, kSamples> samples{};
    decodeSampleBlock(bytes.data(), samples.data());
    return samples;
}

SampleBlock SampleBlock::encode(std::span<const int32_t, kSamples> samples) {
    SampleBlock block;
    int32_t value = std::clamp<int32_t>(samples[0], 0, 0xFFFF);
    block.bytes[0] = uint8_t(value >> 8);
    block.bytes[1] = uint8_t(value);
    for (int i = 1; i < kSamples; ++i) {
        // Step from the decoded value so a clamped step is made up later.
        const int32_t step = std::clamp<int32_t>(samples[i] - value, -kMaxDelta, kMaxDelta);
        block.bytes[i + 1] = step < 0 ? uint8_t(kSubtractBit | uint8_t(-step)) : uint8_t(step);
        value += step;
    }
    return block;
}

std::vector<int32_t> decodeSnapData(std::span<const uint8_t, kSnapBlockBytes> data) {
    std::vector<int32_t> samples(kSamplesPerRecording);
    for (int b = 0; b < kBlocksPerRecording; ++b)
        decodeSampleBlock(data.data() + b * SampleBlock::kBytes,
                          samples.data() + b * SampleBlock::kSamples);
    return samples;
}

std::vector<int32_t> decodeSnapBlocks(const SnapBlocks& blocks) {
    std::vector<int32_t> samples(kSamplesPerRecording);
    for (int b = 0; b < kBlocksPerRecording; ++b)
        decodeSampleBlock(blocks[b].bytes.data(), samples.data() + b * SampleBlock::kSamples);
    return samples;
}

SnapBlocks encodeSnapBlocks(std::span<const int32_t, kSamplesPerRecording> samples) {
    SnapBlocks blocks;
    for (int b = 0; b < kBlocksPerRecording; ++b)
        blocks[b] = SampleBlock::encode(
            samples.subspan(size_t(b) * SampleBlock::kSamples).first<SampleBlock::kSamples>());
    return blocks;
}

} // namespace vantora
