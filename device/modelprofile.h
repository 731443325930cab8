#ifndef NOLKSET_MODELPROFILE_H
#define NOLKSET_MODELPROFILE_H

#include <QString>

#include <vector>

// Where one widget of a page goes for a model: its top-left corner in the page.
struct WidgetPosition
{
    QString objectName;
    int x;
    int y;
};

// What a model does with the small LED dots ("pbT...") of the LED page.
enum class LedDotVisibility {
    Hidden,
    Shown,
    Untouched,
};

// Everything the window changes when a wheel of one model connects.
struct ModelProfile
{
    QString modelName;       // searched in the name the wheel reports
    QString updateDirectory; // appended to the update address, ends in '/'
    QString pictureFile;     // model picture under ":/img/"
    QString mainStyleSheet;  // for lbMain
    QString ledStyleSheet;   // for lbMainRGB; empty: lbMainRGB is left as it is
    bool ledPageEnabled;     // pbS2
    LedDotVisibility ledDots;
    bool extraShifterOption; // cbShifter shown and taken from "EXTRA_SHIFTER"
    bool hasBattery;
    bool hasBluetooth;
    std::vector<WidgetPosition> inputPositions; // page1; absent widgets keep the form's place
    std::vector<WidgetPosition> ledPositions;   // page2; empty: nothing is moved

    // The name test is a case-sensitive substring test, as the wheels report
    // their model in upper case somewhere inside a longer product name.
    bool matches(const QString &deviceName) const;
};

// RALKA, DEMTA, SOVIN, in the order the wheel's name is tested against them.
const std::vector<ModelProfile> &modelProfiles();

#endif
