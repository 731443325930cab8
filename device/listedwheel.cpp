#include "device/listedwheel.h"

#include "device/protocol.h"

#include <hidapi.h>

#include <algorithm>

namespace listedwheel {

std::optional<Wheel> first()
{
    const auto &ids = protocol::ProductIds;
    std::optional<Wheel> found;
    std::ptrdiff_t firstRank = static_cast<std::ptrdiff_t>(ids.size());
    hid_device_info *listed = hid_enumerate(protocol::VendorId, 0);
    for (const hid_device_info *info = listed; info != nullptr; info = info->next) {
        const std::ptrdiff_t rank =
            std::find(ids.begin(), ids.end(), info->product_id) - ids.begin();
        if (rank < firstRank && info->path != nullptr) {
            firstRank = rank;
            found = Wheel{QString::fromLocal8Bit(info->path), info->product_id};
        }
    }
    hid_free_enumeration(listed);
    return found;
}

std::vector<Wheel> all()
{
    const auto &ids = protocol::ProductIds;
    std::vector<Wheel> wheels;
    hid_device_info *listed = hid_enumerate(protocol::VendorId, 0);
    for (const hid_device_info *info = listed; info != nullptr; info = info->next) {
        if (info->path != nullptr &&
            std::find(ids.begin(), ids.end(), info->product_id) != ids.end())
            wheels.push_back(Wheel{QString::fromLocal8Bit(info->path), info->product_id});
    }
    hid_free_enumeration(listed);
    return wheels;
}

} // namespace listedwheel
