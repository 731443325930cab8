// The device watcher of the tests, the benchmarks and the demo: the emulated
// system's device events, as udev or Windows would send them.
#include "device/devicewatcher.h"
#include "emulator/wheelemulator.h"

#include <QMetaObject>
#include <QTimer>

#include <chrono>

namespace {

class EmulatedWatcher : public DeviceWatcher
{
public:
    explicit EmulatedWatcher(QObject *parent)
        : DeviceWatcher(parent)
    {
        // Heard under the emulator's lock, on whichever thread plugged the
        // wheel: handed on to this watcher's thread, where it is told.
        listener =
            emu::addArrivalListener([this](std::uint16_t productId, emu::Clock::time_point at) {
                QMetaObject::invokeMethod(
                    this, [this, productId, at] { announce(productId, at); }, Qt::QueuedConnection);
            });
    }

    ~EmulatedWatcher() override { emu::removeArrivalListener(listener); }

    EmulatedWatcher(const EmulatedWatcher &) = delete;
    EmulatedWatcher &operator=(const EmulatedWatcher &) = delete;

private:
    // A wheel back from a firmware restart is told when it is back.
    void announce(std::uint16_t productId, emu::Clock::time_point at)
    {
        const auto wait = std::chrono::ceil<std::chrono::milliseconds>(at - emu::Clock::now());
        if (wait.count() <= 0) {
            emit wheelArrived(productId);
            return;
        }
        QTimer::singleShot(wait, Qt::PreciseTimer, this,
                           [this, productId] { emit wheelArrived(productId); });
    }

    int listener = 0;
};

} // namespace

DeviceWatcher *DeviceWatcher::create(QObject *parent)
{
    if (!emu::deviceEventsAvailable()) {
        reportUnavailable(QStringLiteral("the emulated system has none"));
        return new DeviceWatcher(parent);
    }
    return new EmulatedWatcher(parent);
}
