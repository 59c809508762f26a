// Draws the trend of a Continuous store: six results of every recording
// against clock time on one axis, for the trend page and the trend report
// alike. Layout and ranges are computed first; drawing only draws.
#include "render/TrendPlot.h"

#include "analysis/ResultFields.h"
#include "core/Langpack.h"
#include "core/StringIds.h"
#include "render/ScreenPalette.h"

#include <QDateTime>
#include <QLocale>
#include <QPainter>
#include <QPolygonF>

#include <algorithm>
#include <cmath>

namespace vantora {

namespace {

constexpr std::array<int, kTrendValues> kNames{
    ids::kHeartRateResult, ids::kStLevel, ids::kPr, ids::kQrs, ids::kQt, ids::kQtc};
// The usual range of each value, before the data widens it.
constexpr std::array<TrendRange, kTrendValues> kUsual{
    {{40, 140}, {-2, 2}, {80, 240}, {60, 160}, {250, 500}, {350, 550}}};

const QColor kSlowShade{0x64, 0x8C, 0xFF, 70};
const QColor kFastShade{0xFF, 0x64, 0x50, 70};
const QColor kLimitShade{0xFF, 0xB4, 0x28, 80};
const QColor kGapColour{0x96, 0x96, 0x96};
const QColor kEventColour{0xB4, 0x1E, 0x1E};
const QColor kCursorColour{0x00, 0x8C, 0x00};

// The limits drawn in a plot, as values.
std::vector<double> limitLines(const TrendThresholds& t, TrendValue v) {
    switch (v) {
    case TrendValue::Rate:
        return {double(t.rateBelow), double(t.rateAbove)};
    case TrendValue::St:
        return {-t.stMm, t.stMm};
    case TrendValue::Qtc:
        return {double(t.qtcMs)};
    default:
        return {};
    }
}

double yOf(double value, const TrendRange& r, const QRectF& plot) {
    return plot.bottom() - (value - r.low) / (r.high - r.low) * plot.height();
}

double xOf(const TrendPageModel& m, qint64 at, const QRectF& plot) {
    return plot.left() + m.xOf(at, plot.width());
}

void shade(QPainter& painter, const TrendPageModel& m, const QRectF& plot,
           const std::vector<TrendPeriod>& periods, const QColor& colour) {
    for (const TrendPeriod& p : periods) {
        const double left = std::max(plot.left(), xOf(m, p.start, plot));
        const double right = std::min(plot.right(), xOf(m, p.end, plot));
        // At least a hairline, so that one recording past a limit shows at 48 h.
        if (right >= plot.left() && left <= plot.right())
            painter.fillRect(QRectF(left, plot.top(), std::max(right - left, 1.0), plot.height()),
                             colour);
    }
}

// Consecutive values in one pixel column become a vertical stroke from their
// lowest to their highest, so a 48-hour trace costs the plot's width, not
// its recordings; the trace breaks at gaps and at recordings without value.
void drawTrace(QPainter& painter, const TrendPageModel& m, const QRectF& plot, TrendValue v,
               const TrendRange& range) {
    std::vector<QPolygonF> runs;
    const auto& points = m.series().points;
    bool open = false;
    double column = -1.0, low = 0.0, high = 0.0;
    const auto flush = [&] {
        if (column < 0)
            return;
        runs.back() << QPointF(column, low);
        if (high != low)
            runs.back() << QPointF(column, high);
        column = -1.0;
    };
    for (size_t i = 0; i < points.size(); ++i) {
        const TrendPeriod span = m.spanOf(i);
        const bool follows =
            i > 0 && span.start - m.spanOf(i - 1).end <= TrendPageModel::kGapToleranceMs;
        const std::optional<double> value = TrendPageModel::value(points[i], v);
        if (!value || span.end < m.view().start || span.start > m.view().end) {
            flush();
            open = false;
            continue;
        }
        const double x = std::floor(xOf(m, span.start + span.length() / 2, plot)) + 0.5;
        const double y = yOf(*value, range, plot);
        if (!open || !follows) {
            flush();
            runs.emplace_back();
        } else if (x != column) {
            flush();
        }
        if (column < 0) {
            column = x;
            low = high = y;
        }
        low = std::min(low, y);
        high = std::max(high, y);
        open = true;
    }
    flush();
    for (QPolygonF& run : runs) {
        if (run.size() == 1) // the square cap makes a lone value a dot
            run << run.front() + QPointF(0.01, 0);
        painter.drawPolyline(run);
    }
}

QString tickText(qint64 at, bool withDate) {
    const QDateTime t = QDateTime::fromMSecsSinceEpoch(at);
    const QLocale locale = QLocale::system();
    const QString time = locale.toString(t.time(), QLocale::ShortFormat);
    return withDate ? locale.toString(t.date(), QLocale::ShortFormat) + u' ' + time : time;
}

// The plot's paper and the periods past its limits.
void drawPlotBackground(QPainter& painter, const TrendPageModel& m, const QRectF& plot,
                        TrendValue v, const TrendPlotStyle& style) {
    painter.fillRect(plot, style.paper ? Qt::white : palette::kPaper);
    if (v == TrendValue::Rate) {
        shade(painter, m, plot, m.periods(TrendLimit::SlowRate), kSlowShade);
        shade(painter, m, plot, m.periods(TrendLimit::FastRate), kFastShade);
    } else if (v == TrendValue::St) {
        shade(painter, m, plot, m.periods(TrendLimit::St), kLimitShade);
    } else if (v == TrendValue::Qtc) {
        shade(painter, m, plot, m.periods(TrendLimit::Qtc), kLimitShade);
    }
}

// Limit lines, the trace, the frame and the labels.
void drawPlot(QPainter& painter, const TrendPageModel& m, const TrendPlotLayout& l, int k,
              const TrendPlotStyle& style) {
    const QRectF plot = l.plots[size_t(k)];
    const TrendValue v = TrendValue(k);
    const TrendRange range = trendRange(m, v);
    const double pen = style.paper ? 4.0 : 1.0;
    painter.setPen(QPen(palette::kMarker, pen * 0.5, Qt::DashLine));
    for (double limit : limitLines(m.thresholds(), v))
        if (limit > range.low && limit < range.high)
            painter.drawLine(QPointF(plot.left(), yOf(limit, range, plot)),
                             QPointF(plot.right(), yOf(limit, range, plot)));
    painter.save();
    painter.setClipRect(plot);
    painter.setPen(QPen(style.paper ? Qt::black : palette::kTrace, pen * 1.5));
    drawTrace(painter, m, plot, v, range);
    painter.restore();
    painter.setPen(QPen(Qt::black, pen));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(plot);
    // Name and unit at the left, the range's ends beside the plot.
    const QRectF label(l.labels.left(), plot.top(), l.labels.width(), plot.height());
    painter.drawText(label, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextWordWrap,
                     Langpack::text(kNames[size_t(k)]) + u'\n' +
                         QLatin1String(kResultUnits[size_t(k)]));
    const int decimals = v == TrendValue::St ? 1 : 0;
    painter.drawText(label, Qt::AlignRight | Qt::AlignTop,
                     QString::number(range.high, 'f', decimals) + u' ');
    painter.drawText(label, Qt::AlignRight | Qt::AlignBottom,
                     QString::number(range.low, 'f', decimals) + u' ');
}

void drawGaps(QPainter& painter, const TrendPageModel& m, const TrendPlotLayout& l) {
    const QRectF all(l.plotLeft(), l.events.top(), l.plotWidth(),
                     l.plots.back().bottom() - l.events.top());
    for (const TrendPeriod& g : m.summary().gaps) {
        const double left = std::max(all.left(), xOf(m, g.start, all));
        const double right = std::min(all.right(), xOf(m, g.end, all));
        if (right > left)
            painter.fillRect(QRectF(left, all.top(), right - left, all.height()),
                             QBrush(kGapColour, Qt::BDiagPattern));
    }
}

void drawEvents(QPainter& painter, const TrendPageModel& m, const TrendPlotLayout& l,
                const TrendPlotStyle& style) {
    const QRectF row = l.events;
    painter.drawText(QRectF(l.labels.left(), row.top(), l.labels.width(), row.height()),
                     Qt::AlignLeft | Qt::AlignVCenter, Langpack::text(ids::kTrendEvents));
    painter.setPen(QPen(kEventColour, style.paper ? 6.0 : 1.5));
    const auto& points = m.series().points;
    for (size_t i = 0; i < points.size(); ++i) {
        if (!points[i].eventMask)
            continue;
        const TrendPeriod span = m.spanOf(i);
        if (span.end < m.view().start || span.start > m.view().end)
            continue;
        const double x = xOf(m, span.start + span.length() / 2, row);
        painter.drawLine(QPointF(x, row.top() + row.height() * 0.2),
                         QPointF(x, row.bottom() - row.height() * 0.2));
    }
}

void drawTimes(QPainter& painter, const TrendPageModel& m, const TrendPlotLayout& l,
               const TrendPlotStyle& style) {
    const double textWidth =
        painter.fontMetrics().horizontalAdvance(QStringLiteral("00.00.00 00:00"));
    const int most = std::max(2, int(l.plotWidth() / (textWidth * 0.8)));
    const std::vector<qint64> ticks = trendTicks(m.view(), most);
    int previousDay = -1;
    for (qint64 at : ticks) {
        const double x = xOf(m, at, l.plots[0]);
        painter.setPen(QPen(palette::kSmallSquare, style.paper ? 2.0 : 1.0));
        for (const QRectF& plot : l.plots)
            painter.drawLine(QPointF(x, plot.top()), QPointF(x, plot.bottom()));
        // The date joins the first tick and every tick of a new day.
        const int day = int(QDateTime::fromMSecsSinceEpoch(at).date().toJulianDay());
        painter.setPen(Qt::black);
        const QString text = tickText(at, day != previousDay);
        previousDay = day;
        const double w = painter.fontMetrics().horizontalAdvance(text) * 1.1 + 2;
        painter.drawText(QRectF(x - w / 2, l.times.top(), w, l.times.height()),
                         Qt::AlignHCenter | Qt::AlignTop, text);
    }
}

void drawCursor(QPainter& painter, const TrendPageModel& m, const TrendPlotLayout& l,
                const TrendPlotStyle& style) {
    const int i = m.cursorIndex();
    if (!style.cursor || i < 0)
        return;
    const double x = xOf(m, *m.cursor(), l.plots[0]);
    if (x < l.plotLeft() || x > l.plots[0].right())
        return;
    painter.setPen(QPen(kCursorColour, style.paper ? 4.0 : 1.0));
    painter.drawLine(QPointF(x, l.events.top()), QPointF(x, l.plots.back().bottom()));
    // The cursor's recording: a dot on each value it has.
    const TrendPeriod span = m.spanOf(size_t(i));
    const double px = xOf(m, span.start + span.length() / 2, l.plots[0]);
    painter.setBrush(kCursorColour);
    for (int k = 0; k < kTrendValues; ++k)
        if (const auto v = TrendPageModel::value(m.series().points[size_t(i)], TrendValue(k)))
            painter.drawEllipse(
                QPointF(px, yOf(*v, trendRange(m, TrendValue(k)), l.plots[size_t(k)])), 3.0, 3.0);
    painter.setBrush(Qt::NoBrush);
}

} // namespace

TrendPlotLayout layoutTrendPlots(const QRectF& area, double lineHeight) {
    TrendPlotLayout l;
    const double labelWidth = lineHeight * 6.5;
    const double eventsHeight = lineHeight * 1.2;
    const double timesHeight = lineHeight * 1.4;
    const double gap = lineHeight * 0.4;
    const double left = area.left() + labelWidth;
    const double width = std::max(1.0, area.width() - labelWidth - lineHeight * 2.5);
    l.labels = QRectF(area.left(), area.top(), labelWidth, area.height());
    l.events = QRectF(left, area.top(), width, eventsHeight);
    const double plotsTop = l.events.bottom() + gap;
    const double plotHeight = std::max(
        4.0, (area.bottom() - timesHeight - plotsTop - gap * (kTrendValues - 1)) / kTrendValues);
    for (int k = 0; k < kTrendValues; ++k)
        l.plots[size_t(k)] = QRectF(left, plotsTop + k * (plotHeight + gap), width, plotHeight);
    l.times = QRectF(left - lineHeight * 4, l.plots.back().bottom() + gap * 0.5,
                     width + lineHeight * 8, timesHeight);
    return l;
}

TrendRange trendRange(const TrendPageModel& model, TrendValue value) {
    TrendRange r = kUsual[size_t(value)];
    for (const TrendPoint& p : model.series().points)
        if (const std::optional<double> v = TrendPageModel::value(p, value)) {
            r.low = std::min(r.low, *v);
            r.high = std::max(r.high, *v);
        }
    for (double limit : limitLines(model.thresholds(), value)) {
        r.low = std::min(r.low, limit);
        r.high = std::max(r.high, limit);
    }
    // Room above and below, so that the extremes do not run on the frame.
    const double margin = (r.high - r.low) * 0.05;
    return {r.low - margin, r.high + margin};
}

std::vector<qint64> trendTicks(const TrendPeriod& view, int most) {
    constexpr qint64 kMinute = 60 * 1000;
    constexpr std::array<qint64, 11> kSteps{1, 2, 5, 10, 15, 30, 60, 120, 180, 360, 720}; // minutes
    qint64 step = kSteps.back() * kMinute;
    for (qint64 minutes : kSteps)
        if (view.length() / (minutes * kMinute) < most) {
            step = minutes * kMinute;
            break;
        }
    // Ticks on the local clock: shift by the offset from UTC at the start.
    const qint64 offset = qint64(QDateTime::fromMSecsSinceEpoch(view.start).offsetFromUtc()) * 1000;
    qint64 at = (view.start + offset + step - 1) / step * step - offset;
    std::vector<qint64> ticks;
    for (; at <= view.end; at += step)
        ticks.push_back(at);
    return ticks;
}

void drawTrendPlots(QPainter& painter, const TrendPlotLayout& layout, const TrendPageModel& model,
                    const TrendPlotStyle& style) {
    painter.save();
    painter.setFont(style.font);
    painter.setRenderHint(QPainter::Antialiasing, true);
    for (int k = 0; k < kTrendValues; ++k)
        drawPlotBackground(painter, model, layout.plots[size_t(k)], TrendValue(k), style);
    if (!model.empty()) {
        drawTimes(painter, model, layout, style);
        drawGaps(painter, model, layout);
    }
    for (int k = 0; k < kTrendValues; ++k)
        drawPlot(painter, model, layout, k, style);
    if (!model.empty()) {
        painter.setPen(Qt::black);
        drawEvents(painter, model, layout, style);
        drawCursor(painter, model, layout, style);
    }
    painter.restore();
}

} // namespace vantora
