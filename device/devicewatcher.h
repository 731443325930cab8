#ifndef NOLKSET_DEVICEWATCHER_H
#define NOLKSET_DEVICEWATCHER_H

#include <QObject>
#include <QString>

#include <cstdint>
#include <optional>

class QByteArray;

// Tells the window as soon as a wheel may have been plugged in, so that it
// need not wait for its next retry. This base watches nothing: it stands
// where the system offers no device events, and the retry finds the wheel.
class DeviceWatcher : public QObject
{
    Q_OBJECT

public:
    using QObject::QObject;

    // The watcher that comes with the HID backend the program links, chosen
    // at link time as that one is: the system's (udev on Linux, device
    // notifications on Windows) with the system's hidapi, the emulator's
    // with the wheel emulator.
    static DeviceWatcher *create(QObject *parent);

    // Windows announces devices with messages to a window: the window hands
    // each of its native messages on.
    virtual void windowMessage(const QByteArray &eventType, void *message);

    static bool isWheel(std::uint16_t vendorId, std::uint16_t productId);
    // The wheel's product id in a Windows device interface path
    // ("\\?\HID#VID_7B3E&PID_2007&...#{...}"); nothing for other devices.
    static std::optional<std::uint16_t> wheelInInterfacePath(const QString &path);

signals:
    // A wheel's device appeared; its node may not open yet.
    void wheelArrived(quint16 productId);

protected:
    // The one debug line of a watcher that cannot watch.
    static void reportUnavailable(const QString &why);
};

#endif
