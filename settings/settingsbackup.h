#ifndef NOLKSET_SETTINGSBACKUP_H
#define NOLKSET_SETTINGSBACKUP_H

#include "settings/settingssnapshot.h"

#include <QDateTime>
#include <QString>

// The backups the window takes of a wheel's stored settings before a firmware
// update: backups/<model>-<yyyyMMdd-HHmmss>.json (UTC) in the user's
// application data folder, each a settings document as --backup writes it.
namespace settingsbackup {

// Older backups of a model are removed.
constexpr int KeptPerModel = 20;

QString defaultFolder();

// The file name for a backup; a model name the wheel reported that holds
// anything but letters and digits has those characters replaced by '_'.
QString fileName(const QString &model, const QDateTime &time);

// Writes the backup into folder (made when missing) through a save file and
// then keeps the newest KeptPerModel of the model. Returns the file's path,
// or an empty text when it could not be written.
QString save(const QString &folder, const settingssnapshot::Settings &settings,
             const QDateTime &time);

} // namespace settingsbackup

#endif
