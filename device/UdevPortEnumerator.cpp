#include "device/UdevPortEnumerator.h"

#include <libudev.h>

namespace vantora {

namespace {

QString text(const char* s) {
    return s ? QString::fromLocal8Bit(s) : QString();
}

// Walks up from the tty device: the nearest driver named on the way, and the
// vendor of the USB device it hangs off.
TtyDevice describe(udev_device* tty) {
    TtyDevice d;
    d.devNode = text(udev_device_get_devnode(tty));
    for (udev_device* p = tty; p != nullptr; p = udev_device_get_parent(p)) {
        if (d.driver.isEmpty())
            d.driver = text(udev_device_get_driver(p));
        const QString devtype = text(udev_device_get_devtype(p));
        if (devtype == QLatin1String("usb_device")) {
            d.usbVendor = text(udev_device_get_sysattr_value(p, "idVendor"));
            break;
        }
    }
    return d;
}

} // namespace

std::vector<TtyDevice> UdevPortEnumerator::ttyDevices() {
    std::vector<TtyDevice> out;
    udev* u = udev_new();
    if (u == nullptr)
        return out;
    udev_enumerate* e = udev_enumerate_new(u);
    if (e != nullptr && udev_enumerate_add_match_subsystem(e, "tty") >= 0 &&
        udev_enumerate_scan_devices(e) >= 0) {
        udev_list_entry* entry = nullptr;
        udev_list_entry_foreach(entry, udev_enumerate_get_list_entry(e)) {
            udev_device* dev = udev_device_new_from_syspath(u, udev_list_entry_get_name(entry));
            if (dev == nullptr)
                continue;
            TtyDevice d = describe(dev);
            if (!d.devNode.isEmpty())
                out.push_back(std::move(d));
            udev_device_unref(dev); // parents belong to the child
        }
    }
    if (e != nullptr)
        udev_enumerate_unref(e);
    udev_unref(u);
    return out;
}

} // namespace vantora
