// The device watcher of the tool itself, linked with the system's hidapi.
#include "device/devicewatcher.h"

#if defined(Q_OS_WIN)
#include "device/windowswatcher.h"
#elif defined(Q_OS_LINUX)
#include "device/udevwatcher.h"
#endif

DeviceWatcher *DeviceWatcher::create(QObject *parent)
{
#if defined(Q_OS_WIN)
    return new WindowsWatcher(parent);
#elif defined(Q_OS_LINUX)
    return new UdevWatcher(parent);
#else
    reportUnavailable(QStringLiteral("not watched on this system"));
    return new DeviceWatcher(parent);
#endif
}
