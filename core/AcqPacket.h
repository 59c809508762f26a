#pragma once

#include <cstdint>

namespace vantora {

// ACQ_PACKET: one decoded live frame of the recorder, four samples of the
// 10-bit converter scale (0 ... 1023, baseline 512) at 250 samples/s.
struct AcqPacket {
    int32_t valid = 0;      // 1 when the frame carries a valid signal
    int32_t heartRate = 0;  // beats per minute, 0 ... 511
    int32_t rhythmCode = 0; // 0 = none; 1 ... 15 name a finding
    int32_t samples[4] = {0, 0, 0, 0};
    int32_t mode = 0; // 0 ... 7

    friend bool operator==(const AcqPacket&, const AcqPacket&) = default;
};

constexpr int kAcqSamplesPerPacket = 4;

} // namespace vantora
