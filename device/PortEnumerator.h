#pragma once

#include <QString>

#include <vector>

namespace vantora {

// One serial (tty) device as the system lists it, with what its USB parent says.
struct TtyDevice {
    QString devNode;   // /dev/ttyUSB0
    QString usbVendor; // idVendor of the USB device, "10c4"; empty when not on USB
    QString driver;    // kernel driver of the port, "cp210x"
};

// Lists the system's tty devices in enumeration order. Tests fake it.
class PortEnumerator {
public:
    virtual ~PortEnumerator() = default;
    virtual std::vector<TtyDevice> ttyDevices() = 0;
};

} // namespace vantora
