#pragma once

#include "core/RecordingMode.h"
#include "records/RecordIndexEntry.h"

#include <QByteArray>

#include <cstdint>

namespace vantora {

// CardRecord: one recording in the recorder's card file "ECGDATA.DAT", which
// is a 32-bit count followed by records of 7536 bytes.
//    0  1  unused          1  1  year - 2000     2  1  month     3  1  day
//    4  1  hour            5  1  minute          6  2  heart rate (LE)
//   11  1  recording type 15  3  frame head 0x55 0xAA 0x05
//   18 7515 15 SampleBlocks                     7533 3  frame trailer
namespace card {
constexpr int kRecordBytes = 7536;
constexpr int kHeaderBytes = 4; // the count
constexpr int kFrameHeadOffset = 15;
constexpr int kBlocksOffset = 18;
constexpr uint8_t kFrameHead[3] = {0x55, 0xAA, 0x05};
// File offset of the first record's frame head, the recognition bytes.
constexpr int kRecognitionOffset = kHeaderBytes + kFrameHeadOffset; // 19

// The index entry a card record gets: its date and time, the mapped type and
// a heart rate above 500 stored as 0.
RecordIndexEntry entryOf(const uint8_t* record);
// The store record (marker and data) for the mode: the blocks as they are
// (Snap), or decoded into 7500 32-bit samples (Continuous).
QByteArray storeRecordOf(const uint8_t* record, RecordingMode mode);
} // namespace card

} // namespace vantora
