#ifndef NOLKSET_SETTINGSSTORE_H
#define NOLKSET_SETTINGSSTORE_H

#include <QSettings>
#include <QString>

// The per-user settings store, native format. Every access opens its own
// short-lived store so no stale copy outlives a change.
class SettingsStore : public QSettings
{
public:
    SettingsStore()
        : QSettings(QStringLiteral("Nolk Controls"), QStringLiteral("NolkSet"))
    {
    }

    // The keys the store holds.
    static QString adjustWhiteKey() { return QStringLiteral("ENABLE_ADJUST_WHITE"); }
    static QString extraShifterKey() { return QStringLiteral("EXTRA_SHIFTER"); }
    // The encoder (1 or 2) bound to the bite point, per wheel name.
    static QString encoderKey(const QString &deviceName, int which)
    {
        return deviceName + QStringLiteral("_ENCODER%1").arg(which);
    }
};

#endif
