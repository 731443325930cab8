#ifndef NOLKSET_FIRMWAREFILE_H
#define NOLKSET_FIRMWAREFILE_H

#include <QString>

namespace firmwarefile {

// A file the manual update takes as an image: its name ends in ".bin"
// (case-sensitive), and it exists, is readable, not empty and at most 229,376
// bytes. A missing, empty or unreadable file would otherwise end in silence or
// in an "update" with no image at all.
bool isFirmwareFile(const QString &path);

} // namespace firmwarefile

#endif
