#include "app/cli/commands.h"

#include "settings/profilestore.h"

namespace cli {

namespace {

// A bad name is refused as the options are: no file is touched.
bool checkName(Streams streams, const QString &name, int &status)
{
    if (profilestore::isValidName(name))
        return true;
    status = fail(streams, Usage, profilestore::nameRefusal(name));
    return false;
}

} // namespace

// One line per profile, tab-separated: name, model, date saved.
int listProfiles(Streams streams)
{
    for (const profilestore::Entry &entry : profilestore::list())
        streams.out << entry.name << '\t'
                    << (entry.model.isEmpty() ? QStringLiteral("(unreadable)") : entry.model)
                    << '\t' << entry.saved.toString(QStringLiteral("yyyy-MM-dd HH:mm")) << '\n';
    streams.out.flush();
    return Success;
}

int saveProfile(Streams streams, const Host &host, const QString &name, bool replace)
{
    int status = Success;
    if (!checkName(streams, name, status))
        return status;
    if (!replace && profilestore::load(name).json)
        return fail(streams, Usage,
                    QStringLiteral("the profile \"%1\" exists; --force replaces it").arg(name));
    settingssnapshot::Settings settings;
    if (const int read = readForBackup(streams, host, settings); read != Success)
        return read;
    const profilestore::SaveResult saved =
        profilestore::save(name, settingssnapshot::encode(settings), replace);
    if (saved.saved != profilestore::Saved::Written)
        return fail(streams, saved.saved == profilestore::Saved::Exists ? Usage : Refused,
                    saved.error);
    streams.out << "Saved the settings of the " << settings.model << " as the profile \"" << name
                << "\"\n";
    streams.out.flush();
    return Success;
}

int applyProfile(Streams streams, const Host &host, const QString &name)
{
    int status = Success;
    if (!checkName(streams, name, status))
        return status;
    const profilestore::Loaded loaded = profilestore::load(name);
    if (!loaded.json)
        return fail(streams, Refused, loaded.error + QStringLiteral("; nothing was sent"));
    return restoreDocument(streams, host, *loaded.json,
                           QStringLiteral("the profile \"%1\"").arg(name));
}

int deleteProfile(Streams streams, const QString &name)
{
    int status = Success;
    if (!checkName(streams, name, status))
        return status;
    if (const QString error = profilestore::remove(name); !error.isEmpty())
        return fail(streams, Refused, error);
    streams.out << "Deleted the profile \"" << name << "\"\n";
    streams.out.flush();
    return Success;
}

} // namespace cli
