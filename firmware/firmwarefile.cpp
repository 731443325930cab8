#include "firmware/firmwarefile.h"

#include "device/protocol.h"

#include <QFile>
#include <QFileInfo>

namespace firmwarefile {

bool isFirmwareFile(const QString &path)
{
    if (!path.endsWith(QLatin1String(".bin")))
        return false;
    const QFileInfo info(path);
    if (!info.isFile() || info.size() == 0 ||
        info.size() > static_cast<qint64>(protocol::MaxImageSize))
        return false;
    QFile file(path);
    return file.open(QIODevice::ReadOnly);
}

} // namespace firmwarefile
