#include "settings/storedsettings.h"

#include "device/hidlink.h"
#include "settings/calibrationstore.h"

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

namespace {

// Reads one item of the connection into settings; what could not be read, or
// nothing.
std::optional<QString> readInto(Read read, settingssnapshot::Settings &settings)
{
    switch (read) {
    case Read::Leds:
        if (const auto leds = readLeds()) {
            settings.leds = *leds;
            return std::nullopt;
        }
        return QStringLiteral("the LED colours");
    case Read::PaddleMode:
        if (const auto mode = readPaddleMode()) {
            settings.paddleMode = *mode;
            return std::nullopt;
        }
        return QStringLiteral("the paddle mode");
    case Read::PulseWidth:
        if (const auto width = readPulseWidth()) {
            settings.pulseWidth = *width;
            return std::nullopt;
        }
        return QStringLiteral("the encoder pulse width");
    case Read::Clutch:
        if (const auto clutch = readClutch()) {
            settings.clutchOn = *clutch;
            return std::nullopt;
        }
        return QStringLiteral("the clutch state");
    case Read::Name: {
        const std::optional<QString> name = readName();
        if (!name)
            return QStringLiteral("the wheel's name");
        if (name->isEmpty())
            return QStringLiteral("the wheel's name (it gave none)");
        settings.model = settingssnapshot::modelOf(*name);
        return std::nullopt;
    }
    case Read::FirmwareVersion:
        if (const auto version = readFirmwareVersion()) {
            settings.firmwareVersion = settingssnapshot::versionText(*version);
            return std::nullopt;
        }
        return QStringLiteral("the firmware version");
    }
    return QString();
}

} // namespace

Reading readAll(int productId)
{
    settingssnapshot::Settings settings;
    for (const Read read : ConnectionReads) {
        if (std::optional<QString> failed = readInto(read, settings))
            return {std::nullopt, *failed};
    }
    settings.axisL = calibrationstore::load(productId, calibrationstore::AxisL);
    settings.axisR = calibrationstore::load(productId, calibrationstore::AxisR);
    return {settings, QString()};
}

int paddleModeValue(bool left, bool right, int bitePoint)
{
    if (left)
        return protocol::encodePaddleMode({protocol::ClutchSide::Left, bitePoint});
    if (right)
        return protocol::encodePaddleMode({protocol::ClutchSide::Right, bitePoint});
    return -1;
}

int storedPaddleMode(const QString &text)
{
    return text.toInt();
}

std::optional<protocol::Report> paddleWrite(std::uint8_t mode, int storedMode,
                                            const protocol::AxisRanges &ranges,
                                            const std::optional<protocol::AxisRanges> &given)
{
    if (mode == storedMode && given == ranges)
        return std::nullopt;
    return protocol::storedPaddleMode(mode, ranges);
}

std::optional<protocol::Report> clutchWrite(protocol::Report answer, bool clutchOn)
{
    if (protocol::clutchAnswer(answer) == clutchOn)
        return std::nullopt;
    protocol::makeStoredClutch(answer, clutchOn);
    return answer;
}

bool storePaddleMode(std::uint8_t mode, const protocol::AxisRanges &ranges)
{
    return HidLink::instance().sendFeature(protocol::storedPaddleMode(mode, ranges)) >= 0;
}

Save savePaddleMode(std::uint8_t mode, int lastStored, const protocol::AxisRanges &ranges,
                    const std::optional<protocol::AxisRanges> &given)
{
    const auto report = paddleWrite(mode, lastStored, ranges, given);
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
    const auto write = clutchWrite(*answer, on);
    return !write || HidLink::instance().sendFeature(*write) >= 0;
}

bool sendLeds(const ledimage::Image &image, bool store)
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

} // namespace storedsettings
