#include "firmware/downloadedimage.h"

#include <QDir>
#include <QTemporaryFile>

namespace downloadedimage {

QString save(const QByteArray &image)
{
    // A TMPDIR naming no folder gives an empty path, which would put the file
    // into the file system's root.
    const QString folder = QDir::tempPath();
    if (folder.isEmpty())
        return {};
    QTemporaryFile file(folder + QStringLiteral("/nolk.firmware.XXXXXX.bin"));
    if (!file.open())
        return {};
    if (file.write(image) != image.size() || !file.flush())
        return {};
    file.close();
    if (file.error() != QFileDevice::NoError)
        return {};
    file.setAutoRemove(false);
    return file.fileName();
}

} // namespace downloadedimage
