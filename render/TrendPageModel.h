#pragma once

#include "analysis/TrendSeries.h"

#include <QDateTime>
#include <QString>

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

namespace vantora {

class AppSettings;

// The limits past which the trend shades a period. Stored in the settings as
// TrendRateBelow, TrendRateAbove (beats/min), TrendStMm (mm, text) and
// TrendQtcMs (ms).
struct TrendThresholds {
    int rateBelow = 50;  // beats/min: rate < this is slow
    int rateAbove = 120; // beats/min: rate > this is fast
    double stMm = 1.0;   // |ST| >= this
    int qtcMs = 470;     // QTc >= this

    static TrendThresholds load(const AppSettings& settings);
    bool save(AppSettings& settings) const;
    friend bool operator==(const TrendThresholds&, const TrendThresholds&) = default;
};

// The four limits, in the order the summary names them.
enum class TrendLimit { SlowRate = 0, FastRate = 1, St = 2, Qtc = 3 };
constexpr int kTrendLimits = 4;

// The six plotted results, top to bottom.
enum class TrendValue { Rate = 0, St = 1, Pr = 2, Qrs = 3, Qt = 4, Qtc = 5 };
constexpr int kTrendValues = 6;

// A stretch of clock time, in ms since the epoch, start before end.
struct TrendPeriod {
    qint64 start = 0;
    qint64 end = 0;
    qint64 length() const { return end - start; }
    friend bool operator==(const TrendPeriod&, const TrendPeriod&) = default;
};

struct TrendSummary {
    bool hasRate = false; // some analysed recording has a rate
    int minRate = 0;
    int maxRate = 0;
    double meanRate = 0.0;                     // over the recordings with a rate
    QDateTime minRateAt;                       // start of the first recording with the minimum
    QDateTime maxRateAt;                       // start of the first recording with the maximum
    std::array<qint64, kTrendLimits> msPast{}; // time past each limit
    std::vector<TrendPeriod> gaps;             // no recording there
};

// The trend page without widgets: the series, the visible stretch of time
// (zoom and pan), the cursor and what it reads, the periods past the limits,
// the gaps and the summary. Times are ms since the epoch of the recordings'
// local times; the view never leaves the stretch the store covers.
class TrendPageModel {
public:
    static constexpr qint64 kNarrowestMs = 10 * 60 * 1000;     // 10 min
    static constexpr qint64 kWidestMs = 48 * 60 * 60 * 1000LL; // 48 h
    // Recordings further apart than this leave a gap between them (a
    // Continuous store's segments follow within a second).
    static constexpr qint64 kGapToleranceMs = 5 * 1000;

    void setSeries(TrendSeries series);
    void setThresholds(const TrendThresholds& thresholds);
    const TrendSeries& series() const { return series_; }
    const TrendThresholds& thresholds() const { return thresholds_; }
    bool empty() const { return series_.points.empty(); }

    // The stretch the store covers (start of the first recording to the end of
    // the last) and the visible part of it.
    TrendPeriod covered() const { return covered_; }
    TrendPeriod view() const { return view_; }
    // The widest view: the whole store, at least 10 min, at most 48 h.
    qint64 widestSpan() const;
    // Zooms by `factor` (> 1 narrower) keeping the instant `anchor` where it
    // is on the axis; the span stays within 10 min and widestSpan().
    void zoom(double factor, qint64 anchor);
    void zoomAtCentre(double factor) { zoom(factor, view_.start + view_.length() / 2); }
    // Moves the view by `ms` (later when positive), stopping at the ends.
    void pan(qint64 ms);
    // Moves the view by tenths of its span.
    void panSteps(int tenths) { pan(view_.length() * tenths / 10); }
    void showStart();
    void showEnd();
    void showAll();

    // The cursor: an instant within the covered stretch, and the recording
    // nearest to it (the one covering it, else the closer neighbour).
    void setCursor(qint64 at);
    std::optional<qint64> cursor() const { return cursor_; }
    // Index into series().points, -1 without cursor or recordings.
    int cursorIndex() const;
    const TrendPoint* cursorPoint() const;

    // Value k of a point, when it has one (an unanalysed recording or a
    // missing rate has none).
    static std::optional<double> value(const TrendPoint& p, TrendValue v);
    // Whether a point is past a limit.
    bool isPast(const TrendPoint& p, TrendLimit limit) const;
    // The periods past a limit: neighbouring recordings past it merge.
    const std::vector<TrendPeriod>& periods(TrendLimit limit) const {
        return periods_[size_t(limit)];
    }
    const TrendSummary& summary() const { return summary_; }

    // Instant <-> position on an axis `width` wide showing the view.
    double xOf(qint64 at, double width) const;
    qint64 timeAt(double x, double width) const;

    static qint64 msOf(const QDateTime& t) { return t.toMSecsSinceEpoch(); }
    // Start and end of point i in ms (local-time conversion is slow: done once).
    TrendPeriod spanOf(size_t i) const { return spans_[i]; }

private:
    void clampView();
    void rebuild();

    TrendSeries series_;
    std::vector<TrendPeriod> spans_;
    TrendThresholds thresholds_;
    TrendPeriod covered_;
    TrendPeriod view_;
    std::optional<qint64> cursor_;
    std::array<std::vector<TrendPeriod>, kTrendLimits> periods_;
    TrendSummary summary_;
};

// "2 h 05 min", "12 min 30 s", "45 s": a duration for the summary.
QString trendDurationText(qint64 ms);
// The summary line: rate minimum, mean and maximum with their times, the
// time past each limit and the gaps.
QString trendSummaryText(const TrendPageModel& model);
// What the cursor reads: the recording's time, number and six values, and
// its findings.
QString trendCursorText(const TrendPageModel& model);

} // namespace vantora
