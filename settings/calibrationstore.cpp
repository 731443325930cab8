#include "settings/calibrationstore.h"

#include <QtEndian>

#include <algorithm>

namespace calibrationstore {

QString keyPath(int productId, int axis)
{
    return QStringLiteral("System\\CurrentControlSet\\Control\\") +
           QStringLiteral("MediaProperties\\PrivateProperties\\DirectInput\\") +
           QStringLiteral("VID_7B3E&PID_") +
           QStringLiteral("%1").arg(productId & 0xFFFF, 4, 16, QLatin1Char('0')) +
           QStringLiteral("\\Calibration\\0\\Type\\Axes\\") + QString::number(axis);
}

QByteArray encode(const AxisRange &range)
{
    QByteArray value(ValueSize, '\0');
    auto *data = reinterpret_cast<uchar *>(value.data());
    const std::uint32_t centre =
        static_cast<std::uint32_t>((std::uint64_t{range.minimum} + range.maximum) / 2);
    qToLittleEndian<quint32>(range.minimum, data);
    qToLittleEndian<quint32>(centre, data + 4);
    qToLittleEndian<quint32>(range.maximum, data + 8);
    return value;
}

AxisRange decode(const QByteArray &value)
{
    uchar buffer[ValueSize] = {};
    std::copy_n(value.constData(), std::min<qsizetype>(value.size(), ValueSize), buffer);
    return {qFromLittleEndian<quint32>(buffer), qFromLittleEndian<quint32>(buffer + 8)};
}

AxisRange load(int productId, int axis)
{
    const std::optional<QByteArray> value = read(keyPath(productId, axis));
    return value ? decode(*value) : Uncalibrated;
}

bool save(int productId, int axis, const AxisRange &range)
{
    return write(keyPath(productId, axis), encode(range));
}

} // namespace calibrationstore
