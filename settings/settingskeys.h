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

// Whether the calibration kept for an axis has reached the wheel with a
// stored paddle report. Kept beside the calibration, not in it: DirectInput
// reads the 12-byte value. A calibration kept before this key existed counts
// as given.
inline QString calibrationGiven(int productId, int axis)
{
    return QStringLiteral("CALIBRATION_GIVEN_%1_%2")
        .arg(productId & 0xFFFF, 4, 16, QLatin1Char('0'))
        .arg(axis);
}

} // namespace settingskeys

#endif
