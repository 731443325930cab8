#ifndef NOLKSET_PENDINGUPDATE_H
#define NOLKSET_PENDINGUPDATE_H

#include "firmware/updatelog.h"
#include "settings/settingssnapshot.h"

#include <QString>

#include <optional>

// What the window keeps of an upload until the wheel is back from it.
struct PendingUpdate
{
    updatelog::Entry entry;
    // The wheel's stored settings before the upload; empty when they could
    // not be read.
    std::optional<settingssnapshot::Settings> backup;
    // The server's "version" for a downloaded image; empty for a file.
    QString serverVersion;
    // Tells the wait for the wheel's return which upload it belongs to.
    int serial = 0;
    bool ended = false;
    bool lineWritten = false;
};

#endif
