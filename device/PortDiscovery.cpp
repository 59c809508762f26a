#include "device/PortDiscovery.h"

#include "core/AppSettings.h"

namespace vantora {

std::optional<QString> PortDiscovery::findRecorderPort(PortEnumerator& enumerator) {
    for (const TtyDevice& d : enumerator.ttyDevices()) {
        if (d.usbVendor.compare(QLatin1String(kBridgeVendor), Qt::CaseInsensitive) == 0 &&
            d.driver == QLatin1String(kBridgeDriver))
            return d.devNode;
    }
    return std::nullopt;
}

std::optional<QString> PortDiscovery::resolve(const std::optional<QString>& override,
                                              PortEnumerator& enumerator) {
    if (override && !override->isEmpty())
        return override;
    const auto setting = AppSettings().string(AppSettings::kPort);
    if (setting && !setting->trimmed().isEmpty())
        return setting->trimmed();
    return findRecorderPort(enumerator);
}

int PortDiscovery::portNumberOf(const QString& name) {
    qsizetype start = name.size();
    while (start > 0 && name[start - 1] >= u'0' && name[start - 1] <= u'9')
        --start;
    if (start == name.size())
        return -1;
    bool ok = false;
    const int n = name.mid(start, 9).toInt(&ok);
    return ok ? n : -1;
}

} // namespace vantora
