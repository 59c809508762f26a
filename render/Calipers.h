#pragma once

#include <QPoint>
#include <QString>

#include <cstdint>
#include <optional>
#include <span>

namespace vantora {

class DetailStrip;

// What two caliper markers on the large trace measure.
struct CaliperReading {
    double intervalMs = 0;         // between the markers
    double deltaMv = 0;            // trace at the second marker minus at the first
    std::optional<double> rateBpm; // 60000 / interval; none for a zero interval

    // "Interval 1000 ms   Amplitude 0.50 mV   Rate 60 bpm"
    QString text() const;
};

// Calipers on the replay page's large trace: Shift and the left button drag
// two vertical markers, Escape clears them. Markers are kept as display columns of
// the trace (before zoom and pan), so they stay on the same samples when the
// strip is zoomed or panned.
class Calipers {
public:
    // samples: the recording (250 samples/s); a and b sample indexes.
    static CaliperReading measure(std::span<const int32_t> samples, int a, int b);

    // The trace column under a window point, through the strip's transform;
    // columns: how many the strip shows across the window of `width` pixels.
    static double columnAt(const DetailStrip& strip, QPoint position, int width, int columns);
    // The window x of a trace column.
    static int xOfColumn(const DetailStrip& strip, double column, int width, int columns);

    void begin(double column) {
        first_ = second_ = column;
        active_ = true;
    }
    void moveTo(double column) { second_ = column; }
    void clear() { active_ = false; }
    bool active() const { return active_; }
    double first() const { return first_; }
    double second() const { return second_; }
    // The sample index of a column of a strip whose column 0 shows reduced
    // entry firstEntry, at entriesPerSample entries per sample, in a
    // recording of `samples`.
    static int sampleOf(double column, int firstEntry, double entriesPerSample, int samples);

private:
    double first_ = 0;
    double second_ = 0;
    bool active_ = false;
};

} // namespace vantora
