#pragma once

#include "device/PortEnumerator.h"

namespace vantora {

// PortEnumerator over libudev: the "tty" subsystem, in udev's order.
class UdevPortEnumerator : public PortEnumerator {
public:
    std::vector<TtyDevice> ttyDevices() override;
};

} // namespace vantora
