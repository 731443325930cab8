#ifndef NOLKSET_COMMANDS_H
#define NOLKSET_COMMANDS_H

#include "app/cli/commandline.h"
#include "app/cli/request.h"
#include "settings/settingssnapshot.h"

// One function per command; each returns its exit status.
namespace cli {

// Where a command finds its wheel: the command line opens it itself, the
// running window lends the one it holds (productId 0 while it holds none)
// and keeps it open afterwards.
struct Host
{
    bool window = false;
    int productId = 0;
};

// The command the request names, with the wheel host gives. The same
// functions serve the terminal and the window, so both print the same.
int execute(const request::Request &request, Streams streams, const Host &host);

int listWheels(Streams streams, const Host &host);
int showSettings(Streams streams, const Host &host);
int backupSettings(Streams streams, const Host &host, const QString &file);
int restoreSettings(Streams streams, const Host &host, const QString &file);
int flashFirmware(Streams streams, const QString &file);
int listProfiles(Streams streams);
int saveProfile(Streams streams, const Host &host, const QString &name, bool replace);
int applyProfile(Streams streams, const Host &host, const QString &name);
int deleteProfile(Streams streams, const QString &name);

// Shared steps: every stored setting of the wheel, for a backup; the
// restore of a settings document, source naming it in messages.
int readForBackup(Streams streams, const Host &host, settingssnapshot::Settings &settings);
int restoreDocument(Streams streams, const Host &host, const QByteArray &json,
                    const QString &source);
int showHistory(Streams streams);

// Writes "nolkset: " and the reason as one line on standard error.
int fail(Streams streams, int status, const QString &reason);

} // namespace cli

#endif
