#pragma once

#include "core/Message.h"
#include "core/RecordingMode.h"
#include "core/Result.h"

#include <QImage>
#include <QSize>
#include <QString>

#include <array>
#include <cstdint>
#include <span>

namespace vantora {

// The record management page's preview: a recording in three 10 s rows,
// drawn like the analysis rows (grid, calibration bracket) with a blue trace
// and without cursors. Snap recordings are placed 0.3068 px per sample, Continuous ones
// spread over the row's width; at the page's row width of 782 px both agree.
namespace record_rows {
constexpr int kRowWidth = 782;  // the margin, 767 px of trace and the edge line
constexpr int kRowHeight = 130; // the zero line at 80, room for 2 mV at gain 2
} // namespace record_rows

using RecordRowImages = std::array<QImage, 3>;

// The three rows of `samples` (7500, or none for empty grids) at `gain` (1 or
// 2) for the store kind `mode`.
RecordRowImages renderRecordRows(std::span<const int32_t> samples, RecordingMode mode, int gain,
                                 QSize rowSize = {record_rows::kRowWidth, record_rows::kRowHeight},
                                 qreal ratio = 1);

// SaveStripPicture: the rows one below the other, as wide as the last row,
// saved as BMP to `path` (savePicture: whole or not at all). None when there
// is nothing to save; the failed write's message otherwise.
Result<> saveStripPicture(const RecordRowImages& rows, const QString& path);

} // namespace vantora
