// The trend page's model on series built here with known values: zoom and
// pan of the time axis (10 min to 48 h, never past the store's ends), the
// cursor's recording, the periods past each limit, the summary and its line,
// and the limits kept in the settings.
#include "render/TrendPageModel.h"

#include "core/AppSettings.h"
#include "core/Langpack.h"
#include "core/StringIds.h"
#include "support/TestData.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <functional>

using namespace vantora;

namespace {

constexpr qint64 kMin = 60 * 1000;
constexpr qint64 kHour = 60 * kMin;
const QDateTime kT0(QDate(2026, 11, 2), QTime(8, 0, 0));

struct Values {
    int rate = 70;
    double st = 0.0;
    int qtc = 400;
    bool analysed = true;
    qint64 gapBeforeMs = 0; // silence before this recording
};

// Recordings of 30 s from kT0, one after the other unless a gap is asked for.
TrendSeries seriesOf(const std::vector<Values>& values) {
    TrendSeries s;
    s.patientId = QStringLiteral("P1");
    QDateTime at = kT0;
    for (const Values& v : values) {
        at = at.addMSecs(v.gapBeforeMs);
        TrendPoint p;
        p.number = int(s.points.size()) + 1;
        p.start = at;
        p.end = at.addSecs(30);
        p.analysed = v.analysed;
        p.heartRate = v.analysed ? v.rate : -1;
        p.stMm = v.st;
        p.pr = 150;
        p.qrs = 90;
        p.qt = 380;
        p.qtc = v.analysed && v.rate >= 0 ? v.qtc : -1;
        s.points.push_back(p);
        at = p.end;
    }
    return s;
}

TrendSeries hoursOf(double hours) {
    return seriesOf(std::vector<Values>(size_t(hours * 120), Values{}));
}

qint64 t0() {
    return kT0.toMSecsSinceEpoch();
}

} // namespace

TEST(TrendPageModel, ZoomAndPanStayWithinTheStore) {
    using Op = std::function<void(TrendPageModel&)>;
    const struct {
        const char* name;
        double hours;
        Op op;
        qint64 start, end; // of the view, from kT0
    } cases[] = {
        {"2 h at first shows all", 2, [](TrendPageModel&) {}, 0, 2 * kHour},
        {"zoom in at the centre", 2, [](TrendPageModel& m) { m.zoomAtCentre(2); }, 30 * kMin,
         90 * kMin},
        {"zoom in stops at 10 min", 2, [](TrendPageModel& m) { m.zoomAtCentre(1000); }, 55 * kMin,
         65 * kMin},
        {"zoom out stops at the store", 2,
         [](TrendPageModel& m) {
             m.zoomAtCentre(4);
             m.zoomAtCentre(0.01);
         },
         0, 2 * kHour},
        {"zoom keeps the start where it is", 2,
         [](TrendPageModel& m) { m.zoom(2, m.view().start); }, 0, kHour},
        {"zoom keeps a point at a quarter", 2,
         [](TrendPageModel& m) { m.zoom(2, m.view().start + 30 * kMin); }, 15 * kMin, 75 * kMin},
        {"a tenth to the right", 2,
         [](TrendPageModel& m) {
             m.zoomAtCentre(4);
             m.panSteps(1);
         },
         48 * kMin, 78 * kMin},
        {"a tenth to the left", 2,
         [](TrendPageModel& m) {
             m.zoomAtCentre(4);
             m.panSteps(-1);
         },
         42 * kMin, 72 * kMin},
        {"pan stops at the end", 2,
         [](TrendPageModel& m) {
             m.zoomAtCentre(4);
             m.pan(10 * kHour);
         },
         90 * kMin, 2 * kHour},
        {"pan stops at the start", 2,
         [](TrendPageModel& m) {
             m.zoomAtCentre(4);
             m.pan(-10 * kHour);
         },
         0, 30 * kMin},
        {"End", 2,
         [](TrendPageModel& m) {
             m.zoomAtCentre(2);
             m.showEnd();
         },
         kHour, 2 * kHour},
        {"End then Home", 2,
         [](TrendPageModel& m) {
             m.zoomAtCentre(2);
             m.showEnd();
             m.showStart();
         },
         0, kHour},
        {"60 h: at most 48 h", 60, [](TrendPageModel&) {}, 0, 48 * kHour},
        {"60 h: End", 60, [](TrendPageModel& m) { m.showEnd(); }, 12 * kHour, 60 * kHour},
        {"60 h: zoom out stays 48 h", 60, [](TrendPageModel& m) { m.zoomAtCentre(0.5); }, 0,
         48 * kHour},
        {"3 min: the view is 10 min from the start", 0.05,
         [](TrendPageModel& m) {
             m.pan(kHour);
             m.zoomAtCentre(0.5);
         },
         0, 10 * kMin},
    };
    for (const auto& c : cases) {
        TrendPageModel m;
        m.setSeries(hoursOf(c.hours));
        c.op(m);
        EXPECT_EQ(m.view().start - t0(), c.start) << c.name;
        EXPECT_EQ(m.view().end - t0(), c.end) << c.name;
    }
}

