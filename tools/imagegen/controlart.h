#ifndef NOLKSET_IMAGEGEN_CONTROLART_H
#define NOLKSET_IMAGEGEN_CONTROLART_H

#include "wheelcontrols.h"

#include <vector>

class QPainter;

// How each kind of control looks. Everything inside controlRadius() of a
// control's centre is drawn in strong colours only (see palette.h).
void drawControl(QPainter &painter, const WheelControl &control);

// Dark strips the LEDs sit in; drawn on the plate before the LEDs.
void drawLedHousings(QPainter &painter, const std::vector<WheelControl> &controls);

#endif
