#include "device/PortMonitor.h"

#include <QSocketNotifier>

#include <libudev.h>

namespace vantora {

PortMonitor::PortMonitor(QObject* parent) : QObject(parent) {
    udev_ = udev_new();
    if (udev_ == nullptr)
        return;
    monitor_ = udev_monitor_new_from_netlink(udev_, "udev");
    if (monitor_ == nullptr ||
        udev_monitor_filter_add_match_subsystem_devtype(monitor_, "tty", nullptr) < 0 ||
        udev_monitor_enable_receiving(monitor_) < 0)
        return;
    notifier_ = new QSocketNotifier(udev_monitor_get_fd(monitor_), QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, &PortMonitor::onReadable);
}

PortMonitor::~PortMonitor() {
    delete notifier_;
    if (monitor_ != nullptr)
        udev_monitor_unref(monitor_);
    if (udev_ != nullptr)
        udev_unref(udev_);
}

void PortMonitor::onReadable() {
    udev_device* dev = udev_monitor_receive_device(monitor_);
    if (dev == nullptr)
        return;
    const char* action = udev_device_get_action(dev);
    const char* node = udev_device_get_devnode(dev);
    const bool removed = action != nullptr && qstrcmp(action, "remove") == 0 && node != nullptr;
    const QString devNode = removed ? QString::fromLocal8Bit(node) : QString();
    udev_device_unref(dev);
    if (removed)
        emit portRemoved(devNode);
}

} // namespace vantora
