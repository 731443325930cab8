#include "app/cli/commands.h"

#include "app/cli/wheelsession.h"
#include "settings/calibrationstore.h"
#include "settings/settingssnapshot.h"
#include "settings/storedsettings.h"

#include <QFile>

namespace cli {

namespace {

// Stores what the document names, each with the stored command the window
// uses; returns what the wheel or the calibration store did not take.
QString store(int productId, const settingssnapshot::Document &document,
              const settingssnapshot::Settings &current, const settingssnapshot::Settings &wanted)
{
    // This computer's calibration goes with the wheel's stored paddle report:
    // the window sends it with every later paddle save.
    if (document.axisL && !calibrationstore::save(productId, calibrationstore::AxisL, wanted.axisL))
        return QStringLiteral("the left axis calibration");
    if (document.axisR && !calibrationstore::save(productId, calibrationstore::AxisR, wanted.axisR))
        return QStringLiteral("the right axis calibration");
    // The wheel's own copy of the axis ranges cannot be read, so the report
    // goes out whenever the document names any part of it.
    if (document.namesPaddleReport() &&
        !storedsettings::storePaddleMode(wanted.paddleMode,
                                         storedsettings::axisRanges(wanted.axisL, wanted.axisR)))
        return QStringLiteral("the paddle mode");
    if (document.pulseWidth &&
        storedsettings::savePulseWidth(wanted.pulseWidth, current.pulseWidth) ==
            storedsettings::Save::Failed)
        return QStringLiteral("the encoder pulse width");
    if (document.clutchOn && !storedsettings::storeClutch(wanted.clutchOn))
        return QStringLiteral("the clutch state");
    if (document.leds && wanted.leds != current.leds &&
        !storedsettings::sendLeds(wanted.leds, true))
        return QStringLiteral("the LED colours");
    return QString();
}

} // namespace

int restoreSettings(Streams streams, const Host &host, const QString &file)
{
    // The whole document is checked before the wheel is even opened.
    QFile input(file);
    if (!input.open(QIODevice::ReadOnly))
        return fail(streams, Refused,
                    QStringLiteral("cannot read %1: %2").arg(file, input.errorString()));
    const QByteArray json = input.readAll();
    if (input.error() != QFileDevice::NoError)
        return fail(streams, Refused,
                    QStringLiteral("cannot read %1: %2").arg(file, input.errorString()));
    return restoreDocument(streams, host, json, file);
}

int restoreDocument(Streams streams, const Host &host, const QByteArray &json,
                    const QString &source)
{
    const settingssnapshot::Decoded decoded = settingssnapshot::decode(json);
    if (!decoded.document)
        return fail(streams, Refused,
                    QStringLiteral("%1: %2; nothing was sent").arg(source, decoded.error));
    const settingssnapshot::Document &document = *decoded.document;

    WheelSession session(host);
    if (const int opened = session.open(streams); opened != Success)
        return opened;
    const storedsettings::Reading current = storedsettings::readAll(session.productId());
    if (!current.settings)
        return fail(streams, TransferFailed,
                    QStringLiteral("the wheel did not answer the query for %1; nothing was sent")
                        .arg(current.failed));
    if (document.model != current.settings->model)
        return fail(streams, Refused,
                    QStringLiteral("%1 was made on a %2, the connected wheel is a %3; nothing "
                                   "was sent")
                        .arg(source, document.model, current.settings->model));

    const settingssnapshot::Settings wanted = settingssnapshot::apply(*current.settings, document);
    const QString notTaken = store(session.productId(), document, *current.settings, wanted);
    if (!notTaken.isEmpty())
        return fail(streams, TransferFailed,
                    QStringLiteral("%1 was not stored; the wheel may hold part of the backup")
                        .arg(notTaken));

    const storedsettings::Reading readBack = storedsettings::readAll(session.productId());
    if (!readBack.settings)
        return fail(streams, TransferFailed,
                    QStringLiteral("the wheel did not answer the query for %1 when read back")
                        .arg(readBack.failed));
    const QStringList differing = settingssnapshot::differences(wanted, *readBack.settings);
    if (!differing.isEmpty())
        return fail(streams, Mismatch,
                    QStringLiteral("the wheel read back other values for %1")
                        .arg(differing.join(QStringLiteral(", "))));
    streams.out << "Restored the settings of " << source << " on the " << wanted.model << '\n';
    streams.out.flush();
    return Success;
}

} // namespace cli
