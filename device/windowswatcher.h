#ifndef NOLKSET_WINDOWSWATCHER_H
#define NOLKSET_WINDOWSWATCHER_H

#include "device/devicewatcher.h"

// Watches for HID device interfaces that appear with a wheel's ids. Windows
// sends these notifications as WM_DEVICECHANGE to a window registered for
// them: the watcher registers the window whose messages it is handed, and
// again when the window gets a new handle.
class WindowsWatcher : public DeviceWatcher
{
    Q_OBJECT

public:
    using DeviceWatcher::DeviceWatcher;
    ~WindowsWatcher() override;

    void windowMessage(const QByteArray &eventType, void *message) override;

private:
    void registerWindow(void *window);

    void *registeredWindow = nullptr;
    void *notification = nullptr;
};

#endif
