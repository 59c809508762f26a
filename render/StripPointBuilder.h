#pragma once

#include "render/StripPointList.h"

#include <array>
#include <cstdint>
#include <span>

namespace vantora {

// Geometry of one row of a three-row list: its left edge as the list gives it
// and its height (the row's top is 0).
struct StripRow {
    int left = 0;
    int height = 0;
};
using StripRows = std::array<StripRow, 3>;

// Turns a 30 s recording (7500 samples, 512 = zero line, 175 units/mV) into one
// point per pixel column of the three 10 s rows, clipped to each row.
// The analysis page and the Snap record rows place offset o of a row at
// L + 15 + o * 0.3068 (single precision); gain is 1 (10 mm/mV) or 2 (20 mm/mV).
StripPointList buildStripPoints(std::span<const int32_t> samples, const StripRows& rows, int gain);
// The Continuous record rows spread a row over the list's column width W:
// x = L + 15 + o * (W - 15) * 0.0004.
StripPointList buildColumnStripPoints(std::span<const int32_t> samples, const StripRows& rows,
                                      int gain, int columnWidth);

// The recorder's display scale used by the replay and download lists: a 32 px
// band with the zero line at y = 27.
int displayScaleY(int32_t sample);

// One replay list row: all 7500 samples across the column, one point per sample,
// clipped to the band 0..32.
StripPointList buildReplayRowPoints(std::span<const int32_t> samples, int rowLeft, int columnWidth);

} // namespace vantora
