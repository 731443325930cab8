#ifndef NOLKSET_LEDTRANSFER_H
#define NOLKSET_LEDTRANSFER_H

#include "settings/ledimage.h"

// Sends an LED colour image to the open wheel.
namespace ledtransfer {

// Writes the four LED output reports, block 2 last. With store, the wheel is
// then told to keep them, but only when all four were taken: a store after a
// lost block would keep a half-old image in flash. True when every report
// sent was taken.
bool send(const ledimage::Image &image, bool store);

} // namespace ledtransfer

#endif
