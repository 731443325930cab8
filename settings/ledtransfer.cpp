#include "settings/ledtransfer.h"

#include "device/hidlink.h"

namespace ledtransfer {

bool send(const ledimage::Image &image, bool store)
{
    HidLink &link = HidLink::instance();
    bool taken = true;
    for (const protocol::Report &report : ledimage::outputReports(image)) {
        if (link.write(report) < 0)
            taken = false;
    }
    if (store && taken)
        taken = link.sendFeature(protocol::ledStore()) >= 0;
    return taken;
}

} // namespace ledtransfer
