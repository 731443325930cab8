#ifndef NOLKSET_SETTINGSRESTORE_H
#define NOLKSET_SETTINGSRESTORE_H

#include "settings/settingssnapshot.h"

#include <QString>
#include <QStringList>

// Stores a settings document on the open wheel with the stored commands the
// window's save buttons use, then reads the wheel back and compares: the one
// restore of --restore and of the window after a firmware update.
namespace settingsrestore {

enum class Outcome {
    Restored,
    // A transfer, or this computer's calibration store, did not take a value;
    // the wheel may hold part of the document.
    NotStored,
    // The wheel did not answer the read back.
    NotReadBack,
    // The wheel read back other values than were stored.
    Mismatch,
};

struct Result
{
    Outcome outcome;
    // NotStored: what was not taken; NotReadBack: what did not answer.
    QString failed;
    // Mismatch: the settings that differ, by their document names.
    QStringList differing;
    settingssnapshot::Settings wanted;
};

// current is what the wheel holds now; only what the document names is sent.
Result restore(int productId, const settingssnapshot::Document &document,
               const settingssnapshot::Settings &current);

} // namespace settingsrestore

#endif
