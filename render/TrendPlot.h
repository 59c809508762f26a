#pragma once

#include "render/TrendPageModel.h"

#include <QFont>
#include <QRectF>
#include <QString>

#include <array>
#include <vector>

class QPainter;

namespace vantora {

// Where the trend is drawn: a row of event marks, then the six plots one
// above the other on one time axis, the clock times under the last. In the
// painter's units (pixels on screen, 1/24 mm on paper).
struct TrendPlotLayout {
    QRectF labels;                          // the left column with the names
    QRectF events;                          // the marks of the recorder's findings
    std::array<QRectF, kTrendValues> plots; // heart rate, ST, PR, QRS, QT, QTc
    QRectF times;                           // the clock times under the plots
    double plotLeft() const { return plots[0].left(); }
    double plotWidth() const { return plots[0].width(); }
};

// Lays the trend out in `area`; `lineHeight` is the text height of the
// drawing font, which sizes the labels and the time row.
TrendPlotLayout layoutTrendPlots(const QRectF& area, double lineHeight);

// The value range a plot shows: its usual range, widened to the series'
// values and to the limits drawn in it.
struct TrendRange {
    double low = 0.0;
    double high = 1.0;
};
TrendRange trendRange(const TrendPageModel& model, TrendValue value);

// Clock ticks for the view: a round step (1 min to 12 h) giving at most
// `most` ticks, on whole local minutes and hours.
std::vector<qint64> trendTicks(const TrendPeriod& view, int most);

struct TrendPlotStyle {
    QFont font;
    bool paper = false; // black on white, thinner shading
    bool cursor = true; // draw the cursor line
};

// Draws the plots of the model's view: grid and clock times, periods past
// the limits shaded in the plot of their value, dashed limit lines, gaps
// hatched over every plot, the traces broken at gaps and unanalysed
// recordings, the event marks and the cursor.
void drawTrendPlots(QPainter& painter, const TrendPlotLayout& layout, const TrendPageModel& model,
                    const TrendPlotStyle& style);

} // namespace vantora
