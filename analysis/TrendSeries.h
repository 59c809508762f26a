#pragma once

#include <QDateTime>
#include <QString>

#include <cstdint>
#include <vector>

namespace vantora {

// The analysis of one Continuous recording as the trend shows it. Times are
// local (stored times carry no zone); `end - start` is 30 s.
struct TrendPoint {
    int number = 0; // 1-based, in store order
    QDateTime start;
    QDateTime end;
    // The library found beats and its results are valid; when false only the
    // stored values below are meaningful and the plots leave a gap.
    bool analysed = false;
    int32_t heartRate = -1; // beats/min, -1: no rate
    double stMm = 0.0;      // stMillimetres() of the parameter block
    int32_t pr = 0;         // ms
    int32_t qrs = 0;        // ms
    int32_t qt = 0;         // ms
    int32_t qtc = -1;       // ms, -1 when the rate is -1
    // As stored in the index entry: the recorder's rhythm findings (bit
    // code-1 per finding) and its average heart rate over the segment.
    uint16_t eventMask = 0;
    uint16_t storedHeartRate = 0;

    friend bool operator==(const TrendPoint&, const TrendPoint&) = default;
};

// Every recording of one patient's Continuous store, in store order.
struct TrendSeries {
    QString patientId;
    std::vector<TrendPoint> points;
};

} // namespace vantora
