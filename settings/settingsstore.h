#ifndef NOLKSET_SETTINGSSTORE_H
#define NOLKSET_SETTINGSSTORE_H

#include <QSettings>

// The per-user settings store, native format. Every access opens its own
// short-lived store so no stale copy outlives a change.
class SettingsStore : public QSettings
{
public:
    SettingsStore()
        : QSettings(QStringLiteral("Nolk Controls"), QStringLiteral("NolkSet"))
    {
    }
};

#endif
