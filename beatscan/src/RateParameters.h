// Heart rate and the interval and level parameters of the averaged beat.
#pragma once

#include "AnalysisState.h"

#include <cstdint>

namespace beatscan {

// Mean rate in beats/min over the beats strictly inside (start, end); with one
// beat inside, the rate from its neighbours in the list; -1 without any.
// Needs at least one beat inside the window.
int32_t heartRate(const BeatList& beats, int32_t start, int32_t end);

// Beat spacing in samples for a rate: 15000 / HR (-15000 for no rate).
int32_t beatSpacing(int32_t HR);

// Bazett's QTc in ms: sqrt(QT x QT x HR / 60), q formed in 32-bit integers and
// its root truncated; -1 for no rate (and for a negative one).
int32_t bazettQtc(int32_t QT, int32_t HR);

// ST, PR, QRS, QT and QTc from the delineated averaged beat.
Intervals intervals(const AveragedBeat& A, const Fiducials& f, int32_t HR);

} // namespace beatscan
