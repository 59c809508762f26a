// The trend page's half of showing a 48-hour store (5760 recordings): the
// model taking the series (periods past the limits, gaps, summary) and the
// six plots drawn at the page's size, over the whole store and at 10 min.
// With TrendBench's load this is the time from the store to the page shown.
// Run with QT_QPA_PLATFORM=offscreen and --benchmark_repetitions=5.
#include "render/TrendPageModel.h"
#include "render/TrendPlot.h"

#include <QFontMetrics>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#include <benchmark/benchmark.h>

using namespace vantora;

namespace {

constexpr int kRecordings = 5760; // 48 h of 30 s

// A day and two of results with slow and fast spells, an ST episode, a few
// unanalysed recordings and an hour without any.
TrendSeries fullSeries() {
    TrendSeries s;
    // Times as loadTrend gives them: local, with their offset from UTC fixed.
    QDateTime at(QDate(2026, 11, 2), QTime(8, 0), Qt::OffsetFromUTC, 3600);
    for (int k = 0; k < kRecordings; ++k) {
        if (k == 2000)
            at = at.addSecs(3600);
        TrendPoint p;
        p.number = k + 1;
        p.start = at;
        p.end = at.addSecs(30);
        p.analysed = k % 97 != 5;
        p.heartRate = p.analysed ? 45 + (k / 40) % 90 : -1;
        p.stMm = (k / 300) % 5 == 2 ? -1.3 : 0.2;
        p.pr = 150 + k % 20;
        p.qrs = 90 + k % 10;
        p.qt = 360 + k % 40;
        p.qtc = p.analysed ? 400 + (k / 50) % 90 : -1;
        p.eventMask = k % 31 == 0 ? 2 : 0;
        s.points.push_back(p);
        at = p.end;
    }
    return s;
}

const TrendSeries& series() {
    static const TrendSeries s = fullSeries();
    return s;
}

void BM_ModelTakesTheSeries(benchmark::State& state) {
    for (auto _ : state) {
        TrendPageModel m;
        m.setSeries(series());
        benchmark::DoNotOptimize(m.summary().meanRate);
    }
}
BENCHMARK(BM_ModelTakesTheSeries)->Unit(benchmark::kMillisecond);

// The page's plot area in a 1024 x 768 window.
void BM_DrawTrend(benchmark::State& state) {
    TrendPageModel m;
    m.setSeries(series());
    if (state.range(0) > 0)
        m.zoomAtCentre(double(m.view().length()) / double(TrendPageModel::kNarrowestMs));
    QImage image(1016, 560, QImage::Format_ARGB32_Premultiplied);
    const QFont font;
    const TrendPlotLayout layout =
        layoutTrendPlots(QRectF(0, 0, image.width(), image.height()), QFontMetrics(font).height());
    m.setCursor(m.view().start + m.view().length() / 2);
    for (auto _ : state) {
        image.fill(Qt::white);
        QPainter painter(&image);
        drawTrendPlots(painter, layout, m, {font, false, true});
    }
}
BENCHMARK(BM_DrawTrend)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
