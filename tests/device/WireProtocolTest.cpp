// Byte layouts of the recorder's protocol, built byte by byte here.
#include "device/WireProtocol.h"
#include "device/LinkSink.h"

#include <gtest/gtest.h>

using namespace vantora;
using namespace vantora::wire;

namespace {

// A live frame (after 55 AA) with its checksum over bytes 1 to 13.
std::array<uint8_t, kLiveFrameBytes>
frame(uint8_t status, uint8_t rate, std::array<uint8_t, 4> upper, uint8_t low, uint8_t rhythm) {
    std::array<uint8_t, kLiveFrameBytes> f{};
    f[0] = 0x99; // not interpreted, not summed
    f[1] = status;
    f[2] = 0x42; // not interpreted, summed
    f[3] = rate;
    for (int i = 0; i < 4; ++i)
        f[size_t(4 + i)] = upper[size_t(i)];
    f[8] = low;
    f[9] = rhythm;
    f[12] = 0x07;
    unsigned sum = 0;
    for (int i = 1; i <= 13; ++i)
        sum += f[size_t(i)];
    f[14] = uint8_t(sum);
    return f;
}

} // namespace

TEST(LiveFrameDecoding, SamplesFromUpperAndLowBits) {
    const auto f = frame(0x00, 70, {0x80, 0x80, 0x80, 0x80}, 0xE4, 0);
    const auto p = decodeLiveFrame(f.data());
    ASSERT_TRUE(p);
    EXPECT_EQ(p->samples[0], 512);
    EXPECT_EQ(p->samples[1], 513);
    EXPECT_EQ(p->samples[2], 514);
    EXPECT_EQ(p->samples[3], 515);
    EXPECT_EQ(p->valid, 1);
    EXPECT_EQ(p->heartRate, 70);
}

TEST(LiveFrameDecoding, HeartRateNinthBitAndStatusFields) {
    // Bit 7: rate bit 8; bit 5: no signal; bits 3-1: mode 5.
    const auto f = frame(0x80 | 0x20 | (5 << 1) | 0x01, 0x10, {0, 0xFF, 1, 2}, 0x1B, 12);
    const auto p = decodeLiveFrame(f.data());
    ASSERT_TRUE(p);
    EXPECT_EQ(p->heartRate, 272);
    EXPECT_EQ(p->valid, 0);
    EXPECT_EQ(p->mode, 5);
    EXPECT_EQ(p->rhythmCode, 12);
    EXPECT_EQ(p->samples[0], 3);    // low bits 11
    EXPECT_EQ(p->samples[1], 1022); // 0xFF * 4 + 10
    EXPECT_EQ(p->samples[2], 5);    // 1 * 4 + 01
    EXPECT_EQ(p->samples[3], 8);    // 2 * 4 + 00
}

TEST(LiveFrameDecoding, ChecksumMismatchDropsTheFrame) {
    auto f = frame(0, 60, {1, 2, 3, 4}, 0, 0);
    f[14] ^= 0x01;
    EXPECT_FALSE(decodeLiveFrame(f.data()));
    // Byte 0 is outside the sum: changing it keeps the frame.
    f[14] ^= 0x01;
    f[0] = 0x00;
    EXPECT_TRUE(decodeLiveFrame(f.data()));
}

TEST(LiveFrameDecoding, EncoderRoundTrip) {
    AcqPacket p;
    p.valid = 1;
    p.heartRate = 301;
    p.rhythmCode = 7;
    p.samples[0] = 0;
    p.samples[1] = 1023;
    p.samples[2] = 512;
    p.samples[3] = 77;
    p.mode = 3;
    const auto bytes = encodeLiveFrame(p);
    ASSERT_EQ(bytes.size(), size_t(2 + kLiveFrameBytes));
    EXPECT_EQ(bytes[0], 0x55);
    EXPECT_EQ(bytes[1], 0xAA);
    const auto back = decodeLiveFrame(bytes.data() + 2);
    ASSERT_TRUE(back);
    EXPECT_EQ(*back, p);
}

TEST(BlockDecoding, FirstSampleBigEndianThenSignMagnitudeDeltas) {
    SampleBlock b;
    b.bytes[0] = 0x02;
    b.bytes[1] = 0x00;
    b.bytes[2] = 0x05;
    b.bytes[3] = 0x83;
    b.bytes[4] = 0x80; // subtracts 0
    b.bytes[5] = 0x7F; // adds 127
    const auto s = b.decode();
    EXPECT_EQ(s[0], 512);
    EXPECT_EQ(s[1], 517);
    EXPECT_EQ(s[2], 514);
    EXPECT_EQ(s[3], 514);
    EXPECT_EQ(s[4], 641);
    EXPECT_EQ(s[499], 641);
}

