#pragma once

#include "core/AcqPacket.h"
#include "core/DeviceRecordHeader.h"
#include "records/SampleBlock.h"

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

namespace vantora::wire {

// Byte layouts of the recorder's protocol. Every frame starts 0x55 0xAA;
// checksums are 8-bit sums of unsigned bytes. Pure functions over bytes: the
// readers and the simulated recorder are built on them.

constexpr uint8_t kSync0 = 0x55;
constexpr uint8_t kSync1 = 0xAA;

enum Command : uint8_t {
    kHello = 0x00,
    kInformation = 0x01,
    kRecordCount = 0x02,
    kRecordTable = 0x03,
    kRecordHeader = 0x04,
    kRecordData = 0x05,
};

// Reply bodies after 55 AA code.
constexpr int kHelloBodyBytes = 1;
constexpr int kInfoBodyBytes = 22; // 19 information, checksum, 2 trailing
constexpr int kInfoChecksumAt = 19;
constexpr int kCountBodyBytes = 6; // N, 0x1D 0x5B, checksum, 2 trailing
constexpr int kHeaderBodyBytes = 15;
constexpr int kHeaderChecksumAt = 12;
constexpr int kBlockBytes = SampleBlock::kBytes;     // 501: 500 samples
constexpr int kBlocksPerChunk = kBlocksPerRecording; // 15: 7500 samples, 30 s
constexpr int kChunkBytes = kSnapBlockBytes;         // 7515 = 0x1D5B
constexpr int kDataTrailerBytes = 3;                 // checksum, 2 trailing
constexpr int kMaxTableEntries = 255;
constexpr int tableBodyBytes(int entries) {
    return 2 * entries + 3;
}

constexpr int kLiveFrameBytes = 15;  // after 55 AA
constexpr int kHeartRateLimit = 500; // header rates above it read as 0

uint8_t sum8(const uint8_t* data, int n, uint8_t start = 0);

// The reader's current command: 11 bytes, of which 4 (codes below 0x04) or 5
// (0x04 and up, with checksum) go on the wire.
struct CommandFrame {
    std::array<uint8_t, 11> bytes{};

    uint8_t code() const { return bytes[2]; }
    int wireLength() const { return code() < kRecordHeader ? 4 : 5; }
    friend bool operator==(const CommandFrame&, const CommandFrame&) = default;
};

// Codes 0x00 to 0x03 repeat the code as parameter; 0x04 and 0x05 take a table
// id and a checksum (code + id).
CommandFrame makeCommand(uint8_t code, uint8_t param);
inline CommandFrame makeCommand(uint8_t code) {
    return makeCommand(code, code);
}

// One record table entry.
struct TableEntry {
    uint8_t recordNumber = 0; // 1-based; equal numbers are chunks of one record
    uint8_t id = 0;           // parameter of commands 0x04 and 0x05
};

bool infoValid(const uint8_t* body); // kInfoBodyBytes
// N, or nothing when the size bytes or the checksum are wrong.
std::optional<int> parseCount(const uint8_t* body); // kCountBodyBytes
std::optional<std::vector<TableEntry>> parseTable(const uint8_t* body, int entries);
std::optional<DeviceRecordHeader> parseHeader(const uint8_t* body, int count, int index);
bool dataTrailerValid(uint8_t blockSum, const uint8_t* trailer); // sum starts at 0x05

// Nothing when the checksum does not match (the frame is dropped).
std::optional<AcqPacket> decodeLiveFrame(const uint8_t* frame); // kLiveFrameBytes
// The recorder's side, for the simulated recorder and for tests.
// 55 AA code, the body, checksum (code + body) and two trailing bytes.
std::vector<uint8_t> encodeReply(uint8_t code, const std::vector<uint8_t>& bodyWithoutChecksum);
std::vector<uint8_t> encodeLiveFrame(const AcqPacket& packet);
// Header body bytes 0 ... 11 (checksum and trailing added by encodeReply).
struct RecorderHeaderFields {
    int year = 2026, month = 1, day = 1, hour = 0, minute = 0;
    int heartRate = 0;
    uint8_t listByte = 0;
    uint8_t typeByte = 0;
};
std::vector<uint8_t> headerBody(const RecorderHeaderFields& fields);

} // namespace vantora::wire
