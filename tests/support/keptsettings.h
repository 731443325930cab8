#ifndef NOLKSET_KEPTSETTINGS_H
#define NOLKSET_KEPTSETTINGS_H

#include "emulator/wheelemulator.h"
#include "settings/calibrationstore.h"
#include "transfers.h"

#include <memory>

// A wheel holding settings a backup, a profile or an update must bring back.
namespace keptsettings {

// None of them the wheel's defaults, the axis ranges as this computer keeps
// them: paddle mode 131 (right paddle, bite point 30 %), axis R 200 to 4000,
// L 300 to 3900, pulse width 180, clutch 255 (off).
inline emu::Settings kept()
{
    return {131, 4000, 3900, 200, 300, 180, 255};
}

inline emu::LedImage pattern()
{
    emu::LedImage image{};
    for (std::size_t i = 0; i < image.size(); ++i)
        image[i] = static_cast<std::uint8_t>(i * 37);
    return image;
}

inline std::shared_ptr<emu::Wheel> plugKept(emu::Model model)
{
    auto wheel = emu::plug(model, 0x2007);
    wheel->setStored(kept());
    wheel->setStoredLeds(pattern());
    calibrationstore::save(0x2007, calibrationstore::AxisL, {300, 3900});
    calibrationstore::save(0x2007, calibrationstore::AxisR, {200, 4000});
    return wheel;
}

// What the program sent that is no query: the writes a refusal must not make.
inline QByteArrayList writes()
{
    QByteArrayList found;
    for (const QByteArray &sent : sentReports()) {
        if (!sent.startsWith("02 0b"))
            found << sent;
    }
    return found;
}

} // namespace keptsettings

#endif
