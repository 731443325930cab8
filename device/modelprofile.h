#ifndef NOLKSET_MODELPROFILE_H
#define NOLKSET_MODELPROFILE_H

#include <QString>

#include <vector>

// What a model is, whatever shows it: found by the name the wheel reports,
// updated from its own directory, with or without battery, Bluetooth and the
// extra shifters. How the window shows it is app/modellayout.
namespace modelprofile {

struct Profile
{
    QString modelName;       // searched in the name the wheel reports
    QString updateDirectory; // appended to the update address, ends in '/'
    bool extraShifterOption; // cbShifter shown and taken from "EXTRA_SHIFTER"
    bool hasBattery;
    bool hasBluetooth;

    // The name test is a case-sensitive substring test, as the wheels report
    // their model in upper case somewhere inside a longer product name.
    bool matches(const QString &deviceName) const;
};

// RALKA, DEMTA, SOVIN, in the order the wheel's name is tested against them.
const std::vector<Profile> &profiles();

} // namespace modelprofile

#endif
