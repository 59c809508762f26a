// The trend page's logic: which stretch of a Continuous store is shown, what
// the cursor reads, which periods lie past the limits and the summary line.
// Input: the per-recording results of loadTrend (TrendSeries), 30 s each.
// tests/render/TrendPageModelTest checks zoom, pan, cursor, shading and the
// summary on series with known values.
#include "render/TrendPageModel.h"

#include "analysis/ResultFields.h"
#include "core/AppSettings.h"
#include "core/Langpack.h"
#include "core/StringIds.h"
#include "records/RecordingTime.h"
#include "render/ReportLayout.h"

#include <algorithm>
#include <cmath>

namespace vantora {

namespace {
constexpr const char* kRateBelowKey = "TrendRateBelow";
constexpr const char* kRateAboveKey = "TrendRateAbove";
constexpr const char* kStKey = "TrendStMm";
constexpr const char* kQtcKey = "TrendQtcMs";
} // namespace

TrendThresholds TrendThresholds::load(const AppSettings& settings) {
    TrendThresholds t;
    // A value out of reason (a hand-edited file) keeps its default.
    const auto take = [](std::optional<int32_t> v, int& into, int low, int high) {
        if (v && *v >= low && *v <= high)
            into = *v;
    };
    take(settings.int32(kRateBelowKey), t.rateBelow, 1, 300);
    take(settings.int32(kRateAboveKey), t.rateAbove, 1, 300);
    take(settings.int32(kQtcKey), t.qtcMs, 1, 2000);
    if (const std::optional<QString> st = settings.string(kStKey)) {
        bool ok = false;
        const double mm = st->toDouble(&ok);
        if (ok && mm > 0.0 && mm <= 20.0)
            t.stMm = mm;
    }
    return t;
}

bool TrendThresholds::save(AppSettings& settings) const {
    return settings.setInt32(kRateBelowKey, rateBelow) &&
           settings.setInt32(kRateAboveKey, rateAbove) && settings.setInt32(kQtcKey, qtcMs) &&
           settings.setString(kStKey, QString::number(stMm, 'f', 2));
}

void TrendPageModel::setSeries(TrendSeries series) {
    series_ = std::move(series);
    covered_ = {};
    spans_.clear();
    spans_.reserve(series_.points.size());
    for (const TrendPoint& p : series_.points) {
        const qint64 start = msOf(p.start);
        spans_.push_back({start, start + p.start.msecsTo(p.end)});
    }
    if (!spans_.empty()) {
        covered_ = spans_.front();
        for (const TrendPeriod& span : spans_) {
            covered_.start = std::min(covered_.start, span.start);
            covered_.end = std::max(covered_.end, span.end);
        }
    }
    cursor_.reset();
    showAll();
    rebuild();
}

void TrendPageModel::setThresholds(const TrendThresholds& thresholds) {
    thresholds_ = thresholds;
    rebuild();
}

qint64 TrendPageModel::widestSpan() const {
    return std::clamp(covered_.length(), kNarrowestMs, kWidestMs);
}

void TrendPageModel::clampView() {
    const qint64 span = std::clamp(view_.length(), kNarrowestMs, widestSpan());
    qint64 start = view_.start;
    // A store shorter than the view starts at the left edge.
    start = std::min(start, covered_.end - span);
    start = std::max(start, covered_.start);
    view_ = {start, start + span};
}

void TrendPageModel::zoom(double factor, qint64 anchor) {
    if (factor <= 0.0)
        return;
    const qint64 span = view_.length();
    const qint64 next =
        std::clamp(qint64(std::llround(double(span) / factor)), kNarrowestMs, widestSpan());
    const double share = span > 0 ? double(anchor - view_.start) / double(span) : 0.5;
    view_.start = anchor - qint64(std::llround(share * double(next)));
    view_.end = view_.start + next;
    clampView();
}

void TrendPageModel::pan(qint64 ms) {
    view_.start += ms;
    view_.end += ms;
    clampView();
}

void TrendPageModel::showStart() {
    pan(covered_.start - view_.start);
}

void TrendPageModel::showEnd() {
    pan(covered_.end - view_.end);
}

void TrendPageModel::showAll() {
    view_ = {covered_.start, covered_.start + widestSpan()};
    clampView();
}

void TrendPageModel::setCursor(qint64 at) {
    if (empty())
        return;
    cursor_ = std::clamp(at, covered_.start, covered_.end);
}

int TrendPageModel::cursorIndex() const {
    if (!cursor_ || empty())
        return -1;
    const qint64 at = *cursor_;
    int best = -1;
    qint64 bestDistance = 0;
    for (int i = 0; i < int(spans_.size()); ++i) {
        const qint64 start = spans_[size_t(i)].start;
        const qint64 end = spans_[size_t(i)].end;
        // A recording covers [start, end): its end is the next one's start.
        const qint64 distance = at < start ? start - at : at >= end ? at - end + 1 : 0;
        if (best < 0 || distance < bestDistance) {
            best = i;
            bestDistance = distance;
        }
        if (distance == 0)
            break;
    }
    return best;
}

const TrendPoint* TrendPageModel::cursorPoint() const {
    const int i = cursorIndex();
    return i < 0 ? nullptr : &series_.points[size_t(i)];
}

std::optional<double> TrendPageModel::value(const TrendPoint& p, TrendValue v) {
    if (!p.analysed)
        return std::nullopt;
    switch (v) {
    case TrendValue::Rate:
        return p.heartRate >= 0 ? std::optional<double>(p.heartRate) : std::nullopt;
    case TrendValue::St:
        return p.stMm;
    case TrendValue::Pr:
        return p.pr;
    case TrendValue::Qrs:
        return p.qrs;
    case TrendValue::Qt:
        return p.qt;
    case TrendValue::Qtc:
        return p.qtc >= 0 ? std::optional<double>(p.qtc) : std::nullopt;
    }
    return std::nullopt;
}

bool TrendPageModel::isPast(const TrendPoint& p, TrendLimit limit) const {
    switch (limit) {
    case TrendLimit::SlowRate:
        return p.analysed && p.heartRate >= 0 && p.heartRate < thresholds_.rateBelow;
    case TrendLimit::FastRate:
        return p.analysed && p.heartRate > thresholds_.rateAbove;
    case TrendLimit::St:
        // Compared in hundredths, as the page shows ST, so that 1.00 counts.
        return p.analysed &&
               std::llround(std::fabs(p.stMm) * 100.0) >= std::llround(thresholds_.stMm * 100.0);
    case TrendLimit::Qtc:
        return p.analysed && p.qtc >= 0 && p.qtc >= thresholds_.qtcMs;
    }
    return false;
}

void TrendPageModel::rebuild() {
    summary_ = {};
    for (auto& list : periods_)
        list.clear();
    qint64 rateSum = 0;
    int rated = 0;
    for (size_t i = 0; i < spans_.size(); ++i) {
        const TrendPoint& p = series_.points[i];
        const TrendPeriod span = spans_[i];
        if (i > 0 && span.start - spans_[i - 1].end > kGapToleranceMs)
            summary_.gaps.push_back({spans_[i - 1].end, span.start});
        for (int k = 0; k < kTrendLimits; ++k) {
            if (!isPast(p, TrendLimit(k)))
                continue;
            summary_.msPast[size_t(k)] += span.length();
            auto& list = periods_[size_t(k)];
            if (!list.empty() && span.start - list.back().end <= kGapToleranceMs)
                list.back().end = span.end;
            else
                list.push_back(span);
        }
        if (const std::optional<double> rate = value(p, TrendValue::Rate)) {
            const int r = int(*rate);
            if (!summary_.hasRate || r < summary_.minRate) {
                summary_.minRate = r;
                summary_.minRateAt = p.start;
            }
            if (!summary_.hasRate || r > summary_.maxRate) {
                summary_.maxRate = r;
                summary_.maxRateAt = p.start;
            }
            summary_.hasRate = true;
            rateSum += r;
            ++rated;
        }
    }
    if (rated > 0)
        summary_.meanRate = double(rateSum) / double(rated);
}

double TrendPageModel::xOf(qint64 at, double width) const {
    const qint64 span = view_.length();
    return span > 0 ? double(at - view_.start) * width / double(span) : 0.0;
}

qint64 TrendPageModel::timeAt(double x, double width) const {
    if (width <= 0.0)
        return view_.start;
    return view_.start + qint64(std::llround(x * double(view_.length()) / width));
}

QString trendDurationText(qint64 ms) {
    const qint64 seconds = ms / 1000;
    const qint64 h = seconds / 3600;
    const qint64 min = seconds % 3600 / 60;
    const qint64 s = seconds % 60;
    const auto two = [](qint64 v) { return QStringLiteral("%1").arg(v, 2, 10, QLatin1Char('0')); };
    if (h > 0)
        return fillText(ids::kTrendHMin, {QString::number(h), two(min)});
    if (min > 0)
        return fillText(ids::kTrendMinS, {QString::number(min), two(s)});
    return fillText(ids::kTrendS, {QString::number(s)});
}

namespace {

QString timeOfDay(const QDateTime& at) {
    return stationDateTimeText(at);
}

} // namespace

QString trendSummaryText(const TrendPageModel& model) {
    const TrendSummary& s = model.summary();
    const TrendThresholds& t = model.thresholds();
    QStringList parts;
    if (s.hasRate)
        parts << fillText(ids::kTrendHeartRateMinBpm,
                          {QString::number(s.minRate), timeOfDay(s.minRateAt),
                           QString::number(s.meanRate, 'f', 0), QString::number(s.maxRate),
                           timeOfDay(s.maxRateAt)});
    else
        parts << Langpack::text(ids::kTrendNoHeartRateFound);
    parts << fillText(ids::kTrendRateBelowBpm,
                      {QString::number(t.rateBelow), trendDurationText(s.msPast[0])});
    parts << fillText(ids::kTrendRateAboveBpm,
                      {QString::number(t.rateAbove), trendDurationText(s.msPast[1])});
    parts << fillText(ids::kTrendStFromMm,
                      {QString::number(t.stMm, 'f', 2), trendDurationText(s.msPast[2])});
    parts << fillText(ids::kTrendQtcFromMs,
                      {QString::number(t.qtcMs), trendDurationText(s.msPast[3])});
    qint64 gapMs = 0;
    for (const TrendPeriod& g : s.gaps)
        gapMs += g.length();
    parts << fillText(ids::kTrendGapsWithoutRecordings,
                      {QString::number(s.gaps.size()), trendDurationText(gapMs)});
    return parts.join(QStringLiteral("; "));
}

QString trendCursorText(const TrendPageModel& model) {
    const TrendPoint* p = model.cursorPoint();
    if (!p)
        return {};
    QStringList values;
    const std::array<int, kTrendValues> labels{
        ids::kHeartRateResult, ids::kStLevel, ids::kPr, ids::kQrs, ids::kQt, ids::kQtc};
    for (int k = 0; k < kTrendValues; ++k) {
        const std::optional<double> v = TrendPageModel::value(*p, TrendValue(k));
        const QString text = !v                         ? QStringLiteral("-")
                             : k == int(TrendValue::St) ? QString::number(*v, 'f', 2)
                                                        : QString::number(qint64(*v));
        values << Langpack::text(labels[size_t(k)]) + u' ' + withUnit(text, size_t(k));
    }
    QString line =
        fillText(ids::kTrendRecording, {QString::number(p->number), stationDateTimeText(p->start),
                                        stationTimeText(p->end.time())}) +
        QStringLiteral(": ") + values.join(QStringLiteral(", "));
    if (p->eventMask)
        line += QStringLiteral("; ") + kindFieldText(ReportPage::kContinuousRecord, p->eventMask);
    return line;
}

} // namespace vantora