TEST(TrendPageModel, CursorFindsTheNearestRecording) {
    // Ten recordings, 10 min without any, ten more.
    std::vector<Values> values(20);
    values[10].gapBeforeMs = 10 * kMin;
    TrendPageModel m;
    m.setSeries(seriesOf(values));
    const qint64 firstRunEnd = 10 * 30 * 1000;
    const qint64 secondRunStart = firstRunEnd + 10 * kMin;
    const struct {
        const char* name;
        qint64 at; // from kT0
        int index;
        qint64 cursor; // where the cursor lands
    } cases[] = {
        {"the first instant", 0, 0, 0},
        {"before the store: clamped to its start", -kHour, 0, 0},
        {"last ms of the first", 29'999, 0, 29'999},
        {"a recording's end is the next one's start", 30'000, 1, 30'000},
        {"inside the ninth", 8 * 30'000 + 12'000, 8, 8 * 30'000 + 12'000},
        {"in the gap, nearer the run before", firstRunEnd + 2 * kMin, 9, firstRunEnd + 2 * kMin},
        {"in the gap, nearer the run after", secondRunStart - 2 * kMin, 10,
         secondRunStart - 2 * kMin},
        {"after the store: clamped to its end", 100 * kHour, 19, secondRunStart + 10 * 30'000},
    };
    EXPECT_EQ(m.cursorIndex(), -1) << "no cursor until set";
    for (const auto& c : cases) {
        m.setCursor(t0() + c.at);
        EXPECT_EQ(m.cursorIndex(), c.index) << c.name;
        EXPECT_EQ(*m.cursor() - t0(), c.cursor) << c.name;
        ASSERT_NE(m.cursorPoint(), nullptr);
        EXPECT_EQ(m.cursorPoint()->number, c.index + 1) << c.name;
    }
    // Positions on an axis map back to the same instant, to the ms.
    m.zoomAtCentre(3);
    for (double x : {0.0, 1.0, 333.0, 640.5, 999.0}) {
        const qint64 at = m.timeAt(x, 1000.0);
        EXPECT_NEAR(m.xOf(at, 1000.0), x, 1000.0 / double(m.view().length()) + 1e-9);
    }
    EXPECT_EQ(m.timeAt(0, 1000.0), m.view().start);
    EXPECT_EQ(m.timeAt(1000.0, 1000.0), m.view().end);
}

namespace {

// Seven recordings from 08:00:00 and, after 10 min without any, two more.
std::vector<Values> knownValues() {
    return {
        {60, 0.20, 400},                   // 08:00:00
        {45, 0.50, 420},                   // 08:00:30 slow
        {48, 1.00, 480},                   // 08:01:00 slow, ST 1.00 counts, QTc
        {130, -1.20, 470},                 // 08:01:30 fast, ST below, QTc 470 counts
        {0, 3.0, 600, false},              // 08:02:00 not analysed: past nothing
        {-1, 0.0, 0},                      // 08:02:30 no rate: no rate limit, no QTc
        {50, 0.99, 469},                   // 08:03:00 just within every limit
        {121, -0.5, 300, true, 10 * kMin}, // 08:13:30 fast
        {120, 0.0, 400},                   // 08:14:00 just within
    };
}

TrendPeriod secondsFromT0(int from, int to) {
    return {t0() + from * 1000LL, t0() + to * 1000LL};
}

} // namespace

TEST(TrendPageModel, LimitsShadeTheirPeriods) {
    using Periods = std::vector<TrendPeriod>;
    const struct {
        const char* name;
        TrendThresholds limits;
        Periods slow, fast, st, qtc;
    } cases[] = {
        {"the defaults",
         {},
         {secondsFromT0(30, 90)},
         {secondsFromT0(90, 120), secondsFromT0(810, 840)},
         {secondsFromT0(60, 120)},
         {secondsFromT0(60, 120)}},
        {"tighter",
         {61, 119, 0.5, 420},
         {secondsFromT0(0, 90), secondsFromT0(180, 210)},
         {secondsFromT0(90, 120), secondsFromT0(810, 870)},
         {secondsFromT0(30, 120), secondsFromT0(180, 210), secondsFromT0(810, 840)},
         {secondsFromT0(30, 120), secondsFromT0(180, 210)}},
        {"looser: nothing past", {40, 140, 2.0, 700}, {}, {}, {}, {}},
    };
    for (const auto& c : cases) {
        TrendPageModel m;
        m.setThresholds(c.limits);
        m.setSeries(seriesOf(knownValues()));
        EXPECT_EQ(m.periods(TrendLimit::SlowRate), c.slow) << c.name;
        EXPECT_EQ(m.periods(TrendLimit::FastRate), c.fast) << c.name;
        EXPECT_EQ(m.periods(TrendLimit::St), c.st) << c.name;
        EXPECT_EQ(m.periods(TrendLimit::Qtc), c.qtc) << c.name;
        // Time past a limit is the length of its periods.
        const std::array<const Periods*, 4> all{&c.slow, &c.fast, &c.st, &c.qtc};
        for (int k = 0; k < kTrendLimits; ++k) {
            qint64 total = 0;
            for (const TrendPeriod& p : *all[size_t(k)])
                total += p.length();
            EXPECT_EQ(m.summary().msPast[size_t(k)], total) << c.name << ", limit " << k;
        }
    }
}

TEST(TrendPageModel, SummaryOfKnownValues) {
    ASSERT_TRUE(Langpack::load(test::binDir() + QStringLiteral("/langpack.rcc")));
    TrendPageModel m;
    m.setSeries(seriesOf(knownValues()));
    const TrendSummary& s = m.summary();
    ASSERT_TRUE(s.hasRate);
    EXPECT_EQ(s.minRate, 45);
    EXPECT_EQ(s.minRateAt, kT0.addSecs(30));
    EXPECT_EQ(s.maxRate, 130);
    EXPECT_EQ(s.maxRateAt, kT0.addSecs(90));
    // Rates 60 45 48 130 50 121 120: the unanalysed and the rateless are left out.
    EXPECT_DOUBLE_EQ(s.meanRate, 574.0 / 7.0);
    ASSERT_EQ(s.gaps.size(), 1u);
    EXPECT_EQ(s.gaps[0], secondsFromT0(210, 810));

    const QString line = trendSummaryText(m);
    for (const char* part :
         {"min 45 bpm", "mean 82 bpm", "max 130 bpm", "Rate below 50 bpm: 1 min 00 s",
          "Rate above 120 bpm: 1 min 00 s", "|ST| from 1.00 mm: 1 min 00 s",
          "QTc from 470 ms: 1 min 00 s", "Gaps: 1 (10 min 00 s"})
        EXPECT_TRUE(line.contains(QLatin1String(part))) << part << " in " << line.toStdString();

    // A series without any rate says so instead of inventing one.
    m.setSeries(seriesOf({{0, 0, 0, false}, {-1, 0.0, 0}}));
    EXPECT_FALSE(m.summary().hasRate);
    EXPECT_TRUE(trendSummaryText(m).startsWith(Langpack::text(ids::kTrendNoHeartRateFound)));

    const struct {
        qint64 ms;
        const char* text;
    } durations[] = {{0, "0 s"},
                     {45'000, "45 s"},
                     {90'000, "1 min 30 s"},
                     {kHour, "1 h 00 min"},
                     {2 * kHour + 5 * kMin + 59'999, "2 h 05 min"},
                     {48 * kHour, "48 h 00 min"}};
    for (const auto& d : durations)
        EXPECT_EQ(trendDurationText(d.ms), QLatin1String(d.text)) << d.ms;
}

TEST(TrendPageModel, LimitsKeptInTheSettings) {
    QTemporaryDir dir;
    AppSettings::setStoreFile(dir.filePath(QStringLiteral("settings.ini")));
    {
        AppSettings settings;
        EXPECT_EQ(TrendThresholds::load(settings), TrendThresholds{}) << "defaults";
        ASSERT_TRUE((TrendThresholds{55, 110, 1.5, 450}).save(settings));
    }
    {
        AppSettings settings;
        EXPECT_EQ(TrendThresholds::load(settings), (TrendThresholds{55, 110, 1.5, 450}));
        // Values out of reason keep their defaults.
        settings.setInt32("TrendRateBelow", -4);
        settings.setString("TrendStMm", QStringLiteral("lots"));
        EXPECT_EQ(TrendThresholds::load(settings), (TrendThresholds{50, 110, 1.0, 450}));
    }
    AppSettings::setStoreFile({});
}
