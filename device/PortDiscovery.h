#pragma once

#include "device/PortEnumerator.h"

#include <QString>

#include <optional>

namespace vantora {

// Finds the recorder's port: the first tty in enumeration order whose USB
// parent is the Silicon Labs bridge (vendor 10c4, driver cp210x). An explicit
// port (--port, or the Port setting) is used as given, without a scan.
class PortDiscovery {
public:
    static constexpr const char* kBridgeVendor = "10c4";
    static constexpr const char* kBridgeDriver = "cp210x";

    static std::optional<QString> findRecorderPort(PortEnumerator& enumerator);
    // The override wins, then the Port setting, then the scan.
    static std::optional<QString> resolve(const std::optional<QString>& override,
                                          PortEnumerator& enumerator);
    // The trailing decimal number of a device name (/dev/ttyUSB3 gives 3), or
    // -1 when the name does not end in digits.
    static int portNumberOf(const QString& name);
};

} // namespace vantora
