#ifndef NOLKSET_BATTERYLINE_H
#define NOLKSET_BATTERYLINE_H

#include "device/protocol.h"

#include <QString>

namespace batteryline {

// The battery line for one reading of the wheel: its charge exactly as it
// reports it (no clamping), or USB when the supply value says the cable
// powers it.
QString text(const protocol::BatteryState &state);

} // namespace batteryline

#endif
