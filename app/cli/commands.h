#ifndef NOLKSET_COMMANDS_H
#define NOLKSET_COMMANDS_H

#include "app/cli/commandline.h"

// One function per command; each returns its exit status.
namespace cli {

int listWheels(Streams streams);
int showSettings(Streams streams);
int backupSettings(Streams streams, const QString &file);
int restoreSettings(Streams streams, const QString &file);
int flashFirmware(Streams streams, const QString &file);
int showHistory(Streams streams);

// Writes "nolkset: " and the reason as one line on standard error.
int fail(Streams streams, int status, const QString &reason);

} // namespace cli

#endif
