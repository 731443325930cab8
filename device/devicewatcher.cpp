#include "device/devicewatcher.h"

#include "device/protocol.h"

#include <QByteArray>
#include <QDebug>
#include <QRegularExpression>

#include <algorithm>

void DeviceWatcher::windowMessage(const QByteArray &, void *)
{
}

bool DeviceWatcher::isWheel(std::uint16_t vendorId, std::uint16_t productId)
{
    return vendorId == protocol::VendorId &&
           std::find(protocol::ProductIds.begin(), protocol::ProductIds.end(), productId) !=
               protocol::ProductIds.end();
}

std::optional<std::uint16_t> DeviceWatcher::wheelInInterfacePath(const QString &path)
{
    static const QRegularExpression ids(
        QStringLiteral(R"(^\\\\\?\\HID#VID_([0-9A-F]{4})&PID_([0-9A-F]{4})[&#])"),
        QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch match = ids.match(path);
    if (!match.hasMatch())
        return std::nullopt;
    const auto vendorId = static_cast<std::uint16_t>(match.captured(1).toUInt(nullptr, 16));
    const auto productId = static_cast<std::uint16_t>(match.captured(2).toUInt(nullptr, 16));
    if (!isWheel(vendorId, productId))
        return std::nullopt;
    return productId;
}

void DeviceWatcher::reportUnavailable(const QString &why)
{
    qDebug().noquote() << QStringLiteral("no device events (%1): looking for the wheel every "
                                         "3 s")
                              .arg(why);
}
