#ifndef NOLKSET_SETTINGSKEYS_H
#define NOLKSET_SETTINGSKEYS_H

#include <QString>

// The keys of the user's settings store (SettingsStore).
namespace settingskeys {

inline QString adjustWhite()
{
    return QStringLiteral("ENABLE_ADJUST_WHITE");
}

inline QString extraShifter()
{
    return QStringLiteral("EXTRA_SHIFTER");
}

// The encoder (1 or 2) bound to the bite point, per wheel name.
inline QString encoder(const QString &deviceName, int which)
{
    return deviceName + QStringLiteral("_ENCODER%1").arg(which);
}

} // namespace settingskeys

#endif
