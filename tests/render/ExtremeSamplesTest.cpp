// Samples from damaged files can hold any 32-bit value. Every point builder
// and renderer draws a sample past the limit where it draws the limit, with
// no overflow on the way (the sanitizer pass runs this test).
#include "core/SampleRange.h"
#include "device/LiveTrace.h"
#include "render/AveragedBeatLayout.h"
#include "render/Calipers.h"
#include "render/DetailReduction.h"
#include "render/DownloadPointList.h"
#include "render/PaperElements.h"
#include "render/StripPointBuilder.h"

#include <gtest/gtest.h>

#include <climits>
#include <functional>

using namespace vantora;

namespace {

// 7500 samples cycling through both limits, the values just past them and the
// ends of int32_t, between ordinary counts.
std::vector<int32_t> extremeSamples() {
    const int32_t values[] = {
        INT32_MIN, INT32_MAX, -kSampleLimit - 1, kSampleLimit + 1, INT32_MIN + 1,
        512,       1 << 30,   -kSampleLimit,     kSampleLimit,     INT32_MAX - 1,
        0,         1023};
    std::vector<int32_t> samples(7500);
    for (size_t i = 0; i < samples.size(); ++i)
        samples[i] = values[(i * 7) % std::size(values)];
    return samples;
}

std::vector<int32_t> clamped(std::vector<int32_t> samples) {
    for (int32_t& s : samples)
        s = clampSample(s);
    return samples;
}

std::vector<QPoint> paperPoints(const std::vector<PaperPoint>& points) {
    std::vector<QPoint> out;
    for (const PaperPoint& p : points)
        out.push_back(p.at);
    return out;
}

} // namespace

TEST(ExtremeSamplesTest, EveryBuilderDrawsPastTheLimitAsAtTheLimit) {
    using Points = std::vector<QPoint>;
    const StripRows rows{StripRow{0, 150}, StripRow{0, 150}, StripRow{0, 150}};
    const struct {
        const char* name;
        std::function<Points(const std::vector<int32_t>&)> draw;
    } builders[] = {
        {"strip", [&](const auto& s) { return buildStripPoints(s, rows, 2).points; }},
        {"column strip",
         [&](const auto& s) { return buildColumnStripPoints(s, rows, 1, 900).points; }},
        {"replay row", [](const auto& s) { return buildReplayRowPoints(s, 10, 300).points; }},
        {"download cell",
         [](const auto& s) {
             DownloadPointList list;
             list.addBlock(0, 0, std::span(s).first(500), 0, 120);
             return list.points().points;
         }},
        {"detail reduction",
         [](const auto& s) {
             Points out;
             for (int32_t v : DetailReduction::compute(s, 900).entries)
                 out.emplace_back(0, v);
             return out;
         }},
        {"averaged beat",
         [](const auto& s) {
             AveragedBeat beat{};
             std::copy_n(s.begin(), beat.size(), beat.begin());
             return AveragedBeatLayout::compute(beat, ParameterBlock{60, 90, 110, 200}, 250).trace;
         }},
        {"paper strip",
         [](const auto& s) {
             return paperPoints(PaperStrip(nullptr, LayoutRect{0, 0, 6000, 3200}, s).tracePoints());
         }},
        {"live trace",
         [](const auto& s) {
             LiveTrace trace;
             for (size_t i = 0; i < LiveTrace::kSamples; ++i)
                 trace.push(s[i]);
             trace.rebuild();
             return trace.points();
         }},
        {"calipers",
         [](const auto& s) {
             Points out;
             for (int b = 1; b < 40; ++b)
                 out.emplace_back(0, int(Calipers::measure(s, 0, b).deltaMv * 1000));
             return out;
         }},
    };
    const std::vector<int32_t> samples = extremeSamples();
    const std::vector<int32_t> limited = clamped(samples);
    for (const auto& b : builders) {
        const Points drawn = b.draw(samples);
        EXPECT_FALSE(drawn.empty()) << b.name;
        EXPECT_EQ(drawn, b.draw(limited)) << b.name;
    }
}
