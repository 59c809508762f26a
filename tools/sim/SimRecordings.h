#pragma once

#include "core/AcqPacket.h"
#include "device/WireProtocol.h"
#include "records/EcgGenerator.h"
#include "tools/sim/SimConfig.h"

#include <vector>

namespace vantora::sim {

// One entry of the simulated recorder's record table: a 30-second chunk with
// its header fields and its 15 blocks, made by the ECG generator.
struct SimEntry {
    uint8_t recordNumber = 0;
    uint8_t id = 0;
    wire::RecorderHeaderFields header;
    SnapBlocks blocks;
};

// The stored recordings of a configuration, the same on every run. The
// second recording (the first when it is alone) is kept in two chunks when
// the configuration asks for chunks.
std::vector<SimEntry> makeEntries(const SimConfig& config);

// The live stream of a configuration, frame by frame, the same on every run.
class LiveSource {
public:
    explicit LiveSource(const SimConfig& config);
    AcqPacket next();
    int framesMade() const { return frame_; }

private:
    SimConfig config_;
    EcgGenerator generator_;
    int frame_ = 0;
};

} // namespace vantora::sim
