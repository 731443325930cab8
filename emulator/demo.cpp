// nolkset-emulated: the tool's own main on one emulated wheel that keeps
// pressing its buttons, turning its encoders, sweeping its paddles and
// draining its battery, so the window has something to show. SIGUSR1 pulls
// its cable, and the next one plugs it in again: the waiting window connects
// the moment it is back.

#include "emulator/wheelemulator.h"

#include <QByteArray>
#include <QtGlobal>

#include <array>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <csignal>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>

namespace {

using namespace std::chrono_literals;

constexpr auto Step = 40ms;
constexpr int StepsPerButton = 10;
constexpr int StepsPerDetent = 15;
constexpr int StepsPerPercent = 500;
constexpr int AxisTop = 4095;
constexpr int AxisStride = 64;
// What the wheel reports while its USB cable powers it.
constexpr std::uint16_t UsbSupply = 5000;

// Plain buttons and switches, pressed one after another.
constexpr std::array<int, 21> Buttons{0,  6,  7,  8,  9,  10, 11, 12, 15, 20, 21,
                                      28, 29, 32, 38, 39, 40, 41, 42, 43, 44};
// One input of each of the ten encoders, turned one detent at a time.
constexpr std::array<int, 10> Encoders{2, 4, 13, 16, 18, 24, 26, 34, 36, 45};

// Cable pulls and plugs asked for by SIGUSR1, not yet done.
std::atomic<int> cableRequests{0};
static_assert(std::atomic<int>::is_always_lock_free,
              "a signal handler may only touch lock-free atomics");

void requestCable(int)
{
    cableRequests.fetch_add(1);
}

emu::Model modelFromEnvironment()
{
    const QByteArray name = qgetenv("NOLKSET_EMULATED_MODEL");
    if (name.isEmpty() || name == "RALKA")
        return emu::Model::Ralka;
    if (name == "DEMTA")
        return emu::Model::Demta;
    if (name == "SOVIN")
        return emu::Model::Sovin;
    qWarning("NOLKSET_EMULATED_MODEL=%s is no model (RALKA, DEMTA or SOVIN); using RALKA",
             name.constData());
    return emu::Model::Ralka;
}

// A triangle wave between 0 and AxisTop.
std::uint16_t sweep(long long step, long long offset)
{
    const long long position = ((step + offset) * AxisStride) % (2 * AxisTop);
    return static_cast<std::uint16_t>(position <= AxisTop ? position : 2 * AxisTop - position);
}

std::shared_ptr<emu::Wheel> plugDemoWheel()
{
    emu::setLogEnabled(false);
    auto wheel = emu::plug(modelFromEnvironment(), 0x2007);
    // To show the restore after an update that resets the wheel's settings.
    wheel->setUpdateResetsSettings(qEnvironmentVariableIsSet("NOLKSET_EMULATED_UPDATE_RESETS"));
    return wheel;
}

class Demo
{
public:
    Demo()
        : wheel(plugDemoWheel())
        , activity([this] { run(); })
    {
#ifdef SIGUSR1
        std::signal(SIGUSR1, requestCable);
#endif
    }

    ~Demo()
    {
        {
            std::lock_guard<std::mutex> lock(mutex);
            stopping = true;
        }
        wake.notify_all();
        activity.join();
    }

    Demo(const Demo &) = delete;
    Demo &operator=(const Demo &) = delete;

private:
    void run()
    {
        long long step = 0;
        std::size_t button = 0;
        std::size_t encoder = 0;
        std::unique_lock<std::mutex> lock(mutex);
        while (!wake.wait_for(lock, Step, [this] { return stopping; })) {
            ++step;
            for (int request = cableRequests.exchange(0); request > 0; --request) {
                if (wheel->isPlugged())
                    wheel->unplug();
                else
                    wheel->replug();
            }
            wheel->setAxes(sweep(step, 0), sweep(step, AxisTop / AxisStride));
            if (step % StepsPerButton == 0) {
                wheel->setHeld(Buttons[button], false);
                button = (button + 1) % Buttons.size();
                wheel->setHeld(Buttons[button], true);
            }
            if (step % StepsPerDetent == 0) {
                wheel->turnEncoder(Encoders[encoder]);
                encoder = (encoder + 1) % Encoders.size();
            }
            if (step % StepsPerPercent == 0)
                stepBattery();
        }
    }

    // One percent less per step; at 5 % the cable goes in for one step,
    // which charges the battery full, and comes out again.
    void stepBattery()
    {
        const std::uint8_t charge = wheel->batteryCharge();
        if (supplyOffCable) {
            wheel->setBattery(100, *supplyOffCable);
            supplyOffCable.reset();
        } else if (charge > 5) {
            wheel->setBattery(static_cast<std::uint8_t>(charge - 1), wheel->supplyValue());
        } else {
            supplyOffCable = wheel->supplyValue();
            wheel->setBattery(charge, UsbSupply);
        }
    }

    std::shared_ptr<emu::Wheel> wheel;
    std::optional<std::uint16_t> supplyOffCable;
    std::mutex mutex;
    std::condition_variable wake;
    bool stopping = false;
    std::thread activity;
};

const Demo demo;

} // namespace
