#pragma once

#include "core/SignalFormat.h"

namespace vantora {

// A click point of the analysis rows: (x, y) in the row list, -1 when unset.
struct RowCursor {
    int row = -1; // row under the point
    int x = -1;
    bool set() const { return row >= 0; }
};

} // namespace vantora

namespace vantora::strip {

// A recording is shown in three rows of 10 s.
constexpr int kSamplesPerRow = 10 * kSamplesPerSecond;
constexpr int kRowCount = 3;
// Rows: sample 0 of a row lies 15 px right of the row's left edge, and the
// 2500 samples spread over 767 px (25 mm/s at 3 px/mm, 0.3068 px per sample).
constexpr int kLeftMargin = 15;
constexpr int kRowTraceWidth = 767;
constexpr float kPixelsPerSample = 0.3068f;
// Converts a click x back to a sample offset; just under 2500 / 767.
constexpr double kSamplesPerPixel = 3.2594524119947845;
// The sample baseline lies 80 px below a row's top; 1 mV is 30 px x gain.
constexpr int kRowZeroLine = 80;
constexpr double kPixelsPerUnit = 30.0 / kUnitsPerMillivolt;
// Height of one analysis row: ten large squares of 15 px; the middle line
// ((150 / 15 + 1) / 2 = 5, y = 80) is the zero line, where the bracket sits.
constexpr int kAnalysisRowHeight = 150;
// Width of a row of the analysis list: the margin, the trace width and the
// grid's right edge line at x = 782 (a click there still lies on the row).
constexpr int kAnalysisRowWidth = kLeftMargin + kRowTraceWidth + 1;

} // namespace vantora::strip
