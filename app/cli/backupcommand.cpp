#include "app/cli/commands.h"

#include "app/cli/wheelsession.h"
#include "settings/storedsettings.h"

#include <QSaveFile>

namespace cli {

int readForBackup(Streams streams, const Host &host, settingssnapshot::Settings &settings)
{
    WheelSession session(host);
    if (const int opened = session.open(streams); opened != Success)
        return opened;
    const storedsettings::Reading reading = storedsettings::readAll(session.productId());
    if (!reading.settings)
        return fail(streams, TransferFailed,
                    QStringLiteral("the wheel did not answer the query for %1; nothing was saved")
                        .arg(reading.failed));
    settings = *reading.settings;
    if (settings.pulseWidth < settingssnapshot::MinPulseWidth ||
        settings.pulseWidth > settingssnapshot::MaxPulseWidth)
        streams.err << "nolkset: the wheel's encoder pulse width " << settings.pulseWidth
                    << " lies outside " << settingssnapshot::MinPulseWidth << " to "
                    << settingssnapshot::MaxPulseWidth
                    << " ms; the backup leaves it out, so a restore keeps the wheel's own\n";
    return Success;
}

int backupSettings(Streams streams, const Host &host, const QString &file)
{
    settingssnapshot::Settings settings;
    if (const int read = readForBackup(streams, host, settings); read != Success)
        return read;
    // Written in full or not at all: an old backup stays whole when this one
    // cannot be finished.
    QSaveFile saved(file);
    const QByteArray json = settingssnapshot::encode(settings);
    if (!saved.open(QIODevice::WriteOnly) || saved.write(json) != json.size() || !saved.commit())
        return fail(streams, Refused,
                    QStringLiteral("cannot write %1: %2").arg(file, saved.errorString()));
    streams.out << "Saved the settings of the " << settings.model << " to " << file << '\n';
    streams.out.flush();
    return Success;
}

} // namespace cli
