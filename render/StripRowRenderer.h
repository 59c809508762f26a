#pragma once

#include "render/ScreenPalette.h"
#include "render/StripGeometry.h"
#include "render/StripPointList.h"

#include <QColor>
#include <QImage>
#include <QPoint>
#include <QRect>

#include <optional>

class QPainter;

namespace vantora {

// How the trace of a strip row is coloured.
struct StripTraceStyle {
    QColor trace;
    // Analysis rows: segments whose starting point index lies in this
    // inclusive range are drawn in `selected` instead.
    std::optional<std::pair<int, int>> selection;
    QColor selected;
};

// Joins point i to point i + 1 for first <= i < last when point i + 1 is a
// line point; stretches that left the row stay open.
void drawStripTrace(QPainter& painter, const StripPointList& list, int first, int last,
                    const StripTraceStyle& style);

// The strip row as the record and analysis pages draw it: the 15 px margin in
// #B4C8FF, the grid in `rect` (starting 15 px right of the item's left edge),
// then the trace points first..last of the page's list. Returns the painter's
// state after the last call (true when it is still active).
bool DrawStripRow(QPainter& painter, const QRect& rect, int gain, const StripPointList& list,
                  int first, int last, const StripTraceStyle& style);

// The analysis page's list keeps one point per pixel column, so row r owns
// points r * 767 ... r * 767 + 766. Renders row `row` into an image of
// `itemSize`, the grid spanning x = 15 ... 782,
// with its two analysis cursors; the stretch between them is red when both
// are set. The margin, grid and bracket are drawn once per size and gain (and
// thread) and copied under each row's trace.
// `ratio` is the screen's scale factor (device pixels per pixel). The record
// page's preview draws the same rows with the blue trace of the other screen
// strips.
QImage renderAnalysisRow(int row, QSize itemSize, int gain, const StripPointList& list,
                         const RowCursor& first, const RowCursor& second, qreal ratio = 1,
                         const QColor& trace = palette::kAnalysisTrace);

} // namespace vantora
