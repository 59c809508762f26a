#pragma once

#include "core/SignalFormat.h"

#include <QString>

#include <array>

namespace vantora {

// The six result fields of the analysis page: heart rate, ST, PR, QRS, QT, QTc.
using ResultFieldTexts = std::array<QString, 6>;

// The texts the page shows for a parameter block: the heart rate as "%d", ST
// in millimetres as "%.2f", PR, QRS, QT and QTc as "%d".
ResultFieldTexts resultFieldTexts(const ParameterBlock& parameters);
// Six "..." for a page without results.
ResultFieldTexts clearedResultFields();
// The unit of each field: bpm, mm (ST at 10 mm/mV) and ms.
inline constexpr std::array<const char*, 6> kResultFieldUnits{"bpm", "mm", "ms", "ms", "ms", "ms"};

} // namespace vantora
