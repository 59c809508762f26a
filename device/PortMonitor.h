#pragma once

#include <QObject>
#include <QString>

struct udev;
struct udev_monitor;
class QSocketNotifier;

namespace vantora {

// Watches the tty subsystem for removed ports (an unplugged bridge) and
// reports each with its device node; the main frame passes it to
// DeviceLink::onPortRemoved. Runs in the thread of its owner's event loop.
class PortMonitor : public QObject {
    Q_OBJECT
public:
    explicit PortMonitor(QObject* parent = nullptr);
    ~PortMonitor() override;

    // False when udev cannot be watched (no udev in a container, say).
    bool isActive() const { return notifier_ != nullptr; }

signals:
    void portRemoved(const QString& devNode);

private:
    void onReadable();

    udev* udev_ = nullptr;
    udev_monitor* monitor_ = nullptr;
    QSocketNotifier* notifier_ = nullptr;
};

} // namespace vantora
