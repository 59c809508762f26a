// Averaged-beat layout: one second of samples over
// width - 15 pixels; each column shows the sample farthest from the zero line
// among those since the previous column. Tested by tests/render/AveragedBeatLayoutTest.cpp.
#include "render/AveragedBeatLayout.h"

#include "core/SampleRange.h"
#include "core/SignalFormat.h"

#include <cstdlib>

namespace vantora {

namespace {

constexpr int kZeroLine = 105;
constexpr double kPixelsPerUnit = 70.0 / kUnitsPerMillivolt; // 70 px per mV
constexpr int kUpperTickTop = 140, kUpperTickBottom = 147, kUpperInterval = 145;
constexpr int kLowerTickTop = 152, kLowerTickBottom = 159, kLowerInterval = 157;

std::vector<QPoint> layoutTrace(const AveragedBeat& beat, float scale) {
    std::vector<QPoint> trace;
    int lastColumn = -1;
    int32_t kept = -1;
    int keptDistance = -1;
    for (int i = 0; i < int(beat.size()); ++i) {
        const int column = int(float(i) * scale);
        const int32_t sample = clampSample(beat[size_t(i)]); // the missing mark stays
        const int distance = std::abs(sample - kSampleBaseline);
        if (distance > keptDistance) {
            kept = sample;
            keptDistance = distance;
        }
        if (column == lastColumn)
            continue;
        lastColumn = column;
        keptDistance = -1;
        if (kept != AveragedBeatLayout::kMissingSample)
            trace.emplace_back(column, int(kZeroLine - (kept - kSampleBaseline) * kPixelsPerUnit));
    }
    return trace;
}

} // namespace

AveragedBeatLayout AveragedBeatLayout::compute(const AveragedBeat& beat,
                                               const ParameterBlock& parameters, int width) {
    AveragedBeatLayout layout;
    const float scale = float((width - 15) * 0.004); // 1 s over the usable width
    layout.trace = layoutTrace(beat, scale);

    std::array<int, 4> x{};
    for (size_t k = 0; k < x.size(); ++k)
        x[k] = int(float(parameters[kSlotPB + k]) * scale); // PB, QB, SE, TE
    layout.ticks = {QLine(x[0], kUpperTickTop, x[0], kUpperTickBottom),
                    QLine(x[1], kUpperTickTop, x[1], kUpperTickBottom),
                    QLine(x[2], kUpperTickTop, x[2], kUpperTickBottom),
                    QLine(x[1], kLowerTickTop, x[1], kLowerTickBottom),
                    QLine(x[3], kLowerTickTop, x[3], kLowerTickBottom)};
    layout.pr = QLine(x[0] + 1, kUpperInterval, x[1] - 1, kUpperInterval);
    layout.qrs = QLine(x[1] + 1, kUpperInterval, x[2] - 1, kUpperInterval);
    layout.qt = QLine(x[1], kLowerInterval, x[3], kLowerInterval);

    for (size_t k = 0; k < x.size(); ++k) {
        layout.markers[k] = QPoint(x[k], 0);
        for (const QPoint& p : layout.trace)
            if (p.x() == x[k])
                layout.markers[k].setY(p.y());
    }
    return layout;
}

} // namespace vantora
