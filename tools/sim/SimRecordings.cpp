#include "tools/sim/SimRecordings.h"

#include "core/SignalFormat.h"

namespace vantora::sim {

namespace {

// Recorder type bytes the station maps to type codes, and one it does not.
constexpr uint8_t kTypeBytes[] = {3, 4, 6, 7, 9, 10, 11, 12, 14, 15, 20, 21, 84, 5};
constexpr int kFirstId = 0x21;      // table ids differ from positions on purpose
constexpr int kRhythmStretch = 100; // frames per rhythm code

SimEntry makeEntry(int index, int recordNumber) {
    SimEntry e;
    e.recordNumber = uint8_t(recordNumber);
    e.id = uint8_t(kFirstId + index);
    e.header.year = 2026;
    e.header.month = 1 + index % 12;
    e.header.day = 1 + index % 28;
    e.header.hour = 8 + index % 12;
    e.header.minute = (7 * index) % 60;
    // Every fourth entry reports a rate above 500, which the station reads as 0.
    e.header.heartRate = index % 4 == 3 ? 600 : 60 + 5 * index;
    e.header.listByte = uint8_t(index + 1);
    e.header.typeByte = kTypeBytes[index % int(std::size(kTypeBytes))];
    EcgParameters p;
    p.heartRateBpm = 60 + 5 * index;
    p.seed = uint64_t(index + 1);
    p.noiseMv = 0.01;
    e.blocks = EcgGenerator(p).nextSnapBlocks();
    return e;
}

} // namespace

std::vector<SimEntry> makeEntries(const SimConfig& config) {
    std::vector<SimEntry> entries;
    const int chunkedRecord = config.recordings >= 2 ? 2 : 1;
    for (int r = 1; r <= config.recordings && entries.size() < size_t(wire::kMaxTableEntries);
         ++r) {
        entries.push_back(makeEntry(int(entries.size()), r));
        if (config.chunked && r == chunkedRecord)
            entries.push_back(makeEntry(int(entries.size()), r));
    }
    return entries;
}

LiveSource::LiveSource(const SimConfig& config)
    : config_(config), generator_([&] {
          EcgParameters p;
          p.heartRateBpm = config.heartRate > 0 ? config.heartRate : 60;
          p.seed = 7;
          return p;
      }()) {}

AcqPacket LiveSource::next() {
    const int i = frame_++;
    AcqPacket p;
    const bool stretch =
        i >= config_.invalidStart && i < config_.invalidStart + config_.invalidCount;
    const bool every =
        config_.invalidEvery > 0 && i % config_.invalidEvery == config_.invalidEvery - 1;
    p.valid = stretch || every ? 0 : 1;
    p.heartRate = p.valid ? config_.heartRate + (i / 250) % 3 : 0;
    if (!config_.rhythmCodes.empty())
        p.rhythmCode = config_.rhythmCodes[size_t(i / kRhythmStretch) % config_.rhythmCodes.size()];
    const std::vector<int32_t> s = generator_.next(kAcqSamplesPerPacket);
    for (int k = 0; k < kAcqSamplesPerPacket; ++k)
        p.samples[k] = p.valid ? s[size_t(k)] : kSampleBaseline;
    p.mode = 1;
    return p;
}

} // namespace vantora::sim
