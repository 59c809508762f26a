#pragma once

#include "analysis/TrendSeries.h"
#include "core/SignalFormat.h"

#include <QString>

#include <array>

namespace vantora {

// The six result fields of the analysis page: heart rate, ST, PR, QRS, QT, QTc.
using ResultFieldTexts = std::array<QString, 6>;

// The texts the page shows for a parameter block: the heart rate as "%d", ST
// in millimetres as "%.2f", PR, QRS, QT and QTc as "%d".
ResultFieldTexts resultFieldTexts(const ParameterBlock& parameters);
// The same texts for a recording of the trend; six "..." when the library
// found no beat in it, as the page shows it.
ResultFieldTexts resultFieldTexts(const TrendPoint& point);
// The unit of each field, in that order: rates in beats per minute, ST in
// millimetres at 10 mm/mV, intervals in milliseconds.
constexpr std::array<const char*, 6> kResultUnits{"bpm", "mm", "ms", "ms", "ms", "ms"};

// A field's text with its unit after it, as the page shows it; "..." (no
// result) stays bare.
QString withUnit(const QString& text, size_t field);

// Six "..." for a page without results.
ResultFieldTexts clearedResultFields();

} // namespace vantora