TEST(CommandFrames, BytesOnTheWire) {
    const CommandFrame hello = makeCommand(kHello);
    EXPECT_EQ(hello.wireLength(), 4);
    EXPECT_EQ(std::vector<uint8_t>(hello.bytes.begin(), hello.bytes.begin() + 4),
              (std::vector<uint8_t>{0x55, 0xAA, 0x00, 0x00}));
    const CommandFrame table = makeCommand(kRecordTable);
    EXPECT_EQ(table.bytes[3], 0x03);
    EXPECT_EQ(table.wireLength(), 4);
    const CommandFrame header = makeCommand(kRecordHeader, 0xFE);
    EXPECT_EQ(header.wireLength(), 5);
    EXPECT_EQ(header.bytes[3], 0xFE);
    EXPECT_EQ(header.bytes[4], 0x02); // (0x04 + 0xFE) mod 256
    const CommandFrame data = makeCommand(kRecordData, 0x21);
    EXPECT_EQ(data.bytes[4], 0x26);
    for (size_t i = 5; i < data.bytes.size(); ++i)
        EXPECT_EQ(data.bytes[i], 0);
}

TEST(Replies, CountNeedsSizeBytesAndChecksum) {
    uint8_t good[kCountBodyBytes] = {3, 0x1D, 0x5B, uint8_t(0x02 + 3 + 0x1D + 0x5B), 0xEE, 0xEE};
    EXPECT_EQ(parseCount(good), 3);
    uint8_t wrongSize[kCountBodyBytes] = {3, 0x1D, 0x5C, uint8_t(0x02 + 3 + 0x1D + 0x5C), 0, 0};
    EXPECT_FALSE(parseCount(wrongSize)); // however valid its checksum
    good[3] ^= 0x10;
    EXPECT_FALSE(parseCount(good));
}

TEST(Replies, InformationChecksum) {
    uint8_t body[kInfoBodyBytes] = {};
    unsigned sum = 0x01;
    for (int i = 0; i < 19; ++i) {
        body[i] = uint8_t(i * 13);
        sum += body[i];
    }
    body[19] = uint8_t(sum);
    body[20] = 0xAB; // trailing, not examined
    EXPECT_TRUE(infoValid(body));
    body[5] ^= 1;
    EXPECT_FALSE(infoValid(body));
}

TEST(Replies, TableEntriesAndChecksum) {
    const std::vector<uint8_t> body = {
        1, 0x21, 2, 0x22, 2, 0x23, uint8_t(0x03 + 1 + 0x21 + 2 + 0x22 + 2 + 0x23), 0, 0};
    const auto t = parseTable(body.data(), 3);
    ASSERT_TRUE(t);
    ASSERT_EQ(t->size(), 3u);
    EXPECT_EQ((*t)[2].recordNumber, 2);
    EXPECT_EQ((*t)[2].id, 0x23);
    auto bad = body;
    bad[6] ^= 1;
    EXPECT_FALSE(parseTable(bad.data(), 3));
    EXPECT_FALSE(parseTable(body.data(), 256));
}

TEST(Replies, HeaderFields) {
    std::vector<uint8_t> body = {0x77, 26, 12, 8, 23, 59, 0xF4, 0x01, 9, 0x55, 0x66, 84};
    unsigned sum = 0x04;
    for (uint8_t b : body)
        sum += b;
    body.push_back(uint8_t(sum));
    body.push_back(0);
    body.push_back(0);
    const auto h = parseHeader(body.data(), 7, 4);
    ASSERT_TRUE(h);
    EXPECT_EQ(h->count, 7);
    EXPECT_EQ(h->index, 4);
    EXPECT_EQ(h->listByte, 9);
    EXPECT_EQ(h->startTime, (std::array<uint16_t, 8>{2026, 12, 0, 8, 23, 59, 0, 0}));
    EXPECT_EQ(h->heartRate, 500); // 500 itself is kept
    EXPECT_EQ(h->recordingType, 84);
    EXPECT_EQ(h->extra[0], 0);

    body[6] = 0xF5; // 501: above the limit
    ++body[12];
    const auto high = parseHeader(body.data(), 7, 4);
    ASSERT_TRUE(high);
    EXPECT_EQ(high->heartRate, 0);
    ++body[12];
    EXPECT_FALSE(parseHeader(body.data(), 7, 4));
}

TEST(Replies, EncodedReplyCarriesCodeChecksumAndTrailing) {
    const auto r = encodeReply(kRecordCount, {2, 0x1D, 0x5B});
    EXPECT_EQ(r, (std::vector<uint8_t>{0x55, 0xAA, 0x02, 2, 0x1D, 0x5B,
                                       uint8_t(0x02 + 2 + 0x1D + 0x5B), 0, 0}));
    EXPECT_EQ(parseCount(r.data() + 3), 2);
}

TEST(Replies, DataTrailer) {
    const uint8_t trailer[3] = {0x3C, 0x00, 0x00};
    EXPECT_TRUE(dataTrailerValid(0x3C, trailer));
    EXPECT_FALSE(dataTrailerValid(0x3D, trailer));
}

TEST(BlockTags, WParamLayout) {
    EXPECT_EQ((BlockTag{0, 1, 14}.wParam()), 14u);
    EXPECT_EQ((BlockTag{1, 1, 29}.wParam()), 29u);
    EXPECT_EQ((BlockTag{5, 3, 2}.wParam()), (2u << 16) | 2u);
}
