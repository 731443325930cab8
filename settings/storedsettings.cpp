#include "settings/storedsettings.h"

#include "device/hidlink.h"
#include "settings/calibrationstore.h"
#include "settings/ledtransfer.h"
#include "settings/paddlesave.h"

namespace storedsettings {

std::optional<protocol::Report> ask(const protocol::Report &request)
{
    protocol::Report answer = request;
    if (HidLink::instance().query(answer) < 0 || !protocol::echoes(request, answer))
        return std::nullopt;
    return answer;
}

std::optional<ledimage::Image> readLeds()
{
    ledimage::Image image{};
    for (std::size_t block = 0; block < protocol::LedBlockCount; ++block) {
        const auto answer =
            ask(protocol::query(static_cast<std::uint8_t>(protocol::item::LedBlock0 + block)));
        if (!answer)
            return std::nullopt;
        ledimage::setImageBlock(image, block, protocol::ledBlockAnswer(*answer));
    }
    return image;
}

std::optional<std::uint8_t> readPaddleMode()
{
    const auto answer = ask(protocol::query(protocol::item::PaddleMode));
    if (!answer)
        return std::nullopt;
    return protocol::paddleModeAnswer(*answer);
}

std::optional<std::int32_t> readPulseWidth()
{
    const auto answer = ask(protocol::parameterQuery(protocol::param::PulseWidth));
    if (!answer)
        return std::nullopt;
    return protocol::pulseWidthAnswer(*answer);
}

std::optional<bool> readClutch()
{
    const auto answer = ask(protocol::parameterQuery(protocol::param::ClutchEnable));
    if (!answer)
        return std::nullopt;
    return protocol::clutchAnswer(*answer);
}

std::optional<QString> readName()
{
    const auto answer = ask(protocol::query(protocol::item::DeviceName));
    if (!answer)
        return std::nullopt;
    return protocol::deviceNameAnswer(*answer).value_or(QString());
}

std::optional<QString> readFirmwareVersion()
{
    const auto answer = ask(protocol::query(protocol::item::FirmwareVersion));
    if (!answer)
        return std::nullopt;
    return protocol::firmwareVersionAnswer(*answer);
}

Reading readAll(int productId)
{
    // The window's queries, in the order of its connection.
    settingssnapshot::Settings settings;
    const auto leds = readLeds();
    if (!leds)
        return {std::nullopt, QStringLiteral("the LED colours")};
    settings.leds = *leds;
    const auto mode = readPaddleMode();
    if (!mode)
        return {std::nullopt, QStringLiteral("the paddle mode")};
    settings.paddleMode = *mode;
    const auto width = readPulseWidth();
    if (!width)
        return {std::nullopt, QStringLiteral("the encoder pulse width")};
    settings.pulseWidth = *width;
    const auto clutch = readClutch();
    if (!clutch)
        return {std::nullopt, QStringLiteral("the clutch state")};
    settings.clutchOn = *clutch;
    const std::optional<QString> name = readName();
    if (!name)
        return {std::nullopt, QStringLiteral("the wheel's name")};
    if (name->isEmpty())
        return {std::nullopt, QStringLiteral("the wheel's name (it gave none)")};
    settings.model = settingssnapshot::modelOf(*name);
    const std::optional<QString> version = readFirmwareVersion();
    if (!version)
        return {std::nullopt, QStringLiteral("the firmware version")};
    settings.firmwareVersion = settingssnapshot::versionText(*version);
    settings.axisL = calibrationstore::load(productId, calibrationstore::AxisL);
    settings.axisR = calibrationstore::load(productId, calibrationstore::AxisR);
    return {settings, QString()};
}

bool storePaddleMode(std::uint8_t mode, const protocol::AxisRanges &ranges)
{
    return HidLink::instance().sendFeature(protocol::storedPaddleMode(mode, ranges)) >= 0;
}

Save savePaddleMode(std::uint8_t mode, int lastStored, const protocol::AxisRanges &ranges,
                    const std::optional<protocol::AxisRanges> &given)
{
    const auto report = paddlesave::paddleWrite(mode, lastStored, ranges, given);
    if (!report)
        return Save::Unchanged;
    return HidLink::instance().sendFeature(*report) < 0 ? Save::Failed : Save::Stored;
}

protocol::AxisRanges axisRanges(const calibrationstore::AxisRange &left,
                                const calibrationstore::AxisRange &right)
{
    return {right.maximum, left.maximum, right.minimum, left.minimum};
}

Save savePulseWidth(std::int32_t milliseconds, std::int32_t lastStored)
{
    const auto report = protocol::pulseWidthSave(milliseconds, lastStored);
    if (!report)
        return Save::Unchanged;
    return HidLink::instance().sendFeature(*report) < 0 ? Save::Failed : Save::Stored;
}

bool storeClutch(bool on)
{
    // Without an answer the wheel's state is unknown, and the write would
    // carry bytes the wheel never gave.
    const auto answer = ask(protocol::parameterQuery(protocol::param::ClutchEnable));
    if (!answer)
        return false;
    const auto write = paddlesave::clutchWrite(*answer, on);
    return !write || HidLink::instance().sendFeature(*write) >= 0;
}

bool storeLeds(const ledimage::Image &image)
{
    return ledtransfer::send(image, true);
}

} // namespace storedsettings
