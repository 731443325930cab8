#include "settings/calibrationstore.h"

#include <QtEndian>

#ifdef Q_OS_WIN
#include <windows.h>
#else
#include <QSettings>
#endif

namespace calibrationstore {

QString keyPath(int productId, int axis)
{
    return QStringLiteral("System\\CurrentControlSet\\Control\\")
           + QStringLiteral("MediaProperties\\PrivateProperties\\DirectInput\\")
           + QStringLiteral("VID_7B3E&PID_")
           + QStringLiteral("%1").arg(productId & 0xFFFF, 4, 16, QLatin1Char('0'))
           + QStringLiteral("\\Calibration\\0\\Type\\Axes\\") + QString::number(axis);
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

#ifdef Q_OS_WIN

std::optional<QByteArray> read(const QString &path)
{
    const QByteArray key = path.toLocal8Bit();
    QByteArray value(ValueSize, '\0');
    DWORD type = 0;
    DWORD size = ValueSize;
    if (RegGetValueA(HKEY_CURRENT_USER, key.constData(), "Calibration", RRF_RT_REG_BINARY, &type,
                     value.data(), &size)
        != ERROR_SUCCESS)
        return std::nullopt;
    value.truncate(static_cast<qsizetype>(size));
    return value;
}

void write(const QString &path, const QByteArray &value)
{
    const QByteArray key = path.toLocal8Bit();
    HKEY handle = nullptr;
    if (RegOpenKeyA(HKEY_CURRENT_USER, key.constData(), &handle) != ERROR_SUCCESS
        && RegCreateKeyExA(HKEY_CURRENT_USER, key.constData(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                           KEY_ALL_ACCESS, nullptr, &handle, nullptr)
               != ERROR_SUCCESS)
        return;
    RegSetValueExA(handle, "Calibration", 0, REG_BINARY,
                   reinterpret_cast<const BYTE *>(value.constData()),
                   static_cast<DWORD>(value.size()));
    RegCloseKey(handle);
}

#else

namespace {

// Its own file beside the program's settings, as the registry is beside them
// on Windows.
QSettings store()
{
    return QSettings(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("Nolk Controls"),
                     QStringLiteral("DirectInput"));
}

QString settingsKey(const QString &path)
{
    return QString(path).replace(QLatin1Char('\\'), QLatin1Char('/'))
           + QStringLiteral("/Calibration");
}

} // namespace

std::optional<QByteArray> read(const QString &path)
{
    const QVariant value = store().value(settingsKey(path));
    if (value.typeId() != QMetaType::QByteArray)
        return std::nullopt;
    const QByteArray bytes = value.toByteArray();
    if (bytes.size() > ValueSize)
        return std::nullopt;
    return bytes;
}

void write(const QString &path, const QByteArray &value)
{
    QSettings settings = store();
    settings.setValue(settingsKey(path), value);
    settings.sync();
}

#endif

} // namespace calibrationstore
