#pragma once

#include "core/RecordingMode.h"

#include <QByteArray>

#include <cstdint>
#include <utility>
#include <vector>

namespace vantora::fuzz::seeds {

// Valid inputs for the fuzz targets, written by the station's own writers in
// the fuzzing data root (which they reset) or built by their layouts.

// The files of one store; the last three only for an interrupted replacement.
struct StoreBytes {
    QByteArray data, index, journal, scratchData, scratchIndex;
};

QByteArray registryOfTwo();                // patients "P1" and "P2"
StoreBytes snapStoreFiles(int recordings); // patient "P1"
StoreBytes continuousStoreFiles(int recordings);
// A removal from a Snap store of two, stopped after its first rename.
StoreBytes interruptedSnapRemove();
// A notes file with two notes, and the 16 time bytes of the first one's recording.
std::pair<QByteArray, QByteArray> notesOfTwo();
// The chart of patient "P1" with one recording of the mode.
QByteArray chartOf(RecordingMode mode);
// The recorder's card file with this many recordings.
QByteArray cardFile(int recordings);
// The recorder's replies to a download of this many one-chunk recordings, in
// the order the reader asks for them.
std::vector<QByteArray> downloadReplies(int recordings);
// A live stream of this many frames, every tenth one without signal.
QByteArray liveFrames(int frames);
// A QRS input: the window 0..7500 and one beat period of a synthetic ECG.
QByteArray qrsInput(double heartRateBpm, int samples);

} // namespace vantora::fuzz::seeds
