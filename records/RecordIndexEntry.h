#pragma once

#include <QDateTime>
#include <QString>

#include <array>
#include <cstdint>

namespace vantora {

// A date and time in the layout of the Windows SYSTEMTIME record: eight
// unsigned 16-bit fields, little-endian on disk.
struct SystemTime {
    static constexpr int kBytes = 16;

    uint16_t year = 0;
    uint16_t month = 0;     // 1-12
    uint16_t dayOfWeek = 0; // 0 = Sunday
    uint16_t day = 0;       // 1-31
    uint16_t hour = 0;
    uint16_t minute = 0;
    uint16_t second = 0;
    uint16_t milliseconds = 0;

    static SystemTime fromFields(const std::array<uint16_t, 8>& fields);
    std::array<uint16_t, 8> fields() const;
    static SystemTime fromBytes(const uint8_t* p); // kBytes bytes
    void toBytes(uint8_t* p) const;

    static SystemTime fromDateTime(const QDateTime& local);
    static SystemTime now(); // local time

    friend bool operator==(const SystemTime&, const SystemTime&) = default;
};

// RecordIndexEntry: 24 bytes per recording in "-idx.dat" and chart files.
//   0  2  marker 0x55 0xAA (0x77 0xEE in continuous chart files)
//   2 16  start time (Snap) or end time (Continuous), SystemTime layout
//  18  2  kind: Snap recording type code; Continuous event mask
//  20  2  heart rate, beats per minute
//  22  2  Snap: the recorder header's two further bytes; Continuous: 0
// Readers use the 22-byte payload from offset 2 and never check the marker.
struct RecordIndexEntry {
    static constexpr int kBytes = 24;
    static constexpr int kPayloadOffset = 2;
    static constexpr int kPayloadBytes = 22;

    std::array<uint8_t, 2> marker{0x55, 0xAA};
    SystemTime time;
    uint16_t kind = 0;
    uint16_t heartRate = 0;
    std::array<uint8_t, 2> extra{0, 0};

    std::array<uint8_t, kBytes> toBytes() const;
    static RecordIndexEntry fromBytes(const uint8_t* p);   // kBytes bytes
    static RecordIndexEntry fromPayload(const uint8_t* p); // kPayloadBytes bytes

    friend bool operator==(const RecordIndexEntry&, const RecordIndexEntry&) = default;
};

// Store markers: every record and entry starts with kStoreMarker; charts of
// continuous recordings carry kContinuousChartMarker instead.
constexpr std::array<uint8_t, 2> kStoreMarker{0x55, 0xAA};
constexpr std::array<uint8_t, 2> kContinuousChartMarker{0x77, 0xEE};

// The Snap kind field: the recorder's recording type mapped to the stored code
// (3->1, 4->2, 6->3, 7->4, 9->5, 10->6, 11->7, 12->8, 14->9, 15->10, 20->11,
// 21->12, 84->13, anything else 0).
uint16_t recordingTypeCode(int32_t recorderType);

// Heart rates above this are reported as 0 in a Snap entry.
constexpr int kMaxReportedHeartRate = 500;

} // namespace vantora
