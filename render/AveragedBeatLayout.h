#pragma once

#include "core/SignalFormat.h"

#include <QLine>
#include <QPoint>

#include <array>
#include <cstdint>
#include <vector>

namespace vantora {

// The averaged-beat panel's drawing: the beat at 1 s over the panel's width
// (zero line 105 px below the top, 70 px per mV), five tick segments, the PR,
// QRS and QT interval segments and the markers at PB, QB, SE and TE.
struct AveragedBeatLayout {
    static constexpr int32_t kMissingSample = -32768;

    std::vector<QPoint> trace; // one point per pixel column
    std::array<QLine, 5> ticks;
    QLine pr, qrs, qt;
    std::array<QPoint, 4> markers; // y stays 0 where no trace point has the marker's x

    // width: the panel's client width; the trace spans width - 15 pixels.
    static AveragedBeatLayout compute(const AveragedBeat& beat, const ParameterBlock& parameters,
                                      int width);
};

} // namespace vantora
