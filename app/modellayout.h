#ifndef NOLKSET_MODELLAYOUT_H
#define NOLKSET_MODELLAYOUT_H

#include "device/modelprofile.h"

#include <QString>

#include <vector>

// How the window shows each model: its picture, where the indicators and LED
// buttons go, and which LED page parts it has.
namespace modellayout {

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

struct Layout
{
    QString pictureFile;    // model picture under ":/img/"
    QString mainStyleSheet; // for lbMain
    QString ledStyleSheet;  // for lbMainRGB; empty: lbMainRGB is left as it is
    bool ledPageEnabled;    // pbS2
    LedDotVisibility ledDots;
    std::vector<WidgetPosition> inputPositions; // page1; absent widgets keep the form's place
    std::vector<WidgetPosition> ledPositions;   // page2; empty: nothing is moved
};

// The layout of one of modelprofile::profiles().
const Layout &of(const modelprofile::Profile &profile);

} // namespace modellayout

#endif
