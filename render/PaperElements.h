#pragma once

#include "core/SignalFormat.h"
#include "render/ReportPage.h"

#include <QPoint>

#include <array>
#include <vector>

namespace vantora {

// Paper scale: 24 units per mm, 2.4 units per sample at 25 mm/s and
// 240 units per mV at 10 mm/mV.
constexpr double kPaperUnitsPerSample = 2.4;
constexpr double kPaperUnitsPerCount = 240.0 / kUnitsPerMillivolt;
constexpr int kPaperRowHeight = 960;  // 40 mm
constexpr int kPaperRowPitch = 1030;  // 70 units of gap
constexpr int kPaperRowLength = 6000; // 10 s
constexpr int kSamplesPerPaperRow = 10 * kSamplesPerSecond;

// A trace point clipped to its band: "move" starts a new figure, "line"
// draws from the previous point.
struct PaperPoint {
    QPoint at;
    bool line = false;
};

// Clips the points to top..bottom: outside points go to the edge; a point
// outside on the same side as its predecessor is a move, so a trace that
// leaves the band stays open until it returns. The first point is a move.
void clipToBand(std::vector<PaperPoint>& points, int top, int bottom);

// 30 s in three 10-second rows anchored at the rectangle's left and bottom;
// the analysed stretch start..end is drawn thick with boundary lines.
class PaperStrip : public ReportElement {
public:
    PaperStrip(const QFont* labelFont, LayoutRect rect, std::span<const int32_t> samples,
               int start = 0, int end = 7499)
        : ReportElement(labelFont, kPaper, rect), samples(samples), start(start), end(end) {}
    // The trace points of all 7500 samples, row by row.
    std::vector<PaperPoint> tracePoints() const;
    void Draw(const ReportSurface& surface) const override;

    std::span<const int32_t> samples;
    int start, end;

private:
    void drawGrid(QPainter& p, bool preview) const;
};

// The averaged beat on 600 x 600 units with its interval marks and legend.
class PaperAveragedBeat : public ReportElement {
public:
    static constexpr int kSize = 600;
    static constexpr int32_t kMissing = -32768;
    PaperAveragedBeat(const QFont* labelFont, LayoutRect rect, AveragedBeat beat,
                      std::array<int32_t, 4> bounds);
    std::vector<PaperPoint> tracePoints() const;
    void Draw(const ReportSurface& surface) const override;
    // The left end of what is drawn left of the grid (legend, gain label).
    int annotationLeft() const;

    AveragedBeat beat;
    std::array<int32_t, 4> bounds;
    QFont legendFont;
    QFont gainFont; // the label font, smaller if the gain label would pass the grid's bottom

private:
    void drawGrid(QPainter& p, bool preview) const;
    void drawMarks(QPainter& p) const;
    void drawLegend(QPainter& p) const;
    int legendLeft() const;
};

} // namespace vantora
