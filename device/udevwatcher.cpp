#include "device/udevwatcher.h"

#include <QSocketNotifier>

#include <libudev.h>

#include <cstdlib>
#include <cstring>

namespace {

// A sysfs attribute of four hex digits (idVendor, idProduct); 0 otherwise.
std::uint16_t hexAttribute(udev_device *device, const char *name)
{
    const char *text = udev_device_get_sysattr_value(device, name);
    if (text == nullptr)
        return 0;
    char *end = nullptr;
    const unsigned long value = std::strtoul(text, &end, 16);
    return end != text && *end == '\0' && value <= 0xFFFF ? static_cast<std::uint16_t>(value) : 0;
}

} // namespace

UdevWatcher::UdevWatcher(QObject *parent)
    : DeviceWatcher(parent)
    , context(udev_new())
{
    if (context != nullptr)
        monitor = udev_monitor_new_from_netlink(context, "udev");
    if (monitor == nullptr ||
        udev_monitor_filter_add_match_subsystem_devtype(monitor, "hidraw", nullptr) < 0 ||
        udev_monitor_enable_receiving(monitor) < 0) {
        reportUnavailable(context == nullptr ? QStringLiteral("no udev")
                                             : QStringLiteral("no udev monitor"));
        udev_monitor_unref(monitor);
        monitor = nullptr;
        return;
    }
    auto *notifier = new QSocketNotifier(udev_monitor_get_fd(monitor), QSocketNotifier::Read, this);
    connect(notifier, &QSocketNotifier::activated, this, &UdevWatcher::readEvents);
}

UdevWatcher::~UdevWatcher()
{
    udev_monitor_unref(monitor);
    udev_unref(context);
}

void UdevWatcher::readEvents()
{
    // The monitor's socket does not block: take every event that is there.
    while (udev_device *device = udev_monitor_receive_device(monitor)) {
        const char *action = udev_device_get_action(device);
        udev_device *usb =
            udev_device_get_parent_with_subsystem_devtype(device, "usb", "usb_device");
        if (action != nullptr && std::strcmp(action, "add") == 0 && usb != nullptr) {
            const std::uint16_t productId = hexAttribute(usb, "idProduct");
            if (isWheel(hexAttribute(usb, "idVendor"), productId))
                emit wheelArrived(productId);
        }
        udev_device_unref(device);
    }
}
