// Strip point lists: one point per pixel column for the three 10 s rows of a
// recording, and one
// point per sample for the replay list's 32 px thumbnails. Tested by
// tests/render/StripPointBuilderTest.cpp on the column, level and clip rules.
#include "render/StripPointBuilder.h"

#include "core/SampleRange.h"
#include "render/StripGeometry.h"

#include <algorithm>

namespace vantora {

namespace {

// y of a sample in a strip row: zero line 80 px below the top, 30 px x gain per mV.
int stripY(int32_t sample, int gain) {
    return int((kSampleBaseline - clampSample(sample)) * gain * strip::kPixelsPerUnit +
               strip::kRowZeroLine);
}

// The shared walk of the strip builders; columnOf(offset, rowLeft) places a sample.
template <typename ColumnOf>
StripPointList walkRows(std::span<const int32_t> samples, const StripRows& rows, int gain,
                        ColumnOf columnOf) {
    StripPointList list;
    list.points.reserve(strip::kRowCount * strip::kRowTraceWidth);
    list.types.reserve(strip::kRowCount * strip::kRowTraceWidth);
    int lastColumn = 0;
    BandClip clip;
    StripRow row;
    const int count = std::min<int>(int(samples.size()), kSamplesPerRecording);
    for (int i = 0; i < count; ++i) {
        const int offset = i % strip::kSamplesPerRow;
        if (offset == 0) {
            row = rows[i / strip::kSamplesPerRow];
            clip.bottom = row.height;
        }
        const int x = columnOf(offset, row.left);
        if (x == lastColumn)
            continue; // the first sample of a column is the one shown
        lastColumn = x;
        int y = stripY(samples[i], gain);
        uint8_t type = clip.clip(y);
        if (offset == 0)
            type = kPointMove;
        list.append(QPoint(x, y), type);
    }
    return list;
}

} // namespace

StripPointList buildStripPoints(std::span<const int32_t> samples, const StripRows& rows, int gain) {
    return walkRows(samples, rows, gain, [](int offset, int left) {
        return int(float(offset) * strip::kPixelsPerSample + float(left) + 15.0f);
    });
}

StripPointList buildColumnStripPoints(std::span<const int32_t> samples, const StripRows& rows,
                                      int gain, int columnWidth) {
    return walkRows(samples, rows, gain, [columnWidth](int offset, int left) {
        return int(left + 15 + offset * (columnWidth - 15) * 0.0004);
    });
}

int displayScaleY(int32_t sample) {
    return ((((1024 - clampSample(sample)) * 2) / 9 * 11) / 12 * 11) / 12 - 67;
}

StripPointList buildReplayRowPoints(std::span<const int32_t> samples, int rowLeft,
                                    int columnWidth) {
    constexpr int kBandHeight = 32;
    StripPointList list;
    list.points.reserve(samples.size());
    list.types.reserve(samples.size());
    const float scale = float(columnWidth * (1.0 / kSamplesPerRecording));
    BandClip clip{0, kBandHeight, 0};
    for (size_t i = 0; i < samples.size(); ++i) {
        const int x = int(float(i) * scale + float(rowLeft));
        int y = displayScaleY(samples[i]);
        uint8_t type = clip.clip(y);
        if (i == 0)
            type = kPointMove;
        list.append(QPoint(x, y), type);
    }
    return list;
}

} // namespace vantora
