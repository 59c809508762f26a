#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace vantora {

// Every recording: 30 s at 250 samples/s, in converter units with the zero
// line at 512 and 175 units per millivolt. Readers, exporters, renderers and
// reports all take the format from here.
constexpr int kSamplesPerSecond = 250;
constexpr int kSecondsPerRecording = 30;
constexpr int kSamplesPerRecording = kSamplesPerSecond * kSecondsPerRecording; // 7500
constexpr int kSampleBaseline = 512;
constexpr int kUnitsPerMillivolt = 175;

// The analysis library's averaged beat: one second of samples, R peak in the middle.
using AveragedBeat = std::array<int32_t, kSamplesPerSecond>;

// The slots of the library's parameter block, in the library's order: wave
// indexes into the averaged beat, the rate in beats/min, ST in sample units,
// the intervals in ms.
enum ParameterSlot : std::size_t {
    kSlotPB,
    kSlotQB,
    kSlotSE,
    kSlotTE,
    kSlotHeartRate,
    kSlotST,
    kSlotPR,
    kSlotQRS,
    kSlotQT,
    kSlotQTc,
    kParameterSlots
};
using ParameterBlock = std::array<int32_t, kParameterSlots>;

// Screen and paper show ST at 10 mm per mV.
constexpr double kStMillimetresPerMillivolt = 10.0;

// The ST level in millimetres: units x 10.0 / 175.0 in double precision, in
// that order, so the page's fields and the report print the same digits.
constexpr double stMillimetres(const ParameterBlock& parameters) {
    return parameters[kSlotST] * kStMillimetresPerMillivolt / kUnitsPerMillivolt;
}

} // namespace vantora
