#include "analysis/ResultFields.h"

namespace vantora {

ResultFieldTexts resultFieldTexts(const ParameterBlock& p) {
    return {QString::asprintf("%d", p[kSlotHeartRate]), QString::asprintf("%.2f", stMillimetres(p)),
            QString::asprintf("%d", p[kSlotPR]),        QString::asprintf("%d", p[kSlotQRS]),
            QString::asprintf("%d", p[kSlotQT]),        QString::asprintf("%d", p[kSlotQTc])};
}

ResultFieldTexts clearedResultFields() {
    const QString none = QStringLiteral("...");
    return {none, none, none, none, none, none};
}

} // namespace vantora
