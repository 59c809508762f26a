#pragma once

#include "frontend/AveragedBeatLayout.h"

#include <QString>

#include <array>

namespace vantora {

// The six result fields of the analysis page: heart rate, ST, PR, QRS, QT, QTc.
using ResultFieldTexts = std::array<QString, 6>;

constexpr double kStPerUnit = 0.06666666666666667; // ST slot in 1/15 units

// The texts the page shows for a parameter block: slot 4 as "%d", slot 5
// times 1/15 as "%.2f", slots 6 to 9 as "%d".
ResultFieldTexts resultFieldTexts(const ParameterBlock& parameters);
// Six "..." for a page without results.
ResultFieldTexts clearedResultFields();

} // namespace vantora
