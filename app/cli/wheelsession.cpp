#include "app/cli/wheelsession.h"

#include "device/hidlink.h"
#include "device/listedwheel.h"
#include "device/protocol.h"

WheelSession::WheelSession(const cli::Host &host)
    : host(host)
{
    HidLink::init();
}

WheelSession::~WheelSession()
{
    if (!host.window)
        HidLink::instance().close();
}

int WheelSession::open(cli::Streams streams)
{
    if (host.window) {
        openedId = host.productId;
        return openedId != 0
                   ? cli::Success
                   : cli::fail(streams, cli::NoWheel, QStringLiteral("no wheel is connected"));
    }
    HidLink &link = HidLink::instance();
    for (const std::uint16_t id : protocol::ProductIds) {
        if (link.open(protocol::VendorId, id)) {
            openedId = id;
            return cli::Success;
        }
    }
    if (const std::optional<listedwheel::Wheel> listed = listedwheel::first())
        return cli::fail(streams, cli::NoWheel,
                         QStringLiteral("the wheel at %1 cannot be opened (no permission, or "
                                        "another program holds it)")
                             .arg(listed->path));
    return cli::fail(streams, cli::NoWheel, QStringLiteral("no wheel is connected"));
}
