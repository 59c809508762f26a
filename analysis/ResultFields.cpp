#include "analysis/ResultFields.h"

namespace vantora {

ResultFieldTexts resultFieldTexts(const ParameterBlock& p) {
    return {QString::asprintf("%d", p[kSlotHeartRate]), QString::asprintf("%.2f", stMillimetres(p)),
            QString::asprintf("%d", p[kSlotPR]),        QString::asprintf("%d", p[kSlotQRS]),
            QString::asprintf("%d", p[kSlotQT]),        QString::asprintf("%d", p[kSlotQTc])};
}

ResultFieldTexts resultFieldTexts(const TrendPoint& point) {
    if (!point.analysed)
        return clearedResultFields();
    ParameterBlock block{};
    block[kSlotHeartRate] = point.heartRate;
    block[kSlotPR] = point.pr;
    block[kSlotQRS] = point.qrs;
    block[kSlotQT] = point.qt;
    block[kSlotQTc] = point.qtc;
    ResultFieldTexts texts = resultFieldTexts(block);
    texts[1] = QString::asprintf("%.2f", point.stMm); // stMm holds stMillimetres() already
    return texts;
}

QString withUnit(const QString& text, size_t field) {
    if (text == u"..." || text.isEmpty() || field >= kResultUnits.size())
        return text;
    return text + u' ' + QLatin1String(kResultUnits[field]);
}

ResultFieldTexts clearedResultFields() {
    const QString none = QStringLiteral("...");
    return {none, none, none, none, none, none};
}

} // namespace vantora
