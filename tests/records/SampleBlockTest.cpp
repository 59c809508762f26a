#include "records/SampleBlock.h"
#include "support/TestData.h"

#include <gtest/gtest.h>

#include <random>

using namespace vantora;

namespace {

SampleBlock blockOf(const QByteArray& bytes) {
    SampleBlock b;
    std::copy(bytes.begin(), bytes.begin() + std::min<qsizetype>(bytes.size(), SampleBlock::kBytes),
              b.bytes.begin());
    return b;
}

} // namespace

TEST(SampleBlockDecode, FirstSampleIsBigEndianAndDeltasAreSignMagnitude) {
    const auto s = blockOf(test::ByteWriter().u8(0x02).u8(0x00).u8(0x05).u8(0x83).bytes()).decode();
    EXPECT_EQ(s[0], 512);
    EXPECT_EQ(s[1], 517);
    EXPECT_EQ(s[2], 514);
    EXPECT_EQ(s[3], 514); // the rest of the block holds zero deltas
}

TEST(SampleBlockDecode, DeltaByteEdges) {
    test::ByteWriter w;
    w.u8(0x01).u8(0x00); // 256
    w.u8(0x80).u8(0x81).u8(0x7F).u8(0xFF).u8(0x00);
    const auto s = blockOf(w.bytes()).decode();
    EXPECT_EQ(s[1], 256); // 0x80 subtracts 0
    EXPECT_EQ(s[2], 255); // 0x81 subtracts 1
    EXPECT_EQ(s[3], 382); // 0x7F adds 127
    EXPECT_EQ(s[4], 255); // 0xFF subtracts 127
    EXPECT_EQ(s[5], 255);
}

TEST(SampleBlockDecode, AllZeroDeltasGiveFiveHundredEqualSamples) {
    const auto s = blockOf(test::ByteWriter().u8(0x03).u8(0xFF).bytes()).decode();
    for (int32_t v : s)
        ASSERT_EQ(v, 1023);
}

TEST(SampleBlockDecode, EveryBlockStartsFromItsOwnFirstSample) {
    QByteArray data;
    for (int b = 0; b < kBlocksPerRecording; ++b) {
        test::ByteWriter w;
        w.u8(0x00).u8(uint8_t(10 * b));
        for (int j = 0; j < 499; ++j)
            w.u8(0x01); // +1 each: a block ends 499 above its start
        data.append(w.bytes());
    }
    ASSERT_EQ(data.size(), kSnapBlockBytes);
    const auto samples = decodeSnapData(std::span<const uint8_t, kSnapBlockBytes>(
        reinterpret_cast<const uint8_t*>(data.constData()), kSnapBlockBytes));
    ASSERT_EQ(samples.size(), size_t(kSamplesPerRecording));
    for (int b = 0; b < kBlocksPerRecording; ++b) {
        EXPECT_EQ(samples[size_t(b) * 500], 10 * b);
        EXPECT_EQ(samples[size_t(b) * 500 + 499], 10 * b + 499);
    }
}

TEST(SampleBlockEncode, RoundTripsSignalsWithSmallSteps) {
    std::mt19937 random(7);
    std::vector<int32_t> samples(kSamplesPerRecording);
    int32_t v = 512;
    for (int32_t& s : samples) {
        v = std::clamp(v + int32_t(random() % 255) - 127, 0, 1023);
        s = v;
    }
    const SnapBlocks blocks = encodeSnapBlocks(
        std::span<const int32_t, kSamplesPerRecording>(samples.data(), samples.size()));
    EXPECT_EQ(decodeSnapBlocks(blocks), samples);
    for (int b = 0; b < kBlocksPerRecording; ++b) {
        const int32_t first = samples[size_t(b) * 500];
        EXPECT_EQ(blocks[b].bytes[0], first >> 8);
        EXPECT_EQ(blocks[b].bytes[1], first & 0xFF);
    }
}

TEST(SampleBlockEncode, LargeStepsAreClampedAndCaughtUp) {
    std::array<int32_t, SampleBlock::kSamples> samples;
    samples.fill(800);
    samples[0] = 100; // the next sample is 700 above: six steps of at most 127
    const SampleBlock block = SampleBlock::encode(samples);
    EXPECT_EQ(block.bytes[2], 0x7F);
    const auto decoded = block.decode();
    EXPECT_EQ(decoded[1], 227);
    EXPECT_EQ(decoded[5], 735);
    EXPECT_EQ(decoded[6], 800);
    EXPECT_EQ(decoded[499], 800);
    samples.fill(0);
    samples[0] = 300; // steps down use the sign bit
    const SampleBlock down = SampleBlock::encode(samples);
    EXPECT_EQ(down.bytes[2], 0xFF);
    EXPECT_EQ(down.decode()[3], 0);
    samples[0] = 70000; // the first sample has 16 bits
    EXPECT_EQ(SampleBlock::encode(samples).decode()[0], 0xFFFF);
    samples[0] = -5;
    EXPECT_EQ(SampleBlock::encode(samples).decode()[0], 0);
}
