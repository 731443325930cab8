#ifndef NOLKSET_IMAGEGEN_WHEELPICTURE_H
#define NOLKSET_IMAGEGEN_WHEELPICTURE_H

#include "wheelcontrols.h"

#include <QImage>

#include <vector>

namespace modelprofile {
struct Profile;
}

// The wheel of one model seen from the driver's seat, with every given
// control drawn in place.
QImage drawWheelPicture(const modelprofile::Profile &profile,
                        const std::vector<WheelControl> &controls);

#endif
