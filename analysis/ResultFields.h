#pragma once

#include "analysis/AveragedBeatLayout.h"

#include <QString>

#include <array>

namespace vantora {

// The six result fields of the analysis page: heart rate, ST, PR, QRS, QT, QTc.
using ResultFieldTexts = std::array<QString, 6>;

// The ST slot holds recorder units (175 per mV); paper runs at 10 mm per mV.
constexpr double kStMillimetresPerMv = 10.0;
constexpr double kStUnitsPerMv = 175.0;

// The ST level in millimetres: units x 10.0 / 175.0, in double precision.
double stMillimetres(int32_t stUnits);

// The texts the page shows for a parameter block: slot 4 as "%d", slot 5 in
// millimetres as "%.2f", slots 6 to 9 as "%d".
ResultFieldTexts resultFieldTexts(const ParameterBlock& parameters);
// Six "..." for a page without results.
ResultFieldTexts clearedResultFields();

} // namespace vantora
