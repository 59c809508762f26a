// Caliper measurements on the large trace: the interval between two markers
// in ms at 250 samples/s, the voltage step in mV at 175 counts per mV and the
// rate 60000 / interval. Tested by tests/render/CaliperTest.cpp.
#include "render/Calipers.h"

#include "core/Langpack.h"
#include "core/SampleRange.h"
#include "core/SignalFormat.h"
#include "core/StringIds.h"
#include "render/DetailStrip.h"

#include <algorithm>
#include <cmath>

namespace vantora {

namespace {
constexpr int kTraceLeft = 15; // the strip's margin, pixels
constexpr double kMsPerMinute = 60000.0;
} // namespace

QString CaliperReading::text() const {
    QString out = QStringLiteral("%1 %2 ms   %3 %4 mV")
                      .arg(Langpack::text(ids::kCaliperInterval))
                      .arg(intervalMs, 0, 'f', 0)
                      .arg(Langpack::text(ids::kCaliperAmplitude))
                      .arg(deltaMv, 0, 'f', 2);
    if (rateBpm)
        out += QStringLiteral("   %1 %2 bpm")
                   .arg(Langpack::text(ids::kCaliperRate))
                   .arg(*rateBpm, 0, 'f', 0);
    return out;
}

CaliperReading Calipers::measure(std::span<const int32_t> samples, int a, int b) {
    CaliperReading r;
    if (samples.empty())
        return r;
    const int last = int(samples.size()) - 1;
    a = std::clamp(a, 0, last);
    b = std::clamp(b, 0, last);
    r.intervalMs = std::abs(b - a) * 1000.0 / kSamplesPerSecond;
    r.deltaMv = double(clampSample(samples[size_t(b)]) - clampSample(samples[size_t(a)])) /
                kUnitsPerMillivolt;
    if (r.intervalMs > 0)
        r.rateBpm = kMsPerMinute / r.intervalMs;
    return r;
}

double Calipers::columnAt(const DetailStrip& strip, QPoint position, int width, int columns) {
    const QPointF untransformed = strip.transform().inverted().map(QPointF(position));
    const int span = std::max(1, width - kTraceLeft);
    return std::clamp((untransformed.x() - kTraceLeft) * columns / span, 0.0,
                      double(std::max(0, columns - 1)));
}

int Calipers::xOfColumn(const DetailStrip& strip, double column, int width, int columns) {
    const int span = std::max(1, width - kTraceLeft);
    const double x = column * span / std::max(1, columns) + kTraceLeft;
    return int(std::lround(strip.transform().map(QPointF(x, 0)).x()));
}

int Calipers::sampleOf(double column, int firstEntry, double entriesPerSample, int samples) {
    if (entriesPerSample <= 0)
        return 0;
    return std::clamp(int(std::lround((firstEntry + column) / entriesPerSample)), 0,
                      std::max(0, samples - 1));
}

} // namespace vantora
