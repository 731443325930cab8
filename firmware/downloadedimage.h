#ifndef NOLKSET_DOWNLOADEDIMAGE_H
#define NOLKSET_DOWNLOADEDIMAGE_H

#include <QByteArray>
#include <QString>

// Saves a downloaded firmware image for the manual update step: a fresh file
// of its own in the user's temporary folder, created exclusively so that a
// file or link someone else planted there is never opened, ending in ".bin".
// Returns the file's path, or an empty text when it could not be written
// completely (nothing is left behind then).
namespace downloadedimage {

QString save(const QByteArray &image);

} // namespace downloadedimage

#endif
