#ifndef NOLKSET_LISTEDWHEEL_H
#define NOLKSET_LISTEDWHEEL_H

#include <QString>

#include <cstdint>
#include <optional>
#include <vector>

namespace listedwheel {

// A wheel that hidapi lists on the bus, whether or not it can be opened.
struct Wheel
{
    // The device node (/dev/hidrawN on Linux), as hidapi names it.
    QString path;
    std::uint16_t productId;
};

// The listed wheel of the maker's vendor id whose product id comes first
// among the wheel's ids, the one a search tries to open first; nothing when
// none is listed.
std::optional<Wheel> first();
// Every listed wheel of the maker's vendor id and the wheels' product ids, in
// the order hidapi lists them.
std::vector<Wheel> all();

} // namespace listedwheel

#endif
