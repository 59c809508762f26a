#pragma once

#include <array>
#include <cstdint>

namespace vantora {

// The header of one downloaded recording (one table entry of the recorder),
// as the download reader hands it to the page; the page copies it.
struct DeviceRecordHeader {
    uint16_t count = 0;   // table entries announced by the recorder
    uint16_t index = 0;   // this entry's position in the table, 0-based
    uint8_t listByte = 0; // shown in the download list, nothing else
    // Start time in the SYSTEMTIME layout: year, month, day of week, day, hour,
    // minute, second, milliseconds (the last three of these stay 0 here).
    std::array<uint16_t, 8> startTime{};
    int32_t recordingType = 0; // the recorder's type byte; the store maps it
    uint16_t heartRate = 0;    // 0 when the recorder reported more than 500
    uint8_t extra[2] = {0, 0}; // left 0 by the download

    friend bool operator==(const DeviceRecordHeader&, const DeviceRecordHeader&) = default;
};

} // namespace vantora
