// The calibration store where there is no registry: an INI file per user in
// the platform's configuration folder, beside the program's own settings,
// with the registry's key path as the key and the 12 bytes as a byte array.
// It answers like the registry: only a binary value of at most 12 bytes
// under the exact path reads back.

#include "settings/calibrationstore.h"

#include <QSettings>

namespace calibrationstore {

namespace {

QSettings store()
{
    return QSettings(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("Nolk Controls"),
                     QStringLiteral("DirectInput"));
}

QString settingsKey(const QString &path)
{
    return QString(path).replace(QLatin1Char('\\'), QLatin1Char('/')) +
           QStringLiteral("/Calibration");
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

bool write(const QString &path, const QByteArray &value)
{
    QSettings settings = store();
    if (!settings.isWritable())
        return false;
    settings.setValue(settingsKey(path), value);
    settings.sync();
    return settings.status() == QSettings::NoError;
}

} // namespace calibrationstore
