#include "emulator/bus.h"
#include "emulator/wheelcore.h"
#include "emulator/wheelemulator.h"

namespace emu {

namespace {

// Runs an access to the wheel under the bus lock, on the wheel as it is now,
// and wakes blocked readers in case the access sent them a report.
template <typename Access> auto locked(detail::WheelCore &core, Access access)
{
    detail::Bus &b = detail::bus();
    std::lock_guard<std::mutex> lock(b.mutex);
    core.advance(Clock::now());
    b.changed.notify_all();
    return access(core);
}

} // namespace

bool Settings::operator==(const Settings &other) const
{
    return paddleMode == other.paddleMode && axisMaxR == other.axisMaxR &&
           axisMaxL == other.axisMaxL && axisMinR == other.axisMinR && axisMinL == other.axisMinL &&
           pulseWidth == other.pulseWidth && clutch == other.clutch;
}

Wheel::Wheel(std::unique_ptr<detail::WheelCore> core)
    : d(std::move(core))
{
}

Wheel::~Wheel() = default;

detail::WheelCore &Wheel::core()
{
    return *d;
}

Model Wheel::model() const
{
    return d->model();
}

std::uint16_t Wheel::productId() const
{
    return d->productId();
}

void Wheel::unplug()
{
    locked(*d, [](detail::WheelCore &core) { core.unplug(); });
}

void Wheel::replug()
{
    locked(*d, [](detail::WheelCore &core) {
        if (core.isPlugged())
            return;
        core.replug();
        detail::bus().announce(core.productId(), Clock::now());
    });
}

bool Wheel::isPlugged() const
{
    return locked(*d, [](detail::WheelCore &core) { return core.isPlugged(); });
}

bool Wheel::isPresent() const
{
    return locked(*d, [](detail::WheelCore &core) { return core.isPresent(); });
}

void Wheel::setOpenable(bool openable)
{
    locked(*d, [openable](detail::WheelCore &core) { core.openable = openable; });
}

bool Wheel::isOpenable() const
{
    return locked(*d, [](detail::WheelCore &core) { return core.openable; });
}

std::string Wheel::name() const
{
    return locked(*d, [](detail::WheelCore &core) { return core.name; });
}

void Wheel::setName(const std::string &name)
{
    locked(*d, [&](detail::WheelCore &core) { core.name = name; });
}

std::string Wheel::buildDate() const
{
    return locked(*d, [](detail::WheelCore &core) { return core.buildDate; });
}

void Wheel::setBuildDate(const std::string &date)
{
    locked(*d, [&](detail::WheelCore &core) { core.buildDate = date; });
}

Settings Wheel::live() const
{
    return locked(*d, [](detail::WheelCore &core) { return core.live; });
}

Settings Wheel::stored() const
{
    return locked(*d, [](detail::WheelCore &core) { return core.stored; });
}

Settings Wheel::defaults() const
{
    return locked(*d, [](detail::WheelCore &core) { return core.defaults; });
}

void Wheel::setLive(const Settings &settings)
{
    locked(*d, [&](detail::WheelCore &core) { core.live = settings; });
}

void Wheel::setStored(const Settings &settings)
{
    locked(*d, [&](detail::WheelCore &core) { core.stored = settings; });
}

void Wheel::setDefaults(const Settings &settings)
{
    locked(*d, [&](detail::WheelCore &core) { core.defaults = settings; });
}

LedImage Wheel::liveLeds() const
{
    return locked(*d, [](detail::WheelCore &core) { return core.liveLeds; });
}

LedImage Wheel::storedLeds() const
{
    return locked(*d, [](detail::WheelCore &core) { return core.storedLeds; });
}

void Wheel::setLiveLeds(const LedImage &image)
{
    locked(*d, [&](detail::WheelCore &core) { core.liveLeds = image; });
}

void Wheel::setStoredLeds(const LedImage &image)
{
    locked(*d, [&](detail::WheelCore &core) { core.storedLeds = image; });
}

std::uint8_t Wheel::batteryCharge() const
{
    return locked(*d, [](detail::WheelCore &core) { return core.charge; });
}

std::uint16_t Wheel::supplyValue() const
{
    return locked(*d, [](detail::WheelCore &core) { return core.supply; });
}

void Wheel::setBattery(std::uint8_t charge, std::uint16_t supply)
{
    locked(*d, [&](detail::WheelCore &core) {
        core.charge = charge;
        core.supply = supply;
    });
}

bool Wheel::isTeaching(std::uint8_t parameter) const
{
    return locked(*d, [&](detail::WheelCore &core) { return core.isTeaching(parameter); });
}

int Wheel::timesTaught(std::uint8_t parameter) const
{
    return locked(*d, [&](detail::WheelCore &core) { return core.timesTaught(parameter); });
}

void Wheel::setRawAnswer(std::uint8_t item, std::uint8_t parameter, const Report &answer)
{
    locked(*d, [&](detail::WheelCore &core) { core.setRawAnswer(item, parameter, answer); });
}

void Wheel::clearRawAnswers()
{
    locked(*d, [](detail::WheelCore &core) { core.clearRawAnswers(); });
}

int Wheel::flashClears() const
{
    return locked(*d, [](detail::WheelCore &core) { return core.flashClears; });
}

void Wheel::setUpdateResetsSettings(bool resets)
{
    locked(*d, [&](detail::WheelCore &core) { core.updateResetsSettings = resets; });
}

void Wheel::queueInput(const InputReport &report)
{
    locked(*d, [&](detail::WheelCore &core) { core.queueInput(report); });
}

void Wheel::queueFrame(const std::vector<std::uint8_t> &frame)
{
    locked(*d, [&](detail::WheelCore &core) { core.queueFrame(frame); });
}

void Wheel::setHeld(int index, bool held)
{
    locked(*d, [&](detail::WheelCore &core) { core.setHeld(index, held); });
}

void Wheel::setAxes(std::uint16_t axisR, std::uint16_t axisL)
{
    locked(*d, [&](detail::WheelCore &core) { core.setAxes(axisR, axisL); });
}

void Wheel::turnEncoder(int index)
{
    locked(*d, [&](detail::WheelCore &core) { core.turnEncoder(index, Clock::now()); });
}

InputReport Wheel::inputState() const
{
    return locked(*d, [](detail::WheelCore &core) { return core.inputState(); });
}

std::size_t Wheel::pendingInputs() const
{
    return locked(*d, [](detail::WheelCore &core) { return core.pendingInputs(); });
}

FirmwareState Wheel::firmwareState() const
{
    return locked(*d, [](detail::WheelCore &core) { return core.firmwareState(); });
}

std::vector<std::uint8_t> Wheel::lastImage() const
{
    return locked(*d, [](detail::WheelCore &core) { return core.lastImage; });
}

int Wheel::imagesWritten() const
{
    return locked(*d, [](detail::WheelCore &core) { return core.imagesWritten; });
}

int Wheel::imagesRejected() const
{
    return locked(*d, [](detail::WheelCore &core) { return core.imagesRejected; });
}

} // namespace emu
