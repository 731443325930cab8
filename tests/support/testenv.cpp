#include "testenv.h"

#include "device/delays.h"
#include "app/dialogs.h"

#include <QDir>
#include <QFile>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <memory>

namespace testenv {
namespace {
std::unique_ptr<QTemporaryDir> folder;
}

void isolate(int delayDivisor)
{
    QStandardPaths::setTestModeEnabled(true);
    folder = std::make_unique<QTemporaryDir>();
    const QString path = folder->path();
    for (QSettings::Format format : {QSettings::NativeFormat, QSettings::IniFormat}) {
        QSettings::setPath(format, QSettings::UserScope, path + QStringLiteral("/user"));
        QSettings::setPath(format, QSettings::SystemScope, path + QStringLiteral("/system"));
    }
    dialogs::script::setEnabled(true);
    delays::setTestDivisor(delayDivisor);
    // Files an earlier run left behind.
    clearSettings();
}

QSettings directInput()
{
    return QSettings(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("Nolk Controls"),
                     QStringLiteral("DirectInput"));
}

QString calibrationKey(int productId, int axis)
{
    return QStringLiteral("System/CurrentControlSet/Control/MediaProperties/PrivateProperties/"
                          "DirectInput/VID_7B3E&PID_%1/Calibration/0/Type/Axes/%2/Calibration")
        .arg(productId, 4, 16, QLatin1Char('0'))
        .arg(axis);
}

void clearSettings()
{
    QSettings(QStringLiteral("Nolk Controls"), QStringLiteral("NolkSet")).clear();
    directInput().clear();
    // A test may have put a file where the folder belongs.
    const QString userFiles = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    // An empty path would name the working folder; outside test mode it
    // would name the user's own files.
    if (userFiles.isEmpty() || !QStandardPaths::isTestModeEnabled())
        return;
    QFile::remove(userFiles);
    QDir(userFiles).removeRecursively();
}

} // namespace testenv
