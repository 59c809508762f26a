// Replay detail reduction: every entry keeps the sample farthest from the zero
// line among the samples since the previous entry, so peaks survive the
// reduction from the sample rate to one entry per pixel column.
// Tested by tests/render/DetailReductionTest.cpp.
#include "render/DetailReduction.h"

#include "core/SampleRange.h"
#include "core/SignalFormat.h"

#include <algorithm>
#include <cstdlib>

namespace vantora {

DetailReduction DetailReduction::compute(std::span<const int32_t> samples, int detailWidth) {
    DetailReduction result;
    if (detailWidth < kMinimumWidth || samples.empty())
        return result;
    const int traceWidth = detailWidth - 15;
    const int n = int(traceWidth * 0.0013333333333333333 * 2500);
    result.ratio = double(traceWidth) / n;
    const int last = int(result.ratio * kSamplesPerRecording);
    result.entries.assign(size_t(last) + 1, 0);
    result.entries[0] = clampSample(samples[0]);

    int32_t kept = 0;
    int keptDistance = -1;
    int previousK = 0;
    for (size_t i = 0; i < samples.size(); ++i) {
        const int32_t sample = clampSample(samples[i]);
        const int distance = std::abs(sample - kSampleBaseline);
        if (distance > keptDistance) {
            kept = sample;
            keptDistance = distance;
        }
        const int k = int(double(i) * result.ratio);
        if (k != previousK && k <= last) {
            result.entries[size_t(k)] = kept;
            keptDistance = -1;
        }
        previousK = k;
    }
    return result;
}

int DetailReduction::firstEntry(int detailWidth, int selectionX, int columnWidth) const {
    if (entries.empty() || columnWidth <= 0)
        return 0;
    const int count = detailWidth - 15;
    int first = int((double(selectionX) / columnWidth) * kSamplesPerRecording * ratio);
    if (count + first > ratio * kSamplesPerRecording)
        first = int(ratio * kSamplesPerRecording - detailWidth + 15);
    return std::max(first, 0);
}

std::vector<int32_t> DetailReduction::stretch(int detailWidth, int selectionX,
                                              int columnWidth) const {
    if (entries.empty() || columnWidth <= 0)
        return {};
    const int count = detailWidth - 15;
    const int first = firstEntry(detailWidth, selectionX, columnWidth);
    std::vector<int32_t> out;
    out.reserve(size_t(count));
    for (int i = first; i < first + count && i < int(entries.size()); ++i)
        out.push_back(entries[size_t(i)]);
    return out;
}

} // namespace vantora
