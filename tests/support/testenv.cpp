#include "testenv.h"

#include "device/delays.h"
#include "app/dialogs.h"

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
}

void clearSettings()
{
    QSettings(QStringLiteral("Nolk Controls"), QStringLiteral("NolkSet")).clear();
}

} // namespace testenv
