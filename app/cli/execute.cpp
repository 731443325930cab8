#include "app/cli/commands.h"

namespace cli {

int execute(const request::Request &request, Streams streams, const Host &host)
{
    const QString &name = request.command;
    const QString &argument = request.argument;
    if (name == QLatin1String("list"))
        return listWheels(streams, host);
    if (name == QLatin1String("show"))
        return showSettings(streams, host);
    if (name == QLatin1String("backup"))
        return backupSettings(streams, host, argument);
    if (name == QLatin1String("restore"))
        return restoreSettings(streams, host, argument);
    if (name == QLatin1String("profiles"))
        return listProfiles(streams);
    if (name == QLatin1String("save-profile"))
        return saveProfile(streams, host, argument, request.force);
    if (name == QLatin1String("apply-profile"))
        return applyProfile(streams, host, argument);
    if (name == QLatin1String("delete-profile"))
        return deleteProfile(streams, argument);
    return fail(streams, Usage, QStringLiteral("no such command: %1").arg(name));
}

} // namespace cli
