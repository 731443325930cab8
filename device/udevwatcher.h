#ifndef NOLKSET_UDEVWATCHER_H
#define NOLKSET_UDEVWATCHER_H

#include "device/devicewatcher.h"

struct udev;
struct udev_monitor;

// Watches udev for hidraw nodes that appear with a wheel's USB ids. The
// events come from udev after its rules ran, so the node normally has its
// access rights by then.
class UdevWatcher : public DeviceWatcher
{
    Q_OBJECT

public:
    explicit UdevWatcher(QObject *parent = nullptr);
    ~UdevWatcher() override;

private:
    void readEvents();

    udev *context = nullptr;
    udev_monitor *monitor = nullptr;
};

#endif
