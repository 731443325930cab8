#include "app/cli/commands.h"

#include "app/cli/wheelsession.h"
#include "settings/ledimage.h"
#include "settings/storedsettings.h"

#include <map>

namespace cli {

namespace {

QString sideText(const protocol::PaddleMode &mode)
{
    switch (mode.side) {
    case protocol::ClutchSide::Left:
        return QStringLiteral("left paddle, bite point %1%").arg(mode.bitePoint);
    case protocol::ClutchSide::Right:
        return QStringLiteral("right paddle, bite point %1%").arg(mode.bitePoint);
    case protocol::ClutchSide::None:
        break;
    }
    return QStringLiteral("none");
}

QString rangeText(const calibrationstore::AxisRange &range)
{
    return QStringLiteral("%1 to %2").arg(range.minimum).arg(range.maximum);
}

} // namespace

int showSettings(Streams streams, const Host &host)
{
    WheelSession session(host);
    if (const int opened = session.open(streams); opened != Success)
        return opened;
    const storedsettings::Reading reading = storedsettings::readAll(session.productId());
    if (!reading.settings)
        return fail(
            streams, TransferFailed,
            QStringLiteral("the wheel did not answer the query for %1").arg(reading.failed));
    const settingssnapshot::Settings &settings = *reading.settings;
    QTextStream &out = streams.out;
    const int width = settings.pulseWidth;
    out << "Model:                " << settings.model << '\n'
        << "Firmware version:     " << settings.firmwareVersion << '\n'
        << "Clutch paddle:        " << sideText(protocol::decodePaddleMode(settings.paddleMode))
        << '\n'
        << "Clutch:               " << (settings.clutchOn ? "on" : "off") << '\n'
        << "Encoder pulse width:  "
        << (width < 0 ? QStringLiteral("none") : QStringLiteral("%1 ms").arg(width)) << '\n'
        << "Axis calibration:     left " << rangeText(settings.axisL) << ", right "
        << rangeText(settings.axisR) << " (kept on this computer)\n"
        << "LED colours:\n";
    // A button with three slots shows the last of them, as in the window.
    const ledimage::Channels channels = ledimage::unpack(settings.leds);
    std::map<QString, QColor> shown;
    QStringList order;
    for (std::size_t slot = 0; slot < ledimage::ButtonSlotCount; ++slot) {
        const QString button = ledimage::slotButton(slot);
        if (!shown.count(button))
            order << button;
        shown[button] = ledimage::paintedColor(ledimage::slotColor(channels, slot));
    }
    for (const QString &button : order)
        out << "  " << button.leftJustified(6) << ' ' << shown[button].name() << '\n';
    out.flush();
    return Success;
}

} // namespace cli
