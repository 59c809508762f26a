#include "device/WireProtocol.h"

namespace vantora::wire {

namespace {

constexpr uint8_t kSizeHigh = 0x1D; // 7515, big-endian
constexpr uint8_t kSizeLow = 0x5B;
constexpr int kTrailingBytes = 2;

// Live frame layout (after 55 AA).
constexpr int kStatusAt = 1;
constexpr int kRateLowAt = 3;
constexpr int kUpperBitsAt = 4; // four bytes, samples 1 to 4
constexpr int kLowBitsAt = 8;
constexpr int kRhythmAt = 9;
constexpr int kFrameChecksumAt = 14;
constexpr uint8_t kRateBit8 = 0x80;
constexpr uint8_t kNoSignal = 0x20;

} // namespace

uint8_t sum8(const uint8_t* data, int n, uint8_t start) {
    unsigned sum = start;
    for (int i = 0; i < n; ++i)
        sum += data[i];
    return uint8_t(sum);
}

CommandFrame makeCommand(uint8_t code, uint8_t param) {
    CommandFrame f;
    f.bytes[0] = kSync0;
    f.bytes[1] = kSync1;
    f.bytes[2] = code;
    f.bytes[3] = param;
    if (code >= kRecordHeader)
        f.bytes[4] = uint8_t(code + param);
    return f;
}

bool infoValid(const uint8_t* body) {
    return sum8(body, kInfoChecksumAt, kInformation) == body[kInfoChecksumAt];
}

std::optional<int> parseCount(const uint8_t* body) {
    if (body[1] != kSizeHigh || body[2] != kSizeLow)
        return std::nullopt;
    if (sum8(body, 3, kRecordCount) != body[3])
        return std::nullopt;
    return body[0];
}

std::optional<std::vector<TableEntry>> parseTable(const uint8_t* body, int entries) {
    if (entries < 0 || entries > kMaxTableEntries)
        return std::nullopt;
    if (sum8(body, 2 * entries, kRecordTable) != body[2 * entries])
        return std::nullopt;
    std::vector<TableEntry> table(static_cast<size_t>(entries));
    for (int i = 0; i < entries; ++i)
        table[size_t(i)] = {body[2 * i], body[2 * i + 1]};
    return table;
}

std::optional<DeviceRecordHeader> parseHeader(const uint8_t* body, int count, int index) {
    if (sum8(body, kHeaderChecksumAt, kRecordHeader) != body[kHeaderChecksumAt])
        return std::nullopt;
    DeviceRecordHeader h;
    h.count = uint16_t(count);
    h.index = uint16_t(index);
    h.listByte = body[8];
    h.startTime = {uint16_t(2000 + body[1]), body[2], 0, body[3], body[4], body[5], 0, 0};
    h.recordingType = body[11];
    const int rate = body[6] | (body[7] << 8);
    h.heartRate = uint16_t(rate > kHeartRateLimit ? 0 : rate);
    return h;
}

bool dataTrailerValid(uint8_t blockSum, const uint8_t* trailer) {
    return trailer[0] == blockSum;
}

std::optional<AcqPacket> decodeLiveFrame(const uint8_t* frame) {
    if (sum8(frame + 1, 13) != frame[kFrameChecksumAt])
        return std::nullopt;
    const uint8_t status = frame[kStatusAt];
    AcqPacket p;
    p.valid = (status & kNoSignal) ? 0 : 1;
    p.heartRate = frame[kRateLowAt] + ((status & kRateBit8) ? 256 : 0);
    p.rhythmCode = frame[kRhythmAt];
    for (int i = 0; i < kAcqSamplesPerPacket; ++i)
        p.samples[i] = frame[kUpperBitsAt + i] * 4 + ((frame[kLowBitsAt] >> (2 * i)) & 3);
    p.mode = (status >> 1) & 7;
    return p;
}

std::vector<uint8_t> encodeReply(uint8_t code, const std::vector<uint8_t>& body) {
    std::vector<uint8_t> out;
    out.reserve(body.size() + 6);
    out.push_back(kSync0);
    out.push_back(kSync1);
    out.push_back(code);
    for (uint8_t b : body)
        out.push_back(b);
    out.push_back(sum8(body.data(), int(body.size()), code));
    out.insert(out.end(), kTrailingBytes, 0);
    return out;
}

std::vector<uint8_t> encodeLiveFrame(const AcqPacket& packet) {
    std::vector<uint8_t> f(2 + kLiveFrameBytes, 0);
    f[0] = kSync0;
    f[1] = kSync1;
    uint8_t* b = f.data() + 2;
    uint8_t status = uint8_t((packet.mode & 7) << 1);
    if (!packet.valid)
        status |= kNoSignal;
    if (packet.heartRate & 0x100)
        status |= kRateBit8;
    b[kStatusAt] = status;
    b[kRateLowAt] = uint8_t(packet.heartRate);
    for (int i = 0; i < kAcqSamplesPerPacket; ++i) {
        const int s = packet.samples[i] & 0x3FF;
        b[kUpperBitsAt + i] = uint8_t(s >> 2);
        b[kLowBitsAt] |= uint8_t((s & 3) << (2 * i));
    }
    b[kRhythmAt] = uint8_t(packet.rhythmCode);
    b[kFrameChecksumAt] = sum8(b + 1, 13);
    return f;
}

std::vector<uint8_t> headerBody(const RecorderHeaderFields& h) {
    return {0,
            uint8_t(h.year - 2000),
            uint8_t(h.month),
            uint8_t(h.day),
            uint8_t(h.hour),
            uint8_t(h.minute),
            uint8_t(h.heartRate),
            uint8_t(h.heartRate >> 8),
            h.listByte,
            0,
            0,
            h.typeByte};
}

} // namespace vantora::wire
