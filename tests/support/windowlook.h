#ifndef NOLKSET_WINDOWLOOK_H
#define NOLKSET_WINDOWLOOK_H

#include <QString>

class QWidget;

// What the user sees of the connection, read from the window's widgets.
namespace windowlook {

// Heading "WAITING FOR DEVICE...", pages 1 to 4 disabled, lamp on, ABOUT shown.
bool isWaiting(QWidget &window);
// Heading "NOLK CONTROLS " + name, pages enabled, lamp off, INPUTS shown.
bool isConnected(QWidget &window);
// The colour a button of the LED page shows, as "rgb(r,g,b)".
QString buttonColor(QWidget &window, const QString &name);
// For failure messages: heading, enabled pages, lamp and page.
QString describe(QWidget &window);

} // namespace windowlook

#endif
