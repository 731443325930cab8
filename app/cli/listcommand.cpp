#include "app/cli/commands.h"

#include "device/hidlink.h"
#include "device/listedwheel.h"
#include "settings/settingssnapshot.h"
#include "settings/storedsettings.h"

namespace cli {

// One line per wheel, tab-separated so scripts can cut it apart: product id,
// name and firmware version as the wheel answers them, device path. The
// window has one handle for one wheel: it answers for the wheel it holds, the
// first listed with its product id, and cannot open any other.
int listWheels(Streams streams, const Host &host)
{
    HidLink::init();
    HidLink &link = HidLink::instance();
    const std::vector<listedwheel::Wheel> wheels = listedwheel::all();
    if (wheels.empty())
        return fail(streams, NoWheel, QStringLiteral("no wheel is connected"));
    int answered = 0;
    bool windowWheelSeen = false;
    for (const listedwheel::Wheel &wheel : wheels) {
        const QString id = QString::number(wheel.productId, 16);
        const bool windowWheel =
            host.window && !windowWheelSeen && wheel.productId == host.productId;
        windowWheelSeen = windowWheelSeen || windowWheel;
        if (host.window && !windowWheel) {
            fail(streams, NoWheel,
                 QStringLiteral("the wheel %1 at %2 cannot be opened while the window holds "
                                "another; close the window to list it")
                     .arg(id, wheel.path));
            continue;
        }
        if (!host.window && !link.openPath(wheel.path.toLocal8Bit())) {
            fail(streams, NoWheel,
                 QStringLiteral("the wheel %1 at %2 cannot be opened").arg(id, wheel.path));
            continue;
        }
        const std::optional<QString> name = storedsettings::readName();
        const std::optional<QString> version = storedsettings::readFirmwareVersion();
        if (!host.window)
            link.close();
        if (!name || name->isEmpty() || !version) {
            fail(streams, NoWheel,
                 QStringLiteral("the wheel %1 at %2 did not answer").arg(id, wheel.path));
            continue;
        }
        ++answered;
        streams.out << id << '\t' << *name << '\t' << settingssnapshot::versionText(*version)
                    << '\t' << wheel.path << '\n';
    }
    streams.out.flush();
    return answered > 0 ? Success : NoWheel;
}

} // namespace cli
