#include "analysis/ResultFields.h"

namespace vantora {

double stMillimetres(int32_t stUnits) {
    return stUnits * kStMillimetresPerMv / kStUnitsPerMv;
}

ResultFieldTexts resultFieldTexts(const ParameterBlock& p) {
    return {QString::asprintf("%d", p[4]), QString::asprintf("%.2f", stMillimetres(p[5])),
            QString::asprintf("%d", p[6]), QString::asprintf("%d", p[7]),
            QString::asprintf("%d", p[8]), QString::asprintf("%d", p[9])};
}

ResultFieldTexts clearedResultFields() {
    const QString none = QStringLiteral("...");
    return {none, none, none, none, none, none};
}

} // namespace vantora
