#include "device/windowswatcher.h"

#include <QByteArray>
#include <QString>

#include <windows.h>

#include <dbt.h>

namespace {

// The HID device interface class (GUID_DEVINTERFACE_HID of hidclass.h).
constexpr GUID HidInterfaceClass = {
    0x4D1E55B2, 0xF16F, 0x11CF, {0x88, 0xCB, 0x00, 0x11, 0x11, 0x00, 0x00, 0x30}};

} // namespace

WindowsWatcher::~WindowsWatcher()
{
    if (notification != nullptr)
        UnregisterDeviceNotification(notification);
}

void WindowsWatcher::registerWindow(void *window)
{
    if (notification != nullptr)
        UnregisterDeviceNotification(notification);
    DEV_BROADCAST_DEVICEINTERFACE_W filter{};
    filter.dbcc_size = sizeof(filter);
    filter.dbcc_devicetype = DBT_DEVTYP_DEVICEINTERFACE;
    filter.dbcc_classguid = HidInterfaceClass;
    notification = RegisterDeviceNotificationW(static_cast<HWND>(window), &filter,
                                               DEVICE_NOTIFY_WINDOW_HANDLE);
    registeredWindow = window;
    if (notification == nullptr)
        reportUnavailable(
            QStringLiteral("RegisterDeviceNotification failed, error %1").arg(GetLastError()));
}

void WindowsWatcher::windowMessage(const QByteArray &eventType, void *message)
{
    if (eventType != "windows_generic_MSG")
        return;
    const MSG *msg = static_cast<const MSG *>(message);
    if (msg->hwnd != registeredWindow)
        registerWindow(msg->hwnd);
    if (msg->message != WM_DEVICECHANGE || msg->wParam != DBT_DEVICEARRIVAL)
        return;
    const auto *header = reinterpret_cast<const DEV_BROADCAST_HDR *>(msg->lParam);
    if (header == nullptr || header->dbch_devicetype != DBT_DEVTYP_DEVICEINTERFACE)
        return;
    const auto *device = reinterpret_cast<const DEV_BROADCAST_DEVICEINTERFACE_W *>(header);
    if (const std::optional<std::uint16_t> productId =
            wheelInInterfacePath(QString::fromWCharArray(device->dbcc_name)))
        emit wheelArrived(*productId);
}
