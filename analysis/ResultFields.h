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

} // namespace vantora
