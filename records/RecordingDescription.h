#pragma once

#include "core/RecordingMode.h"
#include "records/RecordIndexEntry.h"

#include <QString>

namespace vantora {

// The first line of a recording's information box: in Snap mode the name of
// its recording type (string 61203 + kind, kinds 1 to 15; empty otherwise), in
// Continuous mode the names of the events of its mask (string 61289 + bit for
// every set bit 0 to 15), joined by single spaces.
QString recordingDescription(RecordingMode mode, const RecordIndexEntry& entry);

// A stored heart rate as every list, page and picture shows it: a recorder
// that had no rate stores 0, shown as "-".
QString storedHeartRateText(int rate);

} // namespace vantora
