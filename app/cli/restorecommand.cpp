#include "app/cli/commands.h"

#include "app/cli/wheelsession.h"
#include "settings/settingsrestore.h"
#include "settings/settingssnapshot.h"
#include "settings/storedsettings.h"

#include <QFile>

namespace cli {

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

    const settingsrestore::Result restored =
        settingsrestore::restore(session.productId(), document, *current.settings);
    switch (restored.outcome) {
    case settingsrestore::Outcome::NotStored:
        return fail(streams, TransferFailed,
                    QStringLiteral("%1 was not stored; the wheel may hold part of the backup")
                        .arg(restored.failed));
    case settingsrestore::Outcome::NotReadBack:
        return fail(streams, TransferFailed,
                    QStringLiteral("the wheel did not answer the query for %1 when read back")
                        .arg(restored.failed));
    case settingsrestore::Outcome::Mismatch:
        return fail(streams, Mismatch,
                    QStringLiteral("the wheel read back other values for %1")
                        .arg(restored.differing.join(QStringLiteral(", "))));
    case settingsrestore::Outcome::Restored:
        break;
    }
    streams.out << "Restored the settings of " << source << " on the " << restored.wanted.model
                << '\n';
    streams.out.flush();
    return Success;
}

} // namespace cli
